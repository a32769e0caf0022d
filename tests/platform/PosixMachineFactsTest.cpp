#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/FilePath.h"
#include "platform/TextCodec.h"
#include "platform/posix/PosixSystem.h"
#include "support/TempFolder.h"

namespace {

using platform::posix::PosixSystem;

std::uint32_t ToErrorCode(int number) {
    return static_cast<std::uint32_t>(number);
}

// MemTotal of /proc/meminfo in bytes; 0 when it is not there.
std::uint64_t MemTotalBytes() {
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    while (std::getline(meminfo, line)) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t kibibytes = 0;
        if (fields >> name >> kibibytes && name == "MemTotal:") return kibibytes * 1024;
    }
    return 0;
}

TEST(PosixMachineFactsTest, MemoryIsThePhysicalMemoryTheKernelCounts) {
    const std::uint64_t expected = MemTotalBytes();
    ASSERT_GT(expected, 0u);
    platform::MemoryStatus status;
    std::uint32_t error = 0;
    ASSERT_TRUE(PosixSystem().GlobalMemoryStatusEx(status, error));
    // /proc/meminfo counts whole kibibytes.
    EXPECT_LT(std::max(status.totalPhys, expected) - std::min(status.totalPhys, expected), 1024u)
        << status.totalPhys << " bytes against MemTotal " << expected;
}

TEST(PosixMachineFactsTest, FreeSpaceIsWhatTheCallerMayStillWrite) {
    const testing_support::TempFolder folder;
    std::uint64_t available = 0;
    std::uint32_t error = 0;
    ASSERT_TRUE(PosixSystem().GetDiskFreeSpaceEx(folder.Path(), available, error)) << error;
    EXPECT_GT(available, 0u);
    // Blocks kept for the superuser are not counted. Others write to this disk meanwhile.
    const std::uint64_t reference = std::filesystem::space(folder.FsPath()).available;
    const std::uint64_t tolerance = 512ull << 20;
    EXPECT_LT(std::max(available, reference) - std::min(available, reference), tolerance)
        << available << " against " << reference;
}

TEST(PosixMachineFactsTest, FreeSpaceOfAPathThatNamesNoFileFailsWithItsCode) {
    const testing_support::TempFolder folder;
    for (const std::wstring& root :
         {folder.Path() + L"/missing", std::wstring(L"C:\\"), std::wstring(L"")}) {
        SCOPED_TRACE(platform::EncodeUtf8(root));
        std::uint64_t available = 12345;
        std::uint32_t error = 0;
        EXPECT_FALSE(PosixSystem().GetDiskFreeSpaceEx(root, available, error));
        EXPECT_EQ(error, ToErrorCode(ENOENT));
        EXPECT_EQ(available, 12345u) << "a failed call leaves the result alone";
    }
}

// Sets HOME for one test and puts it back.
class VolumeRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* home = std::getenv("HOME")) savedHome_ = home;
    }
    void TearDown() override {
        if (savedHome_) {
            ::setenv("HOME", savedHome_->c_str(), 1);
        } else {
            ::unsetenv("HOME");
        }
    }

    testing_support::TempFolder home_;

private:
    std::optional<std::string> savedHome_;
};

// The Desktop folder whose volume is measured is usually missing on Linux: its empty path
// then stands for the home folder, whose volume is measured instead.
TEST_F(VolumeRootTest, APathIsItsOwnRootAndNoPathStandsForTheHomeFolder) {
    ::setenv("HOME", home_.FsPath().c_str(), 1);
    const std::wstring desktop = home_.Path() + L"/Desktop";
    EXPECT_EQ(platform::VolumeRootOf(desktop), desktop);
    EXPECT_EQ(platform::VolumeRootOf(L"/"), L"/");
    EXPECT_EQ(platform::VolumeRootOf(L""), home_.Path());

    std::uint64_t available = 0;
    std::uint32_t error = 0;
    EXPECT_TRUE(PosixSystem().GetDiskFreeSpaceEx(platform::VolumeRootOf(L""), available, error))
        << error;

    // A HOME that is no absolute path is not the home folder; the account's entry is.
    ::setenv("HOME", "relative/home", 1);
    const std::wstring fallback = platform::VolumeRootOf(L"");
    EXPECT_TRUE(fallback.starts_with(L"/")) << platform::EncodeUtf8(fallback);
}

TEST(PosixMachineFactsTest, PathFileExistsForFilesAndFoldersAlike) {
    const testing_support::TempFolder folder;
    const std::filesystem::path base = folder.FsPath();
    std::ofstream(base / "file.txt") << "x";
    std::ofstream(base / "Gr\u00fc\u00dfe.txt") << "x";
    std::filesystem::create_directory(base / "folder");
    std::filesystem::create_symlink(base / "file.txt", base / "link");
    std::filesystem::create_symlink(base / "gone", base / "dangling");
    const std::wstring root = folder.Path();
    const struct {
        std::wstring path;
        bool exists;
    } cases[] = {
        {root + L"/file.txt", true},
        {root + L"/Gr\u00fc\u00dfe.txt", true},
        {root + L"/folder", true},
        {root + L"/folder/", true},
        {root + L"/link", true},
        {root + L"/dangling", false},
        {root + L"/FILE.TXT", false},
        {root + L"/missing", false},
        {root + L"\\file.txt", false},
        {L"C:\\Windows", false},
        {L"", false},
    };
    const PosixSystem system;
    for (const auto& c : cases) {
        EXPECT_EQ(system.PathFileExists(c.path), c.exists) << platform::EncodeUtf8(c.path);
    }
}

// A program started for the test, killed and reaped when the test ends.
class ChildProcess {
public:
    ChildProcess(const std::filesystem::path& program, const char* argument) {
        const std::string path = program.string();
        char* const argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>(argument),
                              nullptr};
        if (::posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = 0;
    }
    ~ChildProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = 0;
};

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(PosixMachineFactsTest, SnapshotNamesRunningProgramsByTheirWholeFileName) {
    const PosixSystem system;
    const std::optional<std::vector<std::wstring>> own = system.SnapshotProcessNames();
    ASSERT_TRUE(own.has_value());
    EXPECT_TRUE(Contains(*own, L"test_platform"));

    // A name longer than the kernel's 15-byte process name.
    const testing_support::TempFolder folder;
    const std::filesystem::path program = folder.FsPath() / "a-rather-long-process-name";
    std::filesystem::copy_file("/bin/sleep", program);
    const ChildProcess child(program, "30");
    ASSERT_GT(child.Pid(), 0);
    std::string comm;
    std::ifstream("/proc/" + std::to_string(child.Pid()) + "/comm") >> comm;
    EXPECT_EQ(comm, "a-rather-long-p") << "the kernel's own name is cut";

    // The child has started its program by the time posix_spawn returns; the loop only guards
    // against a slow start.
    bool found = false;
    for (int attempt = 0; attempt < 100 && !found; ++attempt) {
        const auto names = system.SnapshotProcessNames();
        ASSERT_TRUE(names.has_value());
        found = Contains(*names, L"a-rather-long-process-name");
        if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(found);
}

}  // namespace
#endif
