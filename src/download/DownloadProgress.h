#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "ui/MessageTarget.h"

// Progress messages a file download posts to the window it was given.
inline constexpr unsigned WM_DOWNLOAD_PROGRESS = ui::kWmUser + 1;      // wParam: whole percent
inline constexpr unsigned WM_DOWNLOAD_SIZE_UNKNOWN = ui::kWmUser + 2;  // no usable length

// Tells a window how far a file download has got. Posts only when the share received has grown
// by more than a hundredth since the last post, so a large file costs the window about a
// hundred messages whatever its chunk sizes.
class DownloadProgress {
public:
    // `window` may be null: nothing is posted then.
    explicit DownloadProgress(std::shared_ptr<ui::MessageTarget> window);

    // The response's content length, before the first chunk; or that it has none.
    void SetLength(std::uint32_t length);
    void SetLengthUnknown();
    // Either of the two, as `length` says.
    void SetLength(std::optional<std::uint32_t> length);

    // After each chunk of `count` bytes was written.
    void Advance(std::uint32_t count);

    // When the file is complete and verified. Posts 1, not 100: the value the window has
    // always been sent at the end.
    void Finish();

private:
    void Post(unsigned message, std::uintptr_t wParam);

    std::shared_ptr<ui::MessageTarget> window_;
    bool lengthKnown_ = false;
    std::uint32_t length_ = 0;
    double fraction_ = 0;
    double reported_ = 0;
};
