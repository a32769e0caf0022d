#include "platform/NamedMutex.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Api.h"

namespace platform {
namespace {

class Win32NamedMutex : public NamedMutex {
public:
    explicit Win32NamedMutex(win32::UniqueHandle handle) : handle_(std::move(handle)) {}

private:
    win32::UniqueHandle handle_;
};

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::Create(const std::wstring& name, bool& alreadyExisted) {
    // Asked for initially owned; a mutex that already existed opens without being taken.
    const HANDLE raw = ::CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = ::GetLastError();
    win32::UniqueHandle handle(raw);
    alreadyExisted = handle != nullptr && error == ERROR_ALREADY_EXISTS;
    if (!handle) return nullptr;
    return std::make_unique<Win32NamedMutex>(std::move(handle));
}

}  // namespace platform
