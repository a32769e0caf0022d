#include "api/ResourceImage.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

TEST(ResourceImageTest, TheThreePicturesAre512SquarePngsWithAlpha) {
    const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const struct {
        std::uint16_t id;
        const wchar_t* type;
    } pictures[] = {{101, L"IMAGE_BLOB"}, {102, L"IMAGE_BLOB2"}, {103, L"IMAGE_BLOB3"}};
    for (const auto& picture : pictures) {
        const std::shared_ptr<ui::Image> image =
            LoadImageFromResource(nullptr, picture.id, picture.type);
        ASSERT_NE(image, nullptr) << picture.id;
        const std::vector<std::uint8_t>& bytes = image->Bytes();
        ASSERT_GT(bytes.size(), 33u);
        EXPECT_TRUE(std::equal(signature.begin(), signature.end(), bytes.begin())) << picture.id;
        // The header chunk: width, height, bit depth 8, colour type 6 (RGBA).
        EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
        EXPECT_EQ(BigEndian(bytes, 16), 512u);
        EXPECT_EQ(BigEndian(bytes, 20), 512u);
        EXPECT_EQ(bytes[24], 8);
        EXPECT_EQ(bytes[25], 6);
    }
}

TEST(ResourceImageTest, ResourcesAreFoundByTypeAndIdTogether) {
    EXPECT_NE(LoadImageFromResource(nullptr, 101, L"image_blob"), nullptr)
        << "type names compare without regard to case";
    EXPECT_EQ(LoadImageFromResource(nullptr, 102, L"IMAGE_BLOB"), nullptr) << "id of another type";
    EXPECT_EQ(LoadImageFromResource(nullptr, 104, L"IMAGE_BLOB3"), nullptr);
    EXPECT_EQ(LoadImageFromResource(nullptr, 101, L"IMAGE"), nullptr);
    EXPECT_EQ(LoadImageFromResource(nullptr, 101, L"IMAGE_BLOB1"), nullptr);
}

TEST(ResourceImageTest, EachLoadIsAnImageOfItsOwn) {
    const auto first = LoadImageFromResource(nullptr, 103, L"IMAGE_BLOB3");
    const auto second = LoadImageFromResource(nullptr, 103, L"IMAGE_BLOB3");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->Bytes(), second->Bytes());
}

}  // namespace
