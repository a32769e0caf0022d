#pragma once

#include <memory>
#include <utility>

#include "platform/System.h"

namespace inspect {

// Passes every call to another System. The tool's machines derive from it and replace only the
// facts the operator names, so the rest stays the real adapter's.
class ForwardingSystem : public platform::System {
public:
    explicit ForwardingSystem(std::shared_ptr<const platform::System> inner)
        : inner_(std::move(inner)) {}

    std::wstring GetModuleFileName(std::size_t capacity) const override {
        return inner_->GetModuleFileName(capacity);
    }
    std::int32_t RtlGetVersion(platform::OsVersion& version) const override {
        return inner_->RtlGetVersion(version);
    }
    bool VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                           std::uint16_t servicePackMajor) const override {
        return inner_->VerifyVersionInfo(major, minor, servicePackMajor);
    }
    bool IsWow64Process(bool& wow64) const override { return inner_->IsWow64Process(wow64); }
    std::optional<std::wstring> GetTempPath() const override { return inner_->GetTempPath(); }
    std::optional<std::wstring> CreateUniqueFolder(const std::wstring& directory,
                                                   const std::wstring& prefix) const override {
        return inner_->CreateUniqueFolder(directory, prefix);
    }
    std::wstring GetSystemDriveRoot() const override { return inner_->GetSystemDriveRoot(); }
    using platform::System::GetKnownFolderPath;
    std::optional<std::wstring> GetKnownFolderPath(platform::KnownFolder folder,
                                                   bool defaultUser) const override {
        return inner_->GetKnownFolderPath(folder, defaultUser);
    }
    std::optional<std::wstring> GetEnvironmentVariable(const std::wstring& name) const override {
        return inner_->GetEnvironmentVariable(name);
    }
    std::optional<platform::FileVersion> GetExecutableFileVersion() const override {
        return inner_->GetExecutableFileVersion();
    }
    bool GlobalMemoryStatusEx(platform::MemoryStatus& status, std::uint32_t& error) const override {
        return inner_->GlobalMemoryStatusEx(status, error);
    }
    bool GetDiskFreeSpaceEx(const std::wstring& root, std::uint64_t& freeBytesAvailableToCaller,
                            std::uint32_t& error) const override {
        return inner_->GetDiskFreeSpaceEx(root, freeBytesAvailableToCaller, error);
    }
    bool PathFileExists(const std::wstring& path) const override {
        return inner_->PathFileExists(path);
    }
    std::optional<std::vector<std::wstring>> SnapshotProcessNames() const override {
        return inner_->SnapshotProcessNames();
    }

private:
    std::shared_ptr<const platform::System> inner_;
};

}  // namespace inspect
