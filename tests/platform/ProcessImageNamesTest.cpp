#ifndef _WIN32
#include "platform/posix/ProcessImageNames.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace {

using platform::posix::ListProcessImageNames;

// One process folder as the proc file system shows it; a member left empty is missing (an
// `exe` link nobody may read, a process that has ended).
struct ProcessFolder {
    std::string exe;
    std::string comm;
    std::string cmdline;
};

void Write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

void Make(const std::filesystem::path& folder, const ProcessFolder& process) {
    std::filesystem::create_directories(folder);
    if (!process.exe.empty()) std::filesystem::create_symlink(process.exe, folder / "exe");
    if (!process.comm.empty()) Write(folder / "comm", process.comm + "\n");
    if (!process.comm.empty()) Write(folder / "cmdline", process.cmdline);
}

TEST(ProcessImageNamesTest, EachProcessIsNamedByItsProgramFile) {
    using namespace std::string_literals;
    const struct {
        const char* what;
        ProcessFolder process;
        std::vector<std::string> names;
    } cases[] = {
        {"the program file",
         {"/usr/lib/firefox-esr/firefox-esr", "firefox-esr", ""},
         {"firefox-esr"}},
        {"a program file removed since",
         {"/opt/x/a-rather-long-process-name (deleted)", "", ""},
         {"a-rather-long-process-name"}},
        {"comm cut short, the first argument whole",
         {"", "a-rather-long-p", "/opt/x/a-rather-long-process-name\0--flag\0"s},
         {"a-rather-long-process-name"}},
        {"comm cut short, the first argument rewritten",
         {"", "a-rather-long-p", "worker: idle\0"s},
         {"a-rather-long-p"}},
        {"comm whole, the first argument longer", {"", "bash", "-bash\0"s}, {"bash"}},
        {"comm whole, the first argument a title", {"", "sshd", "sshd: user@pts/0\0"s}, {"sshd"}},
        {"a kernel thread", {"", "kthreadd", ""}, {"kthreadd"}},
        {"a process that has ended", {"", "", ""}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const testing_support::TempFolder proc;
        Make(proc.FsPath() / "4242", c.process);
        EXPECT_EQ(ListProcessImageNames(proc.FsPath()), c.names);
    }
}

TEST(ProcessImageNamesTest, OnlyProcessFoldersAreWalked) {
    const testing_support::TempFolder proc;
    Make(proc.FsPath() / "1", {"/sbin/init", "", ""});
    Make(proc.FsPath() / "self", {"/usr/bin/test_platform", "", ""});
    Make(proc.FsPath() / "12a", {"/usr/bin/other", "", ""});
    std::filesystem::create_directories(proc.FsPath() / "sys");
    Write(proc.FsPath() / "uptime", "1.0 2.0\n");
    EXPECT_EQ(ListProcessImageNames(proc.FsPath()), (std::vector<std::string>{"init"}));

    EXPECT_EQ(ListProcessImageNames(proc.FsPath() / "missing"), std::nullopt);
}

}  // namespace
#endif
