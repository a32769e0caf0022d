#include "platform/posix/MachineProfile.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/Registry.h"
#include "platform/RegistryLocations.h"
#include "platform/TextCodec.h"

namespace platform::posix {
namespace {

constexpr std::wstring_view kLocalMachine = L"HKEY_LOCAL_MACHINE";
constexpr std::wstring_view kCurrentVersionKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::wstring_view kWindowsControlKey = L"SYSTEM\\CurrentControlSet\\Control\\Windows";
constexpr std::wstring_view kEnvironmentKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr std::wstring_view kWow64SoftwareKey = L"SOFTWARE\\WOW6432Node";
constexpr std::wstring_view kX86 = L"x86";
constexpr std::wstring_view kServicePackPrefix = L"Service Pack ";
constexpr std::string_view kCpuMhzField = "cpu MHz";

// The simulated default: 64-bit Windows 10 22H2.
constexpr std::uint32_t kDefaultMajor = 10;
constexpr std::uint32_t kDefaultMinor = 0;
constexpr std::wstring_view kDefaultBuild = L"19045";
constexpr std::wstring_view kDefaultDisplayVersion = L"22H2";
constexpr std::wstring_view kDefaultProductName = L"Windows 10 Pro";
// Windows 10 still reports 6.3 here to programs that read the old value.
constexpr std::wstring_view kDefaultLegacyVersion = L"6.3";
constexpr std::wstring_view kDefaultArchitecture = L"AMD64";

const HiveKey* FindKey(const HiveKey& root, std::wstring_view path) {
    std::vector<std::wstring> folded;
    for (const std::wstring& segment : SplitRegPath(path)) folded.push_back(FoldKeyName(segment));
    return root.Find(folded);
}

std::optional<std::uint32_t> ReadDword(const HiveKey* key, std::wstring_view name) {
    if (key == nullptr) return std::nullopt;
    const HiveKey::Value* value = key->FindValue(name);
    if (value == nullptr || value->type != kRegDword || value->data.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number * 256 + static_cast<unsigned char>(value->data[i]);
    return number;
}

std::optional<std::wstring> ReadText(const HiveKey* key, std::wstring_view name) {
    if (key == nullptr) return std::nullopt;
    const HiveKey::Value* value = key->FindValue(name);
    if (value == nullptr || (value->type != kRegSz && value->type != kRegExpandSz)) {
        return std::nullopt;
    }
    std::optional<std::wstring> text = DecodeUtf16Le(value->data);
    if (!text) return std::nullopt;
    const std::size_t end = text->find(L'\0');
    if (end != std::wstring::npos) text->resize(end);
    return text;
}

// The leading decimal number of `text`, or nothing.
std::optional<std::uint32_t> LeadingNumber(std::wstring_view text) {
    std::uint64_t number = 0;
    std::size_t digits = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= L'0' && text[digits] <= L'9') {
        number = number * 10 + static_cast<std::uint64_t>(text[digits] - L'0');
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

RegFileValue DwordValue(std::wstring name, std::uint32_t number) {
    RegFileValue value;
    value.name = std::move(name);
    value.type = kRegDword;
    for (int i = 0; i < 4; ++i) value.data += static_cast<char>((number >> (8 * i)) & 0xFF);
    return value;
}

RegFileValue TextValue(std::wstring name, std::wstring_view text) {
    RegFileValue value;
    value.name = std::move(name);
    value.type = kRegSz;
    value.data = EncodeUtf16Le(text) + std::string(2, '\0');
    return value;
}

RegFileKey Section(std::wstring_view path, std::vector<RegFileValue> values = {}) {
    RegFileKey key;
    key.path = std::wstring(kLocalMachine) + L"\\" + std::wstring(path);
    key.values = std::move(values);
    return key;
}

}  // namespace

MachineProfile ReadMachineProfile(const HiveKey& localMachine) {
    MachineProfile profile;
    const HiveKey* environment = FindKey(localMachine, kEnvironmentKey);
    const std::optional<std::wstring> architecture =
        ReadText(environment, L"PROCESSOR_ARCHITECTURE");
    profile.windows64 = !architecture || FoldKeyName(*architecture) != FoldKeyName(kX86);

    const HiveKey* current = FindKey(localMachine, kCurrentVersionKey);
    std::optional<std::uint32_t> major = ReadDword(current, L"CurrentMajorVersionNumber");
    std::optional<std::uint32_t> minor = ReadDword(current, L"CurrentMinorVersionNumber");
    if (!major) {
        // Before Windows 10 the version is the text "major.minor".
        if (const std::optional<std::wstring> text = ReadText(current, L"CurrentVersion")) {
            const std::size_t dot = text->find(L'.');
            major = LeadingNumber(*text);
            if (dot != std::wstring::npos) minor = LeadingNumber(text->substr(dot + 1));
        }
    }
    std::optional<std::wstring> build = ReadText(current, L"CurrentBuildNumber");
    if (!build) build = ReadText(current, L"CurrentBuild");
    const std::optional<std::uint32_t> buildNumber =
        build ? LeadingNumber(*build) : std::optional<std::uint32_t>();
    if (!major || !buildNumber) return profile;

    profile.versionKnown = true;
    profile.version.major = *major;
    profile.version.minor = minor.value_or(0);
    profile.version.build = *buildNumber;
    profile.version.csdVersion = ReadText(current, L"CSDVersion").value_or(L"");
    const HiveKey* control = FindKey(localMachine, kWindowsControlKey);
    if (const std::optional<std::uint32_t> servicePack = ReadDword(control, L"CSDVersion")) {
        profile.version.servicePackMajor = static_cast<std::uint16_t>((*servicePack >> 8) & 0xFF);
        profile.version.servicePackMinor = static_cast<std::uint16_t>(*servicePack & 0xFF);
    } else if (profile.version.csdVersion.starts_with(kServicePackPrefix)) {
        profile.version.servicePackMajor = static_cast<std::uint16_t>(
            LeadingNumber(profile.version.csdVersion.substr(kServicePackPrefix.size()))
                .value_or(0));
    }
    return profile;
}

std::wstring MachineGuidFromMachineId(std::string_view machineId) {
    while (!machineId.empty() && std::isspace(static_cast<unsigned char>(machineId.back()))) {
        machineId.remove_suffix(1);
    }
    if (machineId.size() != 32) return {};
    std::wstring guid;
    for (std::size_t i = 0; i < machineId.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(machineId[i])));
        if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
        if (i == 8 || i == 12 || i == 16 || i == 20) guid += L'-';
        guid += static_cast<wchar_t>(c);
    }
    return guid;
}

MachineFacts ReadMachineFacts(const std::filesystem::path& machineIdFile,
                              const std::filesystem::path& cpuInfoFile) {
    MachineFacts facts;
    std::ifstream machineId(machineIdFile);
    std::string id;
    if (std::getline(machineId, id)) facts.machineGuid = MachineGuidFromMachineId(id);

    std::ifstream cpuInfo(cpuInfoFile);
    std::string line;
    while (std::getline(cpuInfo, line)) {
        if (!line.starts_with(kCpuMhzField)) continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) break;
        std::istringstream number(line.substr(colon + 1));
        double mhz = 0;
        if (number >> mhz && mhz > 0 && mhz < 4e9) {
            facts.processorMhz = static_cast<std::uint32_t>(std::lround(mhz));
        }
        break;
    }
    return facts;
}

