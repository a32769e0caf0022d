#include "download/TargetFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "download/TransferFailure.h"
#include "platform/Services.h"
#include "support/TempFolder.h"

namespace {

TEST(TargetFileTest, ThePartialPathIsExactlyAsLongAsTheTarget) {
    const struct {
        std::wstring target;
        std::wstring partial;
    } cases[] = {
        {L"C:\\Users\\u\\Downloads\\setup.exe", L"C:\\Users\\u\\Downloads\\~etup.exe"},
        {L"/home/u/Downloads/setup.exe", L"/home/u/Downloads/~etup.exe"},
        {L"/tmp/a", L"/tmp/~"},
        // The mark never makes the partial path the target's own.
        {L"/tmp/~setup.exe", L"/tmp/_setup.exe"},
        {L"setup.exe", L"~etup.exe"},
        // Without a name the path is opened as it is, and fails.
        {L"/tmp/", L"/tmp/"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        const std::wstring partial = TargetFile::PartialPathOf(c.target);
        EXPECT_EQ(partial, c.partial);
        EXPECT_EQ(partial.size(), c.target.size());
    }
    if constexpr (sizeof(wchar_t) == 2) {
        // U+1F4E6 in two UTF-16 units: both give way.
        EXPECT_EQ(TargetFile::PartialPathOf(L"d\\\xD83D\xDCE6.exe"), L"d\\~~.exe");
    }
}

// The platform's own files in a folder of the test's.
class TargetFileFilesTest : public ::testing::Test {
protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.FsPath())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Read(const std::wstring& path) const {
        std::ifstream in(std::filesystem::path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testing_support::TempFolder folder_;
    std::shared_ptr<const platform::Files> files_ = platform::GetFiles();
};

TEST_F(TargetFileFilesTest, ANameAsLongAsTheSystemTakesIsWritten) {
#ifdef _WIN32
    // The whole path within the 259 characters of a path buffer.
    const std::size_t nameLength = 259 - folder_.Path().size() - 1;
    const std::wstring separator = L"\\";
#else
    // The longest name a Linux file system takes.
    const std::size_t nameLength = 255;
    const std::wstring separator = L"/";
#endif
    const std::wstring name = std::wstring(nameLength - 4, L'n') + L".exe";
    const std::wstring target = folder_.Path() + separator + name;
    {
        TargetFile file(files_, target);
        file.CheckOpen();
        file.Write("program", 7);
        file.Complete(7u, {"reopen failed", false});
    }
    EXPECT_EQ(Read(target), "program");
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(TargetFileFilesTest, AFileThatFailsItsCheckLeavesThePreviousOneAsItWas) {
    const std::wstring target = folder_.Path() + L"/setup.exe";
    std::ofstream(std::filesystem::path(target), std::ios::binary) << "previous";
    {
        TargetFile file(files_, target);
        file.Write("short", 5);
        EXPECT_EQ(Entries(), (std::vector<std::string>{"setup.exe", "~etup.exe"}))
            << "the bytes go to the partial file";
        try {
            file.Complete(9u, {"reopen failed", false});
            ADD_FAILURE() << "a short file passed";
        } catch (const TransferFailure& failure) {
            EXPECT_STREQ(failure.what(),
                         "Download was incomplete: content length: 9, downloaded: 5");
        }
    }
    EXPECT_EQ(Read(target), "previous");
    EXPECT_EQ(Entries(), std::vector<std::string>{"setup.exe"});
}

}  // namespace
