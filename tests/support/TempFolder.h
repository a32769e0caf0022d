#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::wstring Path() const { return path_.wstring(); }
    const std::filesystem::path& FsPath() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
