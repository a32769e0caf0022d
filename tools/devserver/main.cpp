// tarnwick-devserver: the reference API service the tests and the demo talk to over HTTPS.
// Prints "port N" on stdout once it listens; stops cleanly on SIGTERM or SIGINT.

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/signal_set.hpp>

#include "RequestLog.h"
#include "Routes.h"
#include "ScriptBook.h"
#include "Server.h"
#include "TlsMaterial.h"

namespace {

namespace fs = std::filesystem;
namespace asio = boost::asio;
using namespace devserver;

const char* const kUsage =
    "usage: tarnwick-devserver --root DIR [--port N] [--bind ADDR] [--tls-dir DIR]\n"
    "                          [--san NAME]... [--log FILE] [--script FILE]\n"
    "                          [--interim-continue yes|no]\n"
    "\n"
    "  --root DIR     config.json answers POST /o; files/NAME answers GET /f/NAME\n"
    "                 (GET /f/NAME?redirects=N, status=S, chunked=1, cut=K, extra=K, slow_ms=M,\n"
    "                 size=N... make download faults; see FileFaults.h)\n"
    "  --port N       port to listen on; 0 (default) picks a free one\n"
    "  --bind ADDR    address to listen on (default 127.0.0.1; localhost means 127.0.0.1)\n"
    "  --tls-dir DIR  where ca.pem, ca-key.pem, server.pem, server-key.pem live; created when\n"
    "                 missing, reused when present (default: a new temporary folder)\n"
    "  --san NAME     another host name for the server certificate (repeatable)\n"
    "  --log FILE     append one JSON line per request\n"
    "  --script FILE  initial fault script: {\"/o\": [{\"status\": 503}, ...]}\n"
    "  --interim-continue yes|no\n"
    "                 answer \"Expect: 100-continue\" with an interim 100 first (default yes);\n"
    "                 no for clients that cannot take one, such as WinHTTP under Wine\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    fs::path root;
    unsigned short port = 0;
    std::string bind = "127.0.0.1";
    std::optional<fs::path> tlsDir;
    std::vector<std::string> extraNames;
    std::optional<fs::path> logFile;
    std::optional<fs::path> scriptFile;
    bool interimContinue = true;
};

unsigned short ParsePort(const std::string& text) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || value > 65535) {
        throw UsageError("--port needs a number 0..65535, not \"" + text + "\"");
    }
    return static_cast<unsigned short>(value);
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    bool haveRoot = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            std::cout << kUsage;
            std::exit(0);
        }
        if (i + 1 >= argc) {
            throw UsageError(flag == "--root" || flag == "--port" || flag == "--bind" ||
                                     flag == "--tls-dir" || flag == "--san" || flag == "--log" ||
                                     flag == "--script" || flag == "--interim-continue"
                                 ? flag + " needs a value"
                                 : "unknown option " + flag);
        }
        const std::string value = argv[++i];
        if (flag == "--root") {
            options.root = value;
            haveRoot = true;
        } else if (flag == "--port") {
            options.port = ParsePort(value);
        } else if (flag == "--bind") {
            options.bind = value == "localhost" ? "127.0.0.1" : value;
        } else if (flag == "--tls-dir") {
            options.tlsDir = value;
        } else if (flag == "--san") {
            options.extraNames.push_back(value);
        } else if (flag == "--log") {
            options.logFile = value;
        } else if (flag == "--script") {
            options.scriptFile = value;
        } else if (flag == "--interim-continue") {
            if (value != "yes" && value != "no") {
                throw UsageError("--interim-continue needs yes or no, not \"" + value + "\"");
            }
            options.interimContinue = value == "yes";
        } else {
            throw UsageError("unknown option " + flag);
        }
    }
    if (!haveRoot) {
        throw UsageError("--root is required");
    }
    if (!fs::is_directory(options.root)) {
        throw UsageError("--root " + options.root.string() + " is not a folder");
    }
    return options;
}

fs::path TemporaryTlsDir() {
    std::string pattern = (fs::temp_directory_path() / "tarnwick-devserver-tls.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder for the certificates");
    }
    return pattern;
}

Script LoadScript(const fs::path& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot read script " + path.string());
    }
    try {
        return ParseScript(nlohmann::json::parse(in));
    } catch (const std::exception& error) {
        throw std::runtime_error("script " + path.string() + ": " + error.what());
    }
}

int Run(const Options& options) {
    ScriptBook scripts;
    if (options.scriptFile) {
        scripts.Replace(LoadScript(*options.scriptFile));
    }

    const fs::path tlsDir = options.tlsDir ? *options.tlsDir : TemporaryTlsDir();
    if (!options.tlsDir) {
        std::cerr << "tarnwick-devserver: certificates in " << tlsDir.string() << '\n';
    }
    const TlsMaterial tls = EnsureTlsMaterial(tlsDir, options.extraNames);
    RequestLog log(options.logFile);
    Routes routes(options.root, scripts, log);

    asio::io_context io;
    const asio::ip::tcp::endpoint endpoint(asio::ip::make_address(options.bind), options.port);
    Server server(io, endpoint, tls,
                  [&routes](const Request& request) { return routes.Handle(request); });
    server.SetInterimContinue(options.interimContinue);

    // Installed before the port is announced: a parent may signal as soon as it reads it.
    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&server](const boost::system::error_code&, int) { server.Stop(); });

    server.Start();
    std::cout << "port " << server.Port() << '\n' << std::flush;
    io.run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Peers hanging up mid-answer must cost one connection, not the process.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return Run(ParseOptions(argc, argv));
    } catch (const UsageError& error) {
        std::cerr << "tarnwick-devserver: " << error.what() << "\n\n" << kUsage;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "tarnwick-devserver: " << error.what() << '\n';
        return 1;
    }
}
