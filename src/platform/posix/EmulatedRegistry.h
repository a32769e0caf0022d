#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/AtomicFile.h"
#include "platform/posix/HiveKey.h"
#include "platform/posix/MachineProfile.h"

namespace platform::posix {

// The registry of a simulated Windows machine, for a Linux machine that has none.
//
// Each root key is a hive kept in memory and, unless the registry was made from text, stored
// in a registry file of its own in one folder: HKLM.reg, HKCU.reg, HKCR.reg, HKU.reg and
// HKCC.reg. The files are loaded on first use; a missing one is made then, HKLM.reg with the
// default profile of this machine (see MachineProfile.h). A file is read as UTF-16LE (with
// its byte-order mark) or UTF-8 and always written as UTF-16LE with a byte-order mark, as
// regedit writes it.
//
// Every change is written through at once: under an flock of the folder's ".lock" file the
// hive file is read again, the change is made to what it holds (so a change another process
// made meanwhile is kept) and the result replaces the file by rename. A hive file that has
// vanished or is marked read-only is not written: the change fails with ERROR_ACCESS_DENIED
// and nothing changes in memory either. Reads use the hive in memory, which is read again
// when a key is opened from its root after another process replaced the file.
//
// Names of keys and values compare without regard to case and keep the case they were made
// with. The wizard is a 32-bit program: on a 64-bit profile (see MachineProfile.h) it sees
// HKLM\SOFTWARE in the 32-bit view, redirected to HKLM\SOFTWARE\WOW6432Node, unless it asks
// for the 64-bit view with KEY_WOW64_64KEY; HKCU\Software and every other key are the same in
// both views. On a 32-bit profile nothing is redirected and the view flags are ignored.
class EmulatedRegistry : public Registry {
    // Only FromText makes a registry without files.
    struct InMemory {};

public:
    explicit EmulatedRegistry(InMemory) {}

    // Hives stored in `directory`. `facts` make the default profile; by default they are read
    // from this machine when the profile is made.
    explicit EmulatedRegistry(std::filesystem::path directory,
                              std::optional<MachineFacts> facts = std::nullopt);

    // A machine described by registry-file text, held in memory only: changes are never
    // written anywhere. Sections of any root may appear. Throws RegFileError.
    static std::shared_ptr<EmulatedRegistry> FromText(std::string_view regText,
                                                      const std::string& sourceName = "<text>");

    // $TARNWICK_REGISTRY_DIR; else $XDG_DATA_HOME/tarnwick/registry; else
    // $HOME/.local/share/tarnwick/registry; empty when none of them is set.
    static std::filesystem::path DefaultDirectory();

    // The file of the hive of `root`; empty for a registry made from text.
    std::filesystem::path HivePath(Hkey root) const;

    // Loads the hives now instead of at first use. Throws std::runtime_error: for a corrupt
    // hive file a RegFileError whose message is "FILE:LINE: what"; for a file or folder that
    // cannot be read or made, a message naming it.
    void Load();

    // The Windows facts the HKEY_LOCAL_MACHINE hive records; nothing when the hives cannot be
    // loaded.
    std::optional<MachineProfile> GetMachineProfile();

    long OpenKey(Hkey key, std::wstring_view subKey, std::uint32_t options, RegSam access,
                 Hkey& result) override;
    long OpenKeyA(Hkey key, std::string_view subKey, std::uint32_t options, RegSam access,
                  Hkey& result) override;
    long CreateKey(Hkey key, std::wstring_view subKey, RegSam access, Hkey& result,
                   bool* created) override;
    long GetValue(Hkey key, std::wstring_view subKey, std::wstring_view valueName,
                  std::uint32_t flags, std::uint32_t* type, void* data,
                  std::uint32_t* dataSize) override;
    long QueryValue(Hkey key, std::wstring_view valueName, std::uint32_t* type, void* data,
                    std::uint32_t* dataSize) override;
    long QueryValueA(Hkey key, std::string_view valueName, std::uint32_t* type, void* data,
                     std::uint32_t* dataSize) override;
    long EnumKey(Hkey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameLength) override;
    long QueryInfoKey(Hkey key, KeyInfo& info) override;
    long SetValue(Hkey key, std::wstring_view valueName, std::uint32_t type, const void* data,
                  std::uint32_t dataSize) override;
    long CloseKey(Hkey key) override;

private:
    struct Hive {
        HiveKey root;
        FileStamp stamp;
    };
    // An open key: its root and the path of folded names below it, after redirection.
    struct OpenedKey {
        int root = 0;
        std::vector<std::wstring> path;
        RegSam access = 0;
    };
    // Where a call lands: a root and a path of key names below it.
    struct Target {
        int root = 0;
        std::vector<std::wstring> parent;  // folded names of the key the call starts from
        std::vector<std::wstring> added;   // names the call adds, as the caller wrote them
        std::vector<std::wstring> Folded() const;
    };

    long EnsureLoaded();
    void LoadLocked();
    void CreateMissingHives();
    HiveKey ReadHiveFile(int root, FileStamp& stamp) const;
    long RefreshIfChanged(int root);
    void UpdateProfile();

    long Resolve(Hkey key, RegSam needed, OpenedKey& opened) const;
    long FindQueriedKey(Hkey key, const HiveKey*& node) const;
    // QueryValue and QueryValueA: a value named by `name` (nothing: a name that cannot name
    // any value), its text data as the platform's wide text or as narrow text.
    long QueryStoredValue(Hkey key, const std::optional<std::wstring>& name, std::uint32_t* type,
                          void* data, std::uint32_t* dataSize, bool narrowText);
    long Locate(Hkey key, std::wstring_view subKey, RegSam view, Target& target);
    long AddHandle(int root, std::vector<std::wstring> path, RegSam access, Hkey& result);
    long Change(int root, const std::function<long(HiveKey&)>& change);

    std::filesystem::path directory_;  // empty: held in memory only
    std::optional<MachineFacts> facts_;
    std::mutex mutex_;
    bool loaded_ = false;
    bool loadErrorReported_ = false;
    std::array<Hive, 5> hives_;
    MachineProfile profile_;
    std::unordered_map<std::uintptr_t, OpenedKey> handles_;
    std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace platform::posix
