#pragma once

#include <memory>
#include <string>

namespace platform {

// A machine-wide named lock: the first creator owns it until its handle is closed or the
// process ends, whichever comes first.
class NamedMutex {
public:
    virtual ~NamedMutex() = default;

    // Creates (and takes) the named mutex. `alreadyExisted` is true when another holder has
    // it; the returned handle is then still valid and the caller is expected to close it.
    // Null when the platform could not create the object at all.
    static std::unique_ptr<NamedMutex> Create(const std::wstring& name, bool& alreadyExisted);
};

}  // namespace platform