RegFileDocument DefaultLocalMachineProfile(const MachineFacts& facts) {
    RegFileDocument document;
    document.keys.push_back(
        Section(kCentralProcessorKey, {DwordValue(kProcessorMhzValue, facts.processorMhz)}));
    std::vector<RegFileValue> cryptography;
    if (!facts.machineGuid.empty()) {
        cryptography.push_back(TextValue(kMachineGuidValue, facts.machineGuid));
    }
    document.keys.push_back(Section(kCryptographyKey, std::move(cryptography)));
    document.keys.push_back(Section(
        kCurrentVersionKey,
        {DwordValue(L"CurrentMajorVersionNumber", kDefaultMajor),
         DwordValue(L"CurrentMinorVersionNumber", kDefaultMinor),
         TextValue(L"CurrentBuildNumber", kDefaultBuild), TextValue(L"CurrentBuild", kDefaultBuild),
         TextValue(L"CurrentVersion", kDefaultLegacyVersion),
         TextValue(L"DisplayVersion", kDefaultDisplayVersion),
         TextValue(L"ProductName", kDefaultProductName)}));
    document.keys.push_back(Section(kWow64SoftwareKey));
    document.keys.push_back(
        Section(kEnvironmentKey, {TextValue(L"PROCESSOR_ARCHITECTURE", kDefaultArchitecture)}));
    return document;
}

}  // namespace platform::posix
