#include <iostream>
#include <string>
#include <vector>

#include "Arguments.h"
#include "DownloadCommand.h"
#include "EvaluateCommand.h"
#include "RequestCommand.h"

namespace {

constexpr const char* kUsage =
    "usage: tarnwick-inspect request --api URL [--ca FILE] [--exe-path PATH] [--locale NAME]\n"
    "       tarnwick-inspect download URL [--ca FILE] [--to DIR] [--name NAME]\n"
    "       tarnwick-inspect evaluate --response FILE [--machine PROFILE.reg] [--ram-mb N]\n"
    "                [--disk-mb N] [--process NAME]... [--wizard DLM|ISV]\n"
    "                [--api URL [--ca FILE]]\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    try {
        if (words[0] == "request") return inspect::RunRequestCommand(rest);
        if (words[0] == "download") return inspect::RunDownloadCommand(rest);
        if (words[0] == "evaluate") return inspect::RunEvaluateCommand(rest);
        std::cerr << "tarnwick-inspect: unknown command " << words[0] << '\n' << kUsage;
    } catch (const inspect::UsageError& error) {
        std::cerr << "tarnwick-inspect: " << error.what() << '\n' << kUsage;
    } catch (const std::exception& error) {
        std::cerr << "tarnwick-inspect: " << error.what() << '\n';
        return 1;
    }
    return 2;
}
