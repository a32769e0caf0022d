#include "app/SingleInstanceGuard.h"

std::wstring SingleInstanceMutexName(const std::wstring& wizardTypeName) {
    return L"Global\\Tarnwick" + wizardTypeName + L"SingleInstanceMutex";
}

SingleInstanceGuard::SingleInstanceGuard(const std::wstring& wizardTypeName) {
    bool alreadyExisted = false;
    mutex_ = platform::NamedMutex::Create(SingleInstanceMutexName(wizardTypeName), alreadyExisted);
    // Only a mutex this process created and owns guards the run; one that was already
    // there is closed again at once.
    first_ = mutex_ != nullptr && !alreadyExisted;
    if (!first_) mutex_.reset();
}
