#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace ui {

// A picture as it arrived: the encoded bytes of a PNG, JPEG or other image file. It is shared
// between the code that obtains it and the controls that show it; each GUI backend decodes it
// when it paints, so the rest of the program never depends on an image library. Bytes that are
// not an image still make an Image; it just paints nothing.
class Image {
public:
    explicit Image(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace ui
