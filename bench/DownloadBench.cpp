// Our file download against the curl command line, fetching the same large file from the same
// local server in the same run, over HTTP and over HTTPS. Reports the throughput of both, their
// ratio and our peak memory. A program of its own rather than a Google Benchmark: the yardstick
// is another process, timed the same way as we are.
//
// usage: DownloadBench --http URL --https URL --ca FILE --dir DIR [--runs N]

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/ConfigurationManager.h"
#include "download/DownloadManager.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"
#include "platform/posix/CurlWinHttp.h"
#include "platform/posix/CurlWinInet.h"
#include "ui/MessageTarget.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The window: counts what it is told, as cheaply as a real one queues it.
class CountingWindow : public ui::MessageTarget {
public:
    void PostMessage(unsigned, std::uintptr_t, std::intptr_t) override { ++posts_; }
    int Posts() const { return posts_; }

private:
    std::atomic<int> posts_{0};
};

// The peak resident set of this process in KiB, as the kernel keeps it (what getrusage calls
// ru_maxrss).
long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct Run {
    double seconds = 0;
    std::uintmax_t bytes = 0;
    bool ok = false;
};

Run TimeCurl(const std::string& url, const std::string& ca, const fs::path& out) {
    // The same TLS versions our first transfer offers on Windows 7 SP1 and later.
    const std::string command = "curl -sS --fail --tls-max 1.2 --cacert " + Quoted(ca) + " -o " +
                                Quoted(out.string()) + " " + Quoted(url);
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const auto stop = Clock::now();
    Run run;
    run.seconds = std::chrono::duration<double>(stop - start).count();
    std::error_code error;
    run.bytes = fs::file_size(out, error);
    run.ok = status == 0 && !error;
    fs::remove(out, error);
    return run;
}

Run TimeOurs(const std::string& url, const fs::path& out) {
    const auto window = std::make_shared<CountingWindow>();
    const auto manager = std::make_shared<DownloadManager>();
    const auto start = Clock::now();
    const DownloadResult result =
        manager->DownloadFile(platform::DecodeUtf8(url).value(), window,
                              platform::DecodeUtf8(out.filename().string()).value(), false);
    const auto stop = Clock::now();
    Run run;
    run.seconds = std::chrono::duration<double>(stop - start).count();
    std::error_code error;
    run.bytes = fs::file_size(out, error);
    // Only the first transfer counts: a fallback would time something else.
    run.ok = result.first && result.second.empty() && !error;
    if (!run.ok) std::cerr << "ours: " << platform::EncodeUtf8(result.second) << '\n';
    fs::remove(out, error);
    return run;
}

double MiBPerSecond(const Run& run) {
    return run.bytes / (1024.0 * 1024.0) / run.seconds;
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options{{"--runs", "3"}};
    for (int i = 1; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    for (const char* required : {"--http", "--https", "--ca", "--dir"}) {
        if (!options.count(required)) {
            std::cerr
                << "usage: DownloadBench --http URL --https URL --ca FILE --dir DIR [--runs N]\n";
            return 2;
        }
    }
    const fs::path dir = options["--dir"];
    const int runs = std::max(1, std::atoi(options["--runs"].c_str()));

    const platform::posix::CurlOptions curlOptions{options["--ca"], {}};
    platform::Services transfers;
    transfers.winHttp = std::make_shared<platform::posix::CurlWinHttp>(curlOptions);
    transfers.winInet = std::make_shared<platform::posix::CurlWinInet>(curlOptions);
    platform::InstallServices(std::move(transfers));
    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();
    settings->downloadFolder = platform::DecodeUtf8(dir.string()).value();
    std::error_code ignored;
    if (!settings->tempFolder.empty()) fs::remove(fs::path(settings->tempFolder), ignored);

    // What the program holds before any download, against which the peak shows what downloads
    // add.
    const long baseline = PeakResidentKiB();
    bool allOk = true;
    for (const char* scheme : {"--http", "--https"}) {
        const std::string url = options[scheme];
        Run bestCurl{1e30, 0, false};
        Run bestOurs{1e30, 0, false};
        // Taken in turns, so a busy moment of the machine costs both alike; the best of each
        // is what the code can do.
        for (int i = 0; i < runs; ++i) {
            const Run curl = TimeCurl(url, options["--ca"], dir / "curl.bin");
            const Run ours = TimeOurs(url, dir / "ours.bin");
            allOk = allOk && curl.ok && ours.ok && curl.bytes == ours.bytes;
            if (curl.ok && curl.seconds < bestCurl.seconds) bestCurl = curl;
            if (ours.ok && ours.seconds < bestOurs.seconds) bestOurs = ours;
        }
        std::printf(
            "%-5s %llu bytes, best of %d: ours %.3f s (%.1f MiB/s), curl %.3f s (%.1f MiB/s), "
            "ratio %.3f\n",
            scheme + 2, static_cast<unsigned long long>(bestOurs.bytes), runs, bestOurs.seconds,
            MiBPerSecond(bestOurs), bestCurl.seconds, MiBPerSecond(bestCurl),
            MiBPerSecond(bestOurs) / MiBPerSecond(bestCurl));
    }
    std::printf(
        "peak memory (ours, VmHWM = ru_maxrss): %ld KiB; %ld KiB before the first "
        "download\n",
        PeakResidentKiB(), baseline);
    if (!allOk) std::fprintf(stderr, "some runs failed or sizes differed\n");
    return allOk ? 0 : 1;
}
