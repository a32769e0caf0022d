#include "platform/posix/EmulatedRegistry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/RegFile.h"
#include "platform/TextCodec.h"
#include "platform/posix/FileLock.h"

namespace platform::posix {
namespace {

constexpr int kRootCount = 5;
constexpr int kLocalMachine = 2;
constexpr int kCurrentUser = 1;
// Hive files by root, in the order of kRegRootNames.
constexpr const char* kHiveFileNames[kRootCount] = {"HKCR.reg", "HKCU.reg", "HKLM.reg", "HKU.reg",
                                                    "HKCC.reg"};
constexpr const char* kLockFileName = ".lock";
constexpr unsigned kNewHiveMode = 0644;
constexpr unsigned kWriteBits = 0222;

constexpr const char* kDirectoryVariable = "TARNWICK_REGISTRY_DIR";
constexpr const char* kDataHomeVariable = "XDG_DATA_HOME";
constexpr const char* kHomeVariable = "HOME";
constexpr const char* kFolderBelowDataHome = "tarnwick/registry";
constexpr const char* kDataHomeBelowHome = ".local/share";

constexpr std::wstring_view kUserSoftware = L"Software";
const std::wstring kSoftwareFolded = L"SOFTWARE";
const std::wstring kWow64NodeFolded = L"WOW6432NODE";
constexpr std::wstring_view kWow64Node = L"WOW6432Node";

// Handles of opened keys never collide with the predefined roots.
constexpr std::uintptr_t kFirstPredefined = 0x80000000u;

// The root index of a predefined key, or -1.
int PredefinedRoot(Hkey key) {
    const auto value = static_cast<std::uintptr_t>(key);
    if (value < kFirstPredefined || value > kFirstPredefined + 5) return -1;
    const auto offset = static_cast<int>(value - kFirstPredefined);
    if (offset == 4) return -1;  // the performance-data key is not a registry hive
    return offset == 5 ? 4 : offset;
}

const char* EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : nullptr;
}

bool IsTextType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

std::vector<std::wstring> SplitSubKey(std::wstring_view subKey) {
    std::vector<std::wstring> names;
    if (subKey.empty()) return names;
    // Empty names, from doubled or trailing backslashes, name no key of their own.
    for (std::wstring& name : SplitRegPath(subKey)) {
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

// The bit of the RRF_RT_ flags that admits `type`; 0 for types only RRF_RT_ANY admits.
std::uint32_t TypeFilterBit(std::uint32_t type) {
    switch (type) {
        case kRegNone:
            return kRrfRtRegNone;
        case kRegSz:
            return kRrfRtRegSz;
        case kRegExpandSz:
            return kRrfRtRegExpandSz;
        case kRegBinary:
            return kRrfRtRegBinary;
        case kRegDword:
            return kRrfRtRegDword;
        case kRegMultiSz:
            return kRrfRtRegMultiSz;
        case kRegQword:
            return kRrfRtRegQword;
        default:
            return 0;
    }
}

// The stored bytes of a value as the port hands them out: text types as wide characters.
std::string PortData(const HiveKey::Value& value) {
    if (!IsTextType(value.type)) return value.data;
    // Text was checked when it was read or written, so it converts.
    const std::wstring text = DecodeUtf16Le(value.data).value_or(std::wstring());
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The stored bytes of a value as the narrow calls hand them out: text types as UTF-8, with as
// many terminating zeros as the stored text has.
std::string NarrowData(const HiveKey::Value& value) {
    if (!IsTextType(value.type)) return value.data;
    return EncodeUtf8(DecodeUtf16Le(value.data).value_or(std::wstring()));
}

// The bytes RegSetValueExW stores for the port's data.
std::string StoredData(std::uint32_t type, const void* data, std::uint32_t dataSize) {
    if (data == nullptr || dataSize == 0) return {};
    if (!IsTextType(type)) return std::string(static_cast<const char*>(data), dataSize);
    std::wstring text(dataSize / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    return EncodeUtf16Le(text);
}

// Copies `bytes` out as the registry calls do: the size alone when there is no buffer,
// ERROR_MORE_DATA with the size needed when the buffer is too small.
long CopyOut(const std::string& bytes, void* data, std::uint32_t* dataSize) {
    if (data == nullptr) {
        if (dataSize != nullptr) *dataSize = static_cast<std::uint32_t>(bytes.size());
        return kErrorSuccess;
    }
    const std::uint32_t capacity = *dataSize;
    *dataSize = static_cast<std::uint32_t>(bytes.size());
    if (capacity < bytes.size()) return kErrorMoreData;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    return kErrorSuccess;
}

RegFileDocument DefaultHive(int root, const std::optional<MachineFacts>& facts) {
    if (root == kLocalMachine)
        return DefaultLocalMachineProfile(facts.value_or(ReadMachineFacts()));
    RegFileDocument document;
    if (root == kCurrentUser) {
        RegFileKey software;
        software.path = std::wstring(kRegRootNames[root]) + L"\\" + std::wstring(kUserSoftware);
        document.keys.push_back(std::move(software));
    }
    return document;
}

}  // namespace

std::vector<std::wstring> EmulatedRegistry::Target::Folded() const {
    std::vector<std::wstring> path = parent;
    for (const std::wstring& name : added) path.push_back(FoldKeyName(name));
    return path;
}

EmulatedRegistry::EmulatedRegistry(std::filesystem::path directory,
                                   std::optional<MachineFacts> facts)
    : directory_(std::move(directory)), facts_(std::move(facts)) {}

std::shared_ptr<EmulatedRegistry> EmulatedRegistry::FromText(std::string_view regText,
                                                             const std::string& sourceName) {
    const RegFileDocument document = ParseRegFile(regText, sourceName);
    auto registry = std::make_shared<EmulatedRegistry>(InMemory{});
    for (int root = 0; root < kRootCount; ++root) {
        registry->hives_[root].root.Apply(document, kRegRootNames[root]);
    }
    registry->UpdateProfile();
    registry->loaded_ = true;
    return registry;
}

std::filesystem::path EmulatedRegistry::DefaultDirectory() {
    if (const char* directory = EnvironmentValue(kDirectoryVariable)) return directory;
    if (const char* dataHome = EnvironmentValue(kDataHomeVariable)) {
        return std::filesystem::path(dataHome) / kFolderBelowDataHome;
    }
    if (const char* home = EnvironmentValue(kHomeVariable)) {
        return std::filesystem::path(home) / kDataHomeBelowHome / kFolderBelowDataHome;
    }
    return {};
}

std::filesystem::path EmulatedRegistry::HivePath(Hkey root) const {
    const int index = PredefinedRoot(root);
    if (directory_.empty() || index < 0) return {};
    return directory_ / kHiveFileNames[index];
}

void EmulatedRegistry::Load() {
    std::lock_guard lock(mutex_);
    if (!loaded_) LoadLocked();
}

std::optional<MachineProfile> EmulatedRegistry::GetMachineProfile() {
    std::lock_guard lock(mutex_);
    if (EnsureLoaded() != kErrorSuccess) return std::nullopt;
    return profile_;
}

long EmulatedRegistry::EnsureLoaded() {
    if (loaded_) return kErrorSuccess;
    try {
        LoadLocked();
        return kErrorSuccess;
    } catch (const std::exception& error) {
        // The calls can only answer with an error code; the reason goes to the diagnostics
        // stream once, and every later call tries again.
        if (!loadErrorReported_) {
            std::fprintf(stderr, "registry: %s\n", error.what());
            loadErrorReported_ = true;
        }
        return kErrorBadDb;
    }
}

void EmulatedRegistry::LoadLocked() {
    if (directory_.empty()) {
        throw std::runtime_error(std::string("no folder for the registry hives: set ") +
                                 kDirectoryVariable + " or " + kHomeVariable);
    }
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    if (error) {
        throw std::runtime_error("cannot make the registry folder " + directory_.string() + ": " +
                                 error.message());
    }
    const FileLock lock(directory_ / kLockFileName);
    if (!lock.Held()) {
        throw std::runtime_error("cannot lock " + (directory_ / kLockFileName).string());
    }
    CreateMissingHives();
    std::array<Hive, kRootCount> hives;
    for (int root = 0; root < kRootCount; ++root) {
        hives[root].root = ReadHiveFile(root, hives[root].stamp);
    }
    hives_ = std::move(hives);
    UpdateProfile();
    loaded_ = true;
}

void EmulatedRegistry::CreateMissingHives() {
    for (int root = 0; root < kRootCount; ++root) {
        const std::filesystem::path file = directory_ / kHiveFileNames[root];
        if (StampFile(file).exists) continue;
        const std::string bytes = WriteRegFile(DefaultHive(root, facts_), RegFileEncoding::Utf16Le);
        if (!ReplaceFileAtomically(file, bytes, kNewHiveMode)) {
            throw std::runtime_error("cannot write the registry hive " + file.string());
        }
    }
}

HiveKey EmulatedRegistry::ReadHiveFile(int root, FileStamp& stamp) const {
    const std::filesystem::path file = directory_ / kHiveFileNames[root];
    stamp = StampFile(file);
    const std::optional<std::string> bytes = ReadWholeFile(file);
    if (!bytes) throw std::runtime_error("cannot read the registry hive " + file.string());
    const RegFileDocument document = ParseRegFile(*bytes, file.string());
    for (const RegFileKey& section : document.keys) {
        if (FindRegRoot(SplitRegPath(section.path).front()) != root) {
            throw RegFileError(file.string(), section.line,
                               "a key outside " + EncodeUtf8(kRegRootNames[root]) +
                                   ", the only root this hive holds");
        }
    }
    HiveKey hive;
    hive.Apply(document, kRegRootNames[root]);
    return hive;
}

long EmulatedRegistry::RefreshIfChanged(int root) {
    if (directory_.empty()) return kErrorSuccess;
    const FileStamp stamp = StampFile(directory_ / kHiveFileNames[root]);
    // A vanished file leaves the hive in memory as it was; only writing to it fails.
    if (!stamp.exists || stamp == hives_[root].stamp) return kErrorSuccess;
    try {
        FileStamp readStamp;
        HiveKey hive = ReadHiveFile(root, readStamp);
        hives_[root].root = std::move(hive);
        hives_[root].stamp = readStamp;
    } catch (const std::exception&) {
        return kErrorBadDb;
    }
    if (root == kLocalMachine) UpdateProfile();
    return kErrorSuccess;
}

void EmulatedRegistry::UpdateProfile() {
    profile_ = ReadMachineProfile(hives_[kLocalMachine].root);
}

long EmulatedRegistry::Resolve(Hkey key, RegSam needed, OpenedKey& opened) const {
    const int root = PredefinedRoot(key);
    if (root >= 0) {
        opened = OpenedKey{root, {}, kKeyAllAccess};
        return kErrorSuccess;
    }
    const auto found = handles_.find(static_cast<std::uintptr_t>(key));
    if (found == handles_.end()) return kErrorInvalidHandle;
    if ((found->second.access & needed) != needed) return kErrorAccessDenied;
    opened = found->second;
    return kErrorSuccess;
}

long EmulatedRegistry::Locate(Hkey key, std::wstring_view subKey, RegSam view, Target& target) {
    if ((view & kKeyWow64Res) == kKeyWow64Res) return kErrorInvalidParameter;
    OpenedKey opened;
    if (const long status = Resolve(key, 0, opened); status != kErrorSuccess) return status;
    if (PredefinedRoot(key) >= 0) {
        if (const long status = RefreshIfChanged(opened.root); status != kErrorSuccess) {
            return status;
        }
    }
    target.root = opened.root;
    target.parent = std::move(opened.path);
    target.added = SplitSubKey(subKey);
    // A 32-bit program on 64-bit Windows names HKLM\SOFTWARE\X and lands in
    // HKLM\SOFTWARE\WOW6432Node\X, unless it asks for the 64-bit view. Only the call that
    // names what lies right below SOFTWARE is redirected; a key opened below an already
    // redirected one stays where it is.
    const bool view32 = (view & kKeyWow6464Key) == 0;
    const std::vector<std::wstring> folded = target.Folded();
    if (target.root == kLocalMachine && view32 && profile_.windows64 && !target.added.empty() &&
        target.parent.size() <= 1 && !folded.empty() && folded[0] == kSoftwareFolded &&
        (folded.size() == 1 || folded[1] != kWow64NodeFolded)) {
        target.added.insert(
            target.added.begin() + static_cast<std::ptrdiff_t>(1 - target.parent.size()),
            std::wstring(kWow64Node));
    }
    if (target.parent.size() + target.added.size() > kMaxRegKeyDepth) {
        return kErrorInvalidParameter;
    }
    return kErrorSuccess;
}

long EmulatedRegistry::AddHandle(int root, std::vector<std::wstring> path, RegSam access,
                                 Hkey& result) {
    const std::uintptr_t handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = OpenedKey{root, std::move(path), access};
    result = Hkey{handle};
    return kErrorSuccess;
}

long EmulatedRegistry::Change(int root, const std::function<long(HiveKey&)>& change) {
    if (directory_.empty()) {
        const long status = change(hives_[root].root);
        if (status == kErrorSuccess && root == kLocalMachine) UpdateProfile();
        return status;
    }
    const FileLock lock(directory_ / kLockFileName);
    if (!lock.Held()) return kErrorAccessDenied;
    const std::filesystem::path file = directory_ / kHiveFileNames[root];
    const FileStamp before = StampFile(file);
    if (!before.exists || (before.mode & kWriteBits) == 0) return kErrorAccessDenied;

    // Change what the file holds now, which may include another process's changes.
    HiveKey hive;
    FileStamp readStamp;
    try {
        hive = ReadHiveFile(root, readStamp);
    } catch (const RegFileError&) {
        return kErrorBadDb;
    } catch (const std::exception&) {
        return kErrorAccessDenied;
    }
    if (const long status = change(hive); status != kErrorSuccess) return status;

    RegFileDocument document;
    hive.Export(std::wstring(kRegRootNames[root]), document);
    if (!ReplaceFileAtomically(file, WriteRegFile(document, RegFileEncoding::Utf16Le),
                               before.mode)) {
        return kErrorAccessDenied;
    }
    hives_[root].root = std::move(hive);
    hives_[root].stamp = StampFile(file);
    if (root == kLocalMachine) UpdateProfile();
    return kErrorSuccess;
}

long EmulatedRegistry::OpenKey(Hkey key, std::wstring_view subKey, std::uint32_t, RegSam access,
                               Hkey& result) {
    std::lock_guard lock(mutex_);
    if (const long status = EnsureLoaded(); status != kErrorSuccess) return status;
    Target target;
    if (const long status = Locate(key, subKey, access, target); status != kErrorSuccess) {
        return status;
    }
    std::vector<std::wstring> path = target.Folded();
    if (hives_[target.root].root.Find(target.parent) == nullptr) return kErrorKeyDeleted;
    if (hives_[target.root].root.Find(path) == nullptr) return kErrorFileNotFound;
    return AddHandle(target.root, std::move(path), access, result);
}

long EmulatedRegistry::OpenKeyA(Hkey key, std::string_view subKey, std::uint32_t options,
                                RegSam access, Hkey& result) {
    // Key names in the hive are text: a name that is not UTF-8 names no key.
    const std::optional<std::wstring> name = DecodeUtf8(subKey);
    if (!name) return kErrorFileNotFound;
    return OpenKey(key, *name, options, access, result);
}

long EmulatedRegistry::CreateKey(Hkey key, std::wstring_view subKey, RegSam access, Hkey& result,
                                 bool* created) {
    std::lock_guard lock(mutex_);
    if (const long status = EnsureLoaded(); status != kErrorSuccess) return status;
    Target target;
    if (const long status = Locate(key, subKey, access, target); status != kErrorSuccess) {
        return status;
    }
    for (const std::wstring& name : target.added) {
        if (!IsRepresentableRegName(name)) return kErrorInvalidParameter;
    }
    std::vector<std::wstring> path = target.Folded();
    bool made = false;
    if (hives_[target.root].root.Find(path) == nullptr) {
        const long status = Change(target.root, [&](HiveKey& hive) {
            HiveKey* parent = hive.Find(target.parent);
            if (parent == nullptr) return kErrorKeyDeleted;
            made = hive.Find(path) == nullptr;
            for (const std::wstring& name : target.added) parent = &parent->AddChild(name);
            return kErrorSuccess;
        });
        if (status != kErrorSuccess) return status;
    }
    if (created != nullptr) *created = made;
    return AddHandle(target.root, std::move(path), access, result);
}

long EmulatedRegistry::GetValue(Hkey key, std::wstring_view subKey, std::wstring_view valueName,
                                std::uint32_t flags, std::uint32_t* type, void* data,
                                std::uint32_t* dataSize) {
    std::lock_guard lock(mutex_);
    if (const long status = EnsureLoaded(); status != kErrorSuccess) return status;
    // Asking for expandable strings by name makes sense only when they are not expanded.
    const bool anyType = (flags & kRrfRtAny) == kRrfRtAny;
    if ((data != nullptr && dataSize == nullptr) || (flags & kRrfRtAny) == 0 ||
        (!anyType && (flags & kRrfRtRegExpandSz) != 0 && (flags & kRrfNoExpand) == 0)) {
        return kErrorInvalidParameter;
    }
    const std::uint32_t capacity = dataSize != nullptr ? *dataSize : 0;
    const auto fail = [&](long status) {
        if ((flags & kRrfZeroOnFailure) != 0 && data != nullptr) std::memset(data, 0, capacity);
        return status;
    };

    const HiveKey* node = nullptr;
    if (subKey.empty()) {
        OpenedKey opened;
        if (const long status = Resolve(key, kKeyQueryValue, opened); status != kErrorSuccess) {
            return fail(status);
        }
        node = hives_[opened.root].root.Find(opened.path);
        if (node == nullptr) return fail(kErrorKeyDeleted);
    } else {
        const RegSam view = (flags & kRrfSubkeyWow6464Key) != 0   ? kKeyWow6464Key
                            : (flags & kRrfSubkeyWow6432Key) != 0 ? kKeyWow6432Key
                                                                  : 0;
        Target target;
        if (const long status = Locate(key, subKey, view, target); status != kErrorSuccess) {
            return fail(status);
        }
        node = hives_[target.root].root.Find(target.Folded());
        if (node == nullptr) return fail(kErrorFileNotFound);
    }

    const HiveKey::Value* value = node->FindValue(valueName);
    if (value == nullptr) return fail(kErrorFileNotFound);
    // Without RRF_NOEXPAND an expandable string is expanded and reported as REG_SZ. The
    // simulated machine has no environment block, so the expansion leaves the text as it is,
    // as it leaves every unknown %NAME%.
    const std::uint32_t reported =
        (value->type == kRegExpandSz && (flags & kRrfNoExpand) == 0) ? kRegSz : value->type;
    const std::uint32_t bit = TypeFilterBit(reported);
    const bool admitted = anyType || (bit != 0 && (flags & bit) != 0);
    if (!admitted) return fail(kErrorUnsupportedType);
    if (!anyType && ((reported == kRegDword && value->data.size() != 4) ||
                     (reported == kRegQword && value->data.size() != 8))) {
        return fail(kErrorDatatypeMismatch);
    }

    std::string bytes = PortData(*value);
    // Strings always come back terminated, and lists end with an empty string.
    if (IsTextType(reported)) {
        const std::string zero(sizeof(wchar_t), '\0');
        if (!bytes.ends_with(zero)) bytes += zero;
        if (reported == kRegMultiSz &&
            (bytes.size() < 2 * zero.size() ||
             bytes.compare(bytes.size() - 2 * zero.size(), zero.size(), zero) != 0)) {
            bytes += zero;
        }
    }
    if (type != nullptr) *type = reported;
    const long status = CopyOut(bytes, data, dataSize);
    return status == kErrorSuccess ? status : fail(status);
}

long EmulatedRegistry::FindQueriedKey(Hkey key, const HiveKey*& node) const {
    OpenedKey opened;
    if (const long status = Resolve(key, kKeyQueryValue, opened); status != kErrorSuccess) {
        return status;
    }
    node = hives_[opened.root].root.Find(opened.path);
    return node == nullptr ? kErrorKeyDeleted : kErrorSuccess;
}

long EmulatedRegistry::QueryValue(Hkey key, std::wstring_view valueName, std::uint32_t* type,
                                  void* data, std::uint32_t* dataSize) {
    return QueryStoredValue(key, std::wstring(valueName), type, data, dataSize, false);
}

long EmulatedRegistry::QueryValueA(Hkey key, std::string_view valueName, std::uint32_t* type,
                                   void* data, std::uint32_t* dataSize) {
    // Names in the hive are text: a name that is not UTF-8 names no value.
    return QueryStoredValue(key, DecodeUtf8(valueName), type, data, dataSize, true);
}

long EmulatedRegistry::QueryStoredValue(Hkey key, const std::optional<std::wstring>& name,
                                        std::uint32_t* type, void* data, std::uint32_t* dataSize,
                                        bool narrowText) {
    std::lock_guard lock(mutex_);
    if (const long status = EnsureLoaded(); status != kErrorSuccess) return status;
    if (data != nullptr && dataSize == nullptr) return kErrorInvalidParameter;
    const HiveKey* node = nullptr;
    if (const long status = FindQueriedKey(key, node); status != kErrorSuccess) return status;
    const HiveKey::Value* value = name ? node->FindValue(*name) : nullptr;
    if (value == nullptr) return kErrorFileNotFound;
    if (type != nullptr) *type = value->type;
    return CopyOut(narrowText ? NarrowData(*value) : PortData(*value), data, dataSize);
}

long EmulatedRegistry::EnumKey(Hkey key, std::uint32_t index, wchar_t* name,
                               std::uint32_t* nameLength) {
    std::lock_guard lock(mutex_);
    if (const long status = EnsureLoaded(); status != kErrorSuccess) return status;
    if (name == nullptr || nameLength == nullptr) return kErrorInvalidParameter;
    OpenedKey opened;
    if (const long status = Resolve(key, kKeyEnumerateSubKeys, opened); status != kErrorSuccess) {
        return status;
    }
    const HiveKey* node = hives_[opened.root].root.Find(opened.path);
    if (node == nullptr) return kErrorKeyDeleted;
    if (index >= node->ChildCount()) return kErrorNoMoreItems;
    const std::wstring& child = node->ChildAt(index).Name();
    if (*nameLength <= child.size()) return kErrorMoreData;
    std::memcpy(name, child.data(), child.size() * sizeof(wchar_t));
    name[child.size()] = L'\0';
    *nameLength = static_cast<std::uint32_t>(child.size());
    return kErrorSuccess;
}

long EmulatedRegistry::QueryInfoKey(Hkey key, KeyInfo& info) {
    std::lock_guard lock(mutex_);
    if (const long status = EnsureLoaded(); status != kErrorSuccess) return status;
    OpenedKey opened;
    if (const long status = Resolve(key, kKeyQueryValue, opened); status != kErrorSuccess) {
        return status;
    }
    const HiveKey* node = hives_[opened.root].root.Find(opened.path);
    if (node == nullptr) return kErrorKeyDeleted;
    info = KeyInfo{};
    info.subKeys = static_cast<std::uint32_t>(node->ChildCount());
    info.maxSubKeyLength = static_cast<std::uint32_t>(node->MaxChildNameLength());
    info.values = static_cast<std::uint32_t>(node->Values().size());
    for (const HiveKey::Value& value : node->Values()) {
        info.maxValueNameLength =
            std::max(info.maxValueNameLength, static_cast<std::uint32_t>(value.name.size()));
        info.maxValueLength =
            std::max(info.maxValueLength, static_cast<std::uint32_t>(PortData(value).size()));
    }
    return kErrorSuccess;
}

long EmulatedRegistry::SetValue(Hkey key, std::wstring_view valueName, std::uint32_t type,
                                const void* data, std::uint32_t dataSize) {
    std::lock_guard lock(mutex_);
    if (const long status = EnsureLoaded(); status != kErrorSuccess) return status;
    if ((data == nullptr && dataSize != 0) || !IsRepresentableRegName(valueName)) {
        return kErrorInvalidParameter;
    }
    OpenedKey opened;
    if (const long status = Resolve(key, kKeySetValue, opened); status != kErrorSuccess) {
        return status;
    }
    HiveKey::Value value{std::wstring(valueName), type, StoredData(type, data, dataSize)};
    return Change(opened.root, [&](HiveKey& hive) {
        HiveKey* node = hive.Find(opened.path);
        if (node == nullptr) return kErrorKeyDeleted;
        node->SetValue(value);
        return kErrorSuccess;
    });
}

long EmulatedRegistry::CloseKey(Hkey key) {
    std::lock_guard lock(mutex_);
    if (PredefinedRoot(key) >= 0) return kErrorSuccess;
    return handles_.erase(static_cast<std::uintptr_t>(key)) > 0 ? kErrorSuccess
                                                                : kErrorInvalidHandle;
}

}  // namespace platform::posix
