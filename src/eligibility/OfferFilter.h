#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "eligibility/Registry.h"
#include "platform/Registry.h"
#include "session/Package.h"

class ConfigurationManager;

// The packages accepted so far, in acceptance order.
using PackageList = std::vector<std::shared_ptr<Package>>;

// One App Paths registration of an application.
struct AppRegistration {
    platform::Hkey root{};
    platform::RegSam view = 0;
    std::wstring path;
    bool resolved = false;
};

// Judges the offers of one configuration response, in order, against the offers accepted before
// them and against this machine. Machine facts are gathered once per pass and kept until the
// filter is destroyed. Used by the one thread of the pass.
class OfferFilter {
public:
    // Judges against `settings` (the program's version, the path placeholders, the allowance
    // of extra offers, which acceptances raise), which must outlive the filter.
    OfferFilter(ConfigurationManager& settings, int maxOffers);

    // True when `package` may be shown; it is then recorded as accepted. A rejected offer has
    // been reported with its reason. `maxReached` is set when no further offer can be
    // accepted; the caller clears it before the call. The conversion errors of unreadable
    // registry numbers and an unknown root name of an uninstall record are not caught.
    bool Evaluate(const std::shared_ptr<Package>& package, const PackageList& accepted,
                  bool& maxReached);

    // Reports one rejection, while fewer offers than the configured maximum were accepted.
    void Reject(Package& package, const std::string& reason);
    void RecordAcceptance(Package& package);

    // The checkers: each returns true, after reporting its reason, when the offer must go.
    bool CheckShowLimits(Package& package, const PackageList& accepted);
    bool CheckRegistry(Package& package);
    bool CheckDiskSpace(Package& package);
    bool CheckMemory(Package& package);
    bool CheckProcessorClock(Package& package);
    bool CheckOsVersion(Package& package);
    bool CheckProgramVersion(Package& package);
    bool CheckProcesses(Package& package);
    bool CheckApplications(Package& package);
    bool CheckUninstallCooldowns(Package& package);
    bool CheckChrome(Package& package);
    bool CheckInternetExplorer(Package& package);
    bool CheckNoShow(Package& package);

    // Whether any of the files exists.
    bool AnyFileExists(const std::vector<std::wstring>& paths) const;
    // Whether `name` is registered under App Paths with an existing program file.
    bool ApplicationFound(const std::wstring& name);

    std::unordered_set<std::int32_t> verticals;
    std::vector<std::string> acceptedIds;
    int acceptedCount = 0;
    int maxOffers = 0;

    // Whether rejections are sent to the analytics service; an operator's dry run turns it off.
    bool reportRejections = true;
    // The reason of the latest rejection, reported or not.
    std::string lastRejection;

private:
    ConfigurationManager& settings_;

    bool AnyKeyExists(const std::vector<std::wstring>& entries);
    bool AnyValueExists(const std::vector<std::wstring>& entries);
    bool AnyDataMatches(const std::vector<std::wstring>& entries);
    void BuildAppPathsIndex();

    std::vector<std::wstring> processNames_;
    std::uint64_t freeDiskMb_ = 0;
    bool freeDiskFilled_ = false;
    std::uint64_t memoryMb_ = 0;
    bool memoryFilled_ = false;
    std::uint32_t cpuMhz_ = 0;
    bool cpuFilled_ = false;
    std::multimap<std::wstring, AppRegistration> appPaths_;
    win32::SubkeyCache subkeys_;
};
