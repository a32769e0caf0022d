#include "api/FileVersionText.h"

#include <gtest/gtest.h>

#include "support/FakeSystem.h"
#include "support/ScopedServices.h"

namespace {

TEST(FileVersionTextTest, TheFourHalvesOfTheFixedFileVersion) {
    auto system = std::make_shared<testing_support::FakeSystem>();
    platform::Services services;
    services.system = system;
    const testing_support::ScopedServices scoped(services);

    system->fileVersion = platform::FileVersion{(3u << 16) | 2u, (1u << 16) | 57382u};
    EXPECT_EQ(GetFileVersionString(), "3.2.1.57382");
    system->fileVersion = platform::FileVersion{0xFFFFFFFFu, 0};
    EXPECT_EQ(GetFileVersionString(), "65535.65535.0.0");
    system->fileVersion.reset();
    EXPECT_EQ(GetFileVersionString(), "") << "no version resource";
}

}  // namespace
