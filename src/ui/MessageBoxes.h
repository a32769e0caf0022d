#pragma once

#include <memory>
#include <string>

namespace ui {

// Flags and answers as the platform's message box takes and gives them.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbSystemModal = 0x1000;
inline constexpr int kIdOk = 1;

// Asks the user something in a modal box. The wizard installs the real one; until then, and
// in programs without windows, the text goes to the standard error stream.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual int Show(const std::wstring& text, const std::wstring& title, unsigned flags) = 0;
};

std::shared_ptr<MessageBoxes> GetMessageBoxes();
// Returns the service that was installed before.
std::shared_ptr<MessageBoxes> InstallMessageBoxes(std::shared_ptr<MessageBoxes> boxes);

}  // namespace ui
