// One eligibility pass of 1,000 offers with twenty rules each, on a machine whose registry
// holds 100,000 keys (20,000 vendors under HKLM\SOFTWARE with four products each). Every offer
// passes every rule, so each one runs the whole chain: registry keys, values and data in both
// views, files, processes, App Paths, disk, memory, processor, Windows and program versions,
// 64-bit Windows, uninstall cool-down, no-show date and show limits. Each pass starts with a new
// filter, so the machine facts and the software key's listing are gathered again every time,
// as each run of the wizard does.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/RequestBase.h"
#include "app/ConfigurationManager.h"
#include "eligibility/OfferFilter.h"
#include "platform/Services.h"
#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "session/ConfigurationResponse.h"

namespace {

constexpr int kVendors = 20'000;
constexpr int kProducts = 4;
constexpr int kOffers = 1'000;

std::string MachineText() {
    std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]"
        "\r\n\"PROCESSOR_ARCHITECTURE\"=\"AMD64\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
        "\"CurrentMajorVersionNumber\"=dword:0000000a\r\n"
        "\"CurrentMinorVersionNumber\"=dword:00000000\r\n\"CurrentBuildNumber\"=\"19045\"\r\n"
        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0]\r\n"
        "\"~MHz\"=dword:00000a8c\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tool.exe]"
        "\r\n@=\"/bin/sh\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node]\r\n";
    for (int vendor = 0; vendor < kVendors; ++vendor) {
        const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + std::to_string(vendor);
        text += key + "]\r\n";
        for (int product = 0; product < kProducts; ++product) {
            text += key + "\\Product" + std::to_string(product) +
                    "]\r\n\"Version\"=\"1.0\"\r\n\"Stamp\"=\"1000\"\r\n"
                    "\"NextShow\"=dword:01312d65\r\n";
        }
    }
    return text;
}

// Offer `i`: twenty rules, every one of which this machine passes.
nlohmann::json Offer(int i) {
    const std::string vendor = "vendor" + std::to_string(i * 17 % kVendors);
    const std::string id = std::to_string(i);
    return {
        {"ad", {{"f", "f" + id}, {"o", "offer" + id}}},
        {"ps",
         {{"i", id + ".png"},
          {"dn", "Offer " + id},
          {"u", "https://cdn.example/" + id + ".exe"},
          {"v", i},
          {"exc", false},
          {"disk", 1},
          {"ram", 1},
          {"cpu", 100},
          {"ov", 100},
          {"pv", "0.9"},
          {"win64", true},
          {"r", {vendor + "\\product9"}},
          {"ir", {"hklm\\software\\" + vendor + "\\product1"}},
          {"rvn", {vendor + "\\product2\\missing"}},
          {"rvd", {vendor + "\\product3\\version\\9.9"}},
          {"fe", {"/nonexistent/tarnwick/" + id}},
          {"ife", {"/"}},
          {"a", {"not-running-" + id}},
          {"iapp", {"tool.exe"}},
          {"eapp", {"absent" + id + ".exe"}},
          {"cmdu",
           {{{"utr", "hkey_local_machine"},
             {"utk", "software\\" + vendor + "\\product0"},
             {"utvn", "stamp"},
             {"utvt", "REG_SZ"},
             {"umd", 30}}}},
          {"pn", true},
          {"pnr", "software\\" + vendor + "\\product0\\nextshow"},
          {"cfs", {{"mb", 100'000}}}}},
    };
}

nlohmann::json Response() {
    nlohmann::json offers = nlohmann::json::array();
    for (int i = 0; i < kOffers; ++i) offers.push_back(Offer(i));
    return {{"i", {{"ct", "App"}, {"cu", "https://cdn.example/app.exe"}}},
            {"f", {{"m", 100'000}}},
            {"o", std::move(offers)}};
}

// Installs the machine as the process's registry and system, and returns the settings.
ConfigurationManager& Machine() {
    static ConfigurationManager* const settings = [] {
        auto registry = platform::posix::EmulatedRegistry::FromText(MachineText(), "bench.reg");
        platform::InstallServices(platform::Services{
            std::make_shared<platform::posix::PosixSystem>(registry), nullptr, nullptr, registry});
        ConfigurationManager& instance = *ConfigurationManager::Instance();
        instance.wizardType = kWizardTypeDlm;
        return &instance;
    }();
    return *settings;
}

void CountOffers(benchmark::State& state) {
    state.counters["offers/s"] = benchmark::Counter(
        kOffers, benchmark::Counter::kIsRate | benchmark::Counter::kIsIterationInvariant);
    state.counters["s/offer"] = benchmark::Counter(
        kOffers, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The loader's whole pass: every offer built from its JSON, then judged.
void BM_ApplyResponse(benchmark::State& state) {
    ConfigurationManager& settings = Machine();
    const nlohmann::json response = Response();
    for (auto _ : state) {
        settings.acceptedOfferCount = 0;
        settings.extraOfferAllowance = 0;
        const ConfigurationResult result =
            ApplyConfigurationResponse(response, settings, ApplyOptions{false, nullptr});
        if (result.packages.size() != kOffers) state.SkipWithError("an offer was rejected");
        benchmark::DoNotOptimize(result.packages.data());
    }
    CountOffers(state);
}
BENCHMARK(BM_ApplyResponse)->Unit(benchmark::kMillisecond);

// The judging alone, on packages built once.
void BM_EvaluateOnly(benchmark::State& state) {
    ConfigurationManager& settings = Machine();
    const nlohmann::json response = Response();
    std::vector<std::shared_ptr<Package>> packages;
    for (int i = 0; i < kOffers; ++i) {
        packages.push_back(
            Package::CreateOffer(settings, BuildApiRequestBase(settings), response["o"][i], "", i));
    }
    for (auto _ : state) {
        settings.extraOfferAllowance = 0;
        OfferFilter filter(settings, 100'000);
        filter.reportRejections = false;
        PackageList accepted;
        for (const std::shared_ptr<Package>& package : packages) {
            bool maxReached = false;
            if (filter.Evaluate(package, accepted, maxReached)) accepted.push_back(package);
        }
        if (accepted.size() != kOffers) state.SkipWithError("an offer was rejected");
        benchmark::DoNotOptimize(accepted.data());
    }
    CountOffers(state);
}
BENCHMARK(BM_EvaluateOnly)->Unit(benchmark::kMillisecond);

}  // namespace
