#include "ui/win32/MessageBoxesWin32.h"

#include <windows.h>

namespace ui {

static_assert(kMbOk == MB_OK && kMbIconError == MB_ICONERROR && kMbSystemModal == MB_SYSTEMMODAL &&
              kIdOk == IDOK);

int MessageBoxesWin32::Show(const std::wstring& text, const std::wstring& title, unsigned flags) {
    return ::MessageBoxW(nullptr, text.c_str(), title.c_str(), flags);
}

}  // namespace ui
