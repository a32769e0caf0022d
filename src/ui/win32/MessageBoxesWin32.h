#pragma once

#include "ui/MessageBoxes.h"

namespace ui {

// The system's own message box, owned by no window.
class MessageBoxesWin32 : public MessageBoxes {
public:
    int Show(const std::wstring& text, const std::wstring& title, unsigned flags) override;
};

}  // namespace ui
