#include "api/ProcessLaunch.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/FilePath.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

TEST(LaunchCommandLineTest, QuotesThePathAndKeepsTheArguments) {
    EXPECT_EQ(MakeLaunchCommandLine(L"C:\\t\\a b.exe", L"/S"), L"\"C:\\t\\a b.exe\" /S");
    EXPECT_EQ(MakeLaunchCommandLine(L"C:\\t\\a.exe", L""), L"\"C:\\t\\a.exe\" ");
    EXPECT_EQ(MakeLaunchCommandLine(L"C:\\a.exe", L"  \"x y\"  "), L"\"C:\\a.exe\"   \"x y\"  ");
}

// A copy of the argument-recording program in a folder whose name and path hold spaces.
class EchoChildTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_);
        fs::copy_file(TARNWICK_ECHO_ARGS_PATH, program_);
    }

    std::wstring Program() const { return platform::FromFsPath(program_); }

    void SetExitCode(std::uint32_t code) const {
        std::ofstream(fs::path(program_.native() + fs::path(".exitcode").native())) << code;
    }

    // The arguments the child received after its own name, which must be the program path.
    std::vector<std::string> ReceivedArguments() const {
        std::ifstream file(fs::path(program_.native() + fs::path(".json").native()));
        const nlohmann::json received = nlohmann::json::parse(file);
        EXPECT_EQ(fs::path(received.at(0).get<std::string>()), program_);
        return std::vector<std::string>(received.begin() + 1, received.end());
    }

    testing_support::TempFolder temp_;
    fs::path folder_ = temp_.FsPath() / "setup files";
    fs::path program_ = folder_ / "echo args.exe";
};

// Arguments reach the program as the platform's command-line rules split them.
TEST_F(EchoChildTest, ArgumentsArriveAsWindowsSplitsThem) {
    const struct {
        std::wstring arguments;
        std::vector<std::string> expected;
    } cases[] = {
        {L"/S", {"/S"}},
        {L"", {}},
        {L"  /S   /D=x  ", {"/S", "/D=x"}},
        {L"one \"two three\" four", {"one", "two three", "four"}},
        {L"/D=\"C:\\Program Files\\App\"", {"/D=C:\\Program Files\\App"}},
        {L"a\\\\b c\\d", {"a\\\\b", "c\\d"}},
        {L"say \\\"hi\\\"", {"say", "\"hi\""}},
        {L"\"ends in slash\\\\\" next", {"ends in slash\\", "next"}},
        {L"\"odd \\\\\\\" quote\"", {"odd \\\" quote"}},
        {L"\"\" empty", {"", "empty"}},
        {L"tab\there", {"tab", "here"}},
    };
    for (const auto& c : cases) {
        const LaunchResult result = LaunchExecutable(Program(), c.arguments, true);
        EXPECT_EQ(result, LaunchResult(0, L"")) << testing::PrintToString(c.arguments);
        EXPECT_EQ(ReceivedArguments(), c.expected) << testing::PrintToString(c.arguments);
    }
}

TEST_F(EchoChildTest, AWaitedProgramReportsItsExitCode) {
    const struct {
        std::uint32_t code;
        std::uint32_t reported;
    } cases[] = {
        {0, 0},
        {1, 1},
#ifdef _WIN32
        {3010, 3010},
#else
        // A Linux exit status carries the low 8 bits of the code only.
        {3010, 3010 & 0xFF},
#endif
    };
    for (const auto& c : cases) {
        SetExitCode(c.code);
        const LaunchResult result = LaunchExecutable(Program(), L"/S", true);
        EXPECT_EQ(result.first, c.reported);
        EXPECT_EQ(result.second,
                  c.reported == 0 ? L"" : L"exit code = " + std::to_wstring(c.reported));
    }
}

TEST_F(EchoChildTest, AProgramNotWaitedForReportsNoExitCode) {
    SetExitCode(0);
    const LaunchResult result = LaunchExecutable(Program(), L"/S", false);
    EXPECT_EQ(result, LaunchResult(0xFFFFFFFF, L"exit code = 4294967295"));
}

TEST_F(EchoChildTest, TheAsynchronousLaunchDeliversThroughItsFuture) {
    SetExitCode(7);
    std::future<LaunchResult> launch = LaunchExecutableAsync(Program(), L"x", true);
    EXPECT_EQ(launch.get(), LaunchResult(7, L"exit code = 7"));
    EXPECT_EQ(ReceivedArguments(), std::vector<std::string>{"x"});
}

TEST(LaunchFailureTest, AMissingProgramIsReportedWithTheSystemText) {
    testing_support::TempFolder temp;
    const LaunchResult result =
        LaunchExecutable(platform::FromFsPath(temp.FsPath() / "missing.exe"), L"/S", true);
    EXPECT_EQ(result.first, 0xFFFFFFFFu);
    const std::wstring prefix = L"Error launching executable: ";
    ASSERT_EQ(result.second.rfind(prefix, 0), 0u) << testing::PrintToString(result.second);
    EXPECT_GT(result.second.size(), prefix.size()) << "the system's text follows";
#ifndef _WIN32
    EXPECT_EQ(result.second, prefix + L"No such file or directory");
#endif
}

#ifndef _WIN32

// Installers as small shell scripts, written the way a download leaves a file: readable and
// writable, not executable.
class ScriptInstallerTest : public ::testing::Test {
protected:
    std::wstring WriteScript(const std::string& name, const std::string& body) {
        const fs::path path = temp_.FsPath() / name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
        return platform::FromFsPath(path);
    }
    fs::path Marker() const { return temp_.FsPath() / "marker"; }

    testing_support::TempFolder temp_;
};

TEST_F(ScriptInstallerTest, ADownloadedScriptRunsAndItsCodeIsReported) {
    const std::wstring script =
        WriteScript("installer.exe", "echo \"$1\" > '" + Marker().string() + "'\nexit 3\n");
    const LaunchResult result = LaunchExecutable(script, L"/S", true);
    EXPECT_EQ(result, LaunchResult(3, L"exit code = 3"));
    std::string written;
    std::getline(std::ifstream(Marker()), written);
    EXPECT_EQ(written, "/S");
    EXPECT_NE(fs::status(platform::ToFsPath(script)).permissions() & fs::perms::owner_exec,
              fs::perms::none);
}

TEST_F(ScriptInstallerTest, ASuccessfulInstallerGivesZeroAndNoMessage) {
    const std::wstring script = WriteScript("ok.exe", "touch '" + Marker().string() + "'\n");
    EXPECT_EQ(LaunchExecutable(script, L"", true), LaunchResult(0, L""));
    EXPECT_TRUE(fs::exists(Marker()));
}

TEST_F(ScriptInstallerTest, AnInstallerNotWaitedForRunsOn) {
    const std::wstring script =
        WriteScript("slow.exe", "sleep 0.2\ntouch '" + Marker().string() + "'\n");
    EXPECT_EQ(LaunchExecutable(script, L"", false),
              LaunchResult(0xFFFFFFFF, L"exit code = 4294967295"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(Marker()) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(fs::exists(Marker()));
}

TEST_F(ScriptInstallerTest, AFileThatIsNoProgramIsNotHandedToAShell) {
    const fs::path path = temp_.FsPath() / "notes.exe";
    std::ofstream(path) << "touch '" << Marker().string() << "'\n";
    const LaunchResult result = LaunchExecutable(platform::FromFsPath(path), L"", true);
    EXPECT_EQ(result, LaunchResult(0xFFFFFFFF, L"Error launching executable: Exec format error"));
    EXPECT_FALSE(fs::exists(Marker()));
}

#endif

}  // namespace
