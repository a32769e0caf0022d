#pragma once

#include <memory>
#include <string>

#include "platform/NamedMutex.h"

inline constexpr const wchar_t* kAnotherSetupRunningText =
    L"Another setup is already running, please close it and try again";
inline constexpr const wchar_t* kAnotherSetupRunningTitle = L"Error";

// "Global\Tarnwick" + page-set name + "SingleInstanceMutex": one wizard per page set and
// machine, so a DLM and an ISV wizard can run side by side.
std::wstring SingleInstanceMutexName(const std::wstring& wizardTypeName);

// Holds the machine-wide mutex of the page set for the whole run; never released on purpose,
// the system releases it when the process ends.
class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const std::wstring& wizardTypeName);

    // False when another wizard of the same page set already holds the mutex.
    bool IsFirstInstance() const { return first_; }

private:
    std::unique_ptr<platform::NamedMutex> mutex_;
    bool first_ = false;
};
