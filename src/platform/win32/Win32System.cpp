#include "platform/win32/Win32System.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Api.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <tlhelp32.h>

namespace platform::win32 {
namespace {

// The record RtlGetVersion fills; its size field must say 284 bytes.
static_assert(sizeof(RTL_OSVERSIONINFOEXW) == 284);
// The record GlobalMemoryStatusEx fills; the call refuses any other length.
static_assert(sizeof(MEMORYSTATUSEX) == 64);
// What a missing export of ntdll is reported as.
constexpr std::int32_t kStatusProcedureNotFound = static_cast<std::int32_t>(0xC000007Au);
// The largest path the wide API handles (with the \\?\ prefix).
constexpr DWORD kMaxWidePath = 32768;
const wchar_t* const kFallbackDriveRoot = L"C:\\";

using RtlGetVersionFunction = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);

struct CoTaskMemDeleter {
    void operator()(wchar_t* memory) const { ::CoTaskMemFree(memory); }
};
using CoTaskMemString = std::unique_ptr<wchar_t, CoTaskMemDeleter>;

// For calls that return the text's length when it fitted, the size they need (with the NUL)
// when it did not, and 0 with a last error when they failed. The value may grow between two
// calls, so the buffer grows until it fits.
template <typename Call>
std::optional<std::wstring> ReadSizedString(Call call) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            // An existing but empty value is 0 without an error.
            if (::GetLastError() != ERROR_SUCCESS) return std::nullopt;
            return std::wstring();
        }
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

// The whole path of the running executable, however long.
std::wstring FullModulePath() {
    for (DWORD size = MAX_PATH; size <= kMaxWidePath; size *= 2) {
        std::vector<wchar_t> buffer(size);
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) return std::wstring(buffer.data(), length);
    }
    return {};
}

const KNOWNFOLDERID& KnownFolderId(KnownFolder folder) {
    switch (folder) {
        case KnownFolder::Downloads:
            return FOLDERID_Downloads;
        case KnownFolder::Documents:
            // The shell folder the older API numbers 5 (CSIDL_PERSONAL).
            return FOLDERID_Documents;
        case KnownFolder::Desktop:
            return FOLDERID_Desktop;
        case KnownFolder::LocalAppData:
            return FOLDERID_LocalAppData;
        case KnownFolder::RoamingAppData:
            return FOLDERID_RoamingAppData;
        case KnownFolder::ProgramData:
            return FOLDERID_ProgramData;
        case KnownFolder::ProgramFilesX86:
            return FOLDERID_ProgramFilesX86;
    }
    return FOLDERID_Documents;
}

}  // namespace

std::wstring Win32System::GetModuleFileName(std::size_t capacity) const {
    if (capacity == 0) return {};
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(capacity, kMaxWidePath));
    std::vector<wchar_t> buffer(size);
    // A path longer than the buffer comes back cut to size - 1 characters.
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
    return std::wstring(buffer.data(), std::min<DWORD>(length, size - 1));
}

std::int32_t Win32System::RtlGetVersion(OsVersion& version) const {
    // Only the native call tells the truth: the Win32 version calls report what the
    // executable's manifest declares support for.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const FARPROC address = ntdll != nullptr ? ::GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    if (address == nullptr) return kStatusProcedureNotFound;
    const auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void (*)()>(address));

    RTL_OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    const LONG status = rtlGetVersion(reinterpret_cast<PRTL_OSVERSIONINFOW>(&info));
    if (status != 0) return status;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    version.platformId = info.dwPlatformId;
    version.csdVersion.assign(info.szCSDVersion, std::find(std::begin(info.szCSDVersion),
                                                           std::end(info.szCSDVersion), L'\0'));
    version.servicePackMajor = info.wServicePackMajor;
    version.servicePackMinor = info.wServicePackMinor;
    return kStatusSuccess;
}

