// KeyExists over a machine whose registry holds 100,000 keys: 20,000 vendors under
// HKLM\SOFTWARE with four products each, and 1,000 vendors in the 32-bit view.
#include <benchmark/benchmark.h>

#include <string>

#include "eligibility/Registry.h"
#include "platform/Services.h"
#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixSystem.h"

namespace {

constexpr int kVendors = 20'000;
constexpr int kProducts = 4;
constexpr int kVendors32 = 1'000;

std::string MachineText() {
    std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]"
        "\r\n\"PROCESSOR_ARCHITECTURE\"=\"AMD64\"\r\n";
    for (int vendor = 0; vendor < kVendors; ++vendor) {
        const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + std::to_string(vendor);
        text += key + "]\r\n";
        for (int product = 0; product < kProducts; ++product) {
            text += key + "\\Product" + std::to_string(product) + "]\r\n\"Version\"=\"1.0\"\r\n";
        }
    }
    for (int vendor = 0; vendor < kVendors32; ++vendor) {
        text +=
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Legacy" + std::to_string(vendor) + "]\r\n";
    }
    text += "[HKEY_CURRENT_USER\\Software\\UserVendor]\r\n";
    return text;
}

// Installs the machine as the process's registry and system for the whole program.
const std::string& Machine() {
    static const std::string text = MachineText();
    static const bool installed = [] {
        auto registry = platform::posix::EmulatedRegistry::FromText(text, "bench.reg");
        platform::InstallServices(platform::Services{
            std::make_shared<platform::posix::PosixSystem>(registry), nullptr, nullptr, registry});
        return true;
    }();
    (void)installed;
    return text;
}

void BM_LoadHive(benchmark::State& state) {
    const std::string& text = Machine();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::posix::EmulatedRegistry::FromText(text, "bench.reg"));
    }
    state.SetLabel(std::to_string(text.size() / 1024) + " KiB of .reg text");
}
BENCHMARK(BM_LoadHive)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_KeyExistsAbsentVendor(benchmark::State& state) {
    Machine();
    win32::SubkeyCache cache;
    int i = 0;
    for (auto _ : state) {
        const std::wstring path =
            L"hkey_local_machine\\software\\absent" + std::to_wstring(i++ % 1000) + L"\\app";
        benchmark::DoNotOptimize(win32::KeyExists(path, cache));
    }
}
BENCHMARK(BM_KeyExistsAbsentVendor);

void BM_KeyExistsPresentVendor(benchmark::State& state) {
    Machine();
    win32::SubkeyCache cache;
    int i = 0;
    for (auto _ : state) {
        const std::wstring path = L"hkey_local_machine\\software\\vendor" +
                                  std::to_wstring(i++ % kVendors) + L"\\product2";
        benchmark::DoNotOptimize(win32::KeyExists(path, cache));
    }
}
BENCHMARK(BM_KeyExistsPresentVendor);

void BM_KeyExistsPresentVendorAbsentProduct(benchmark::State& state) {
    Machine();
    win32::SubkeyCache cache;
    int i = 0;
    for (auto _ : state) {
        const std::wstring path = L"hkey_local_machine\\software\\vendor" +
                                  std::to_wstring(i++ % kVendors) + L"\\product9";
        benchmark::DoNotOptimize(win32::KeyExists(path, cache));
    }
}
BENCHMARK(BM_KeyExistsPresentVendorAbsentProduct);

// A rule without a root: four candidate paths (both hives, both views).
void BM_RelativeRuleAllCandidates(benchmark::State& state) {
    Machine();
    win32::SubkeyCache cache;
    int i = 0;
    for (auto _ : state) {
        bool any = false;
        for (const std::wstring& path : win32::ExpandRulePath(
                 L"vendor" + std::to_wstring(i++ % (2 * kVendors)) + L"\\product1")) {
            any |= win32::KeyExists(path, cache);
        }
        benchmark::DoNotOptimize(any);
    }
}
BENCHMARK(BM_RelativeRuleAllCandidates);

// The first test of a pass: the software key's 20,001 subkeys are listed into the cache.
void BM_KeyExistsColdCache(benchmark::State& state) {
    Machine();
    for (auto _ : state) {
        win32::SubkeyCache cache;
        benchmark::DoNotOptimize(
            win32::KeyExists(L"hkey_local_machine\\software\\vendor1\\product1", cache));
    }
}
BENCHMARK(BM_KeyExistsColdCache)->Unit(benchmark::kMillisecond);

// Paths in capitals take the plain test: one open in the default view, no cache.
void BM_KeyExistsPlainPath(benchmark::State& state) {
    Machine();
    win32::SubkeyCache cache;
    int i = 0;
    for (auto _ : state) {
        const std::wstring path =
            L"hkey_local_machine\\SOFTWARE\\Legacy" + std::to_wstring(i++ % (2 * kVendors32));
        benchmark::DoNotOptimize(win32::KeyExists(path, cache));
    }
}
BENCHMARK(BM_KeyExistsPlainPath);

}  // namespace
