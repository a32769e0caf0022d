#pragma once

#include <cstdint>

namespace ui {

// The first message number free for a program's own messages (WM_USER).
inline constexpr unsigned kWmUser = 0x400;

// A window as a background task sees it: something to post a message to. Posting never waits
// for the window and is safe from any thread; the message is handled later on the window's own
// thread, in the order posted. A window that is gone drops what is posted to it.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace ui