bool Win32System::VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                                    std::uint16_t servicePackMajor) const {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    wanted.wServicePackMajor = servicePackMajor;
    const DWORDLONG conditions = ::VerSetConditionMask(
        ::VerSetConditionMask(::VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL),
                              VER_MINORVERSION, VER_GREATER_EQUAL),
        VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                                conditions) != FALSE;
}

bool Win32System::IsWow64Process(bool& wow64) const {
    BOOL value = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &value)) return false;
    wow64 = value != FALSE;
    return true;
}

std::optional<std::wstring> Win32System::GetTempPath() const {
    return ReadSizedString(
        [](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); });
}

std::optional<std::wstring> Win32System::CreateUniqueFolder(const std::wstring& directory,
                                                            const std::wstring& prefix) const {
    // GetTempFileNameW claims a name no one else has by creating an empty file under it; the
    // folder takes the file's place. The folder inherits the access rules of `directory`,
    // which for the user's temporary directory admit only that user and the administrators.
    wchar_t name[MAX_PATH] = {};
    if (::GetTempFileNameW(directory.c_str(), prefix.c_str(), 0, name) == 0) return std::nullopt;
    ::DeleteFileW(name);
    // Whatever took the name between the two calls is not ours: no folder then.
    if (!::CreateDirectoryW(name, nullptr)) return std::nullopt;
    return std::wstring(name);
}

std::wstring Win32System::GetSystemDriveRoot() const {
    const std::optional<std::wstring> windows = ReadSizedString(
        [](wchar_t* buffer, DWORD size) { return ::GetSystemWindowsDirectoryW(buffer, size); });
    if (!windows || windows->size() < 2 || (*windows)[1] != L':') return kFallbackDriveRoot;
    return windows->substr(0, 2) + L"\\";
}

std::optional<std::wstring> Win32System::GetKnownFolderPath(KnownFolder folder,
                                                            bool defaultUser) const {
    PWSTR raw = nullptr;
    // The token -1 stands for the default user profile.
    const HANDLE token = defaultUser ? reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1)) : nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(KnownFolderId(folder), 0, token, &raw);
    // Freed whatever the result: the call may hand out memory even when it fails.
    const CoTaskMemString path(raw);
    if (FAILED(result) || !path || *path == L'\0') return std::nullopt;
    const DWORD attributes = ::GetFileAttributesW(path.get());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::nullopt;
    }
    return std::wstring(path.get());
}

std::optional<std::wstring> Win32System::GetEnvironmentVariable(const std::wstring& name) const {
    return ReadSizedString([&name](wchar_t* buffer, DWORD size) {
        return ::GetEnvironmentVariableW(name.c_str(), buffer, size);
    });
}

std::optional<FileVersion> Win32System::GetExecutableFileVersion() const {
    const std::wstring path = FullModulePath();
    if (path.empty()) return std::nullopt;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<std::byte> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return std::nullopt;
    void* block = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", &block, &length) || block == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);
    if (fixed->dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
    return FileVersion{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

bool Win32System::GlobalMemoryStatusEx(MemoryStatus& status, std::uint32_t& error) const {
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    if (!::GlobalMemoryStatusEx(&memory)) {
        error = ::GetLastError();
        return false;
    }
    status.totalPhys = memory.ullTotalPhys;
    return true;
}

bool Win32System::GetDiskFreeSpaceEx(const std::wstring& root,
                                     std::uint64_t& freeBytesAvailableToCaller,
                                     std::uint32_t& error) const {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) {
        error = ::GetLastError();
        return false;
    }
    freeBytesAvailableToCaller = available.QuadPart;
    return true;
}

bool Win32System::PathFileExists(const std::wstring& path) const {
    return ::PathFileExistsW(path.c_str()) != FALSE;
}

std::optional<std::vector<std::wstring>> Win32System::SnapshotProcessNames() const {
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::wstring> names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        names.emplace_back(entry.szExeFile, std::find(std::begin(entry.szExeFile),
                                                      std::end(entry.szExeFile), L'\0'));
    }
    return names;
}

}  // namespace platform::win32
