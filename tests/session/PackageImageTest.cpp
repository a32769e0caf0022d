#include <future>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "session/Package.h"
#include "support/DevServerTest.h"
#include "support/PackageFixture.h"
#include "support/ScopedServices.h"
#include "support/TestDownloadServices.h"
#include "ui/Image.h"

namespace {

using nlohmann::json;

// Offer images fetched from the reference service's content folder.
class PackageImageTest : public testing_support::DevServerTest {
protected:
    void SetUp() override {
        DevServerTest::SetUp();
        const std::string target = "127.0.0.1:" + std::to_string(server().Port());
        transfers_.emplace(testing_support::MakeTestDownloadServices(server().CaFile(),
                                                                     {"localhost:443:" + target}));
        settings_ = std::make_unique<testing_support::ScopedPackageSettings>();
        settings_->settings().contentBaseUrl = server().Url(L"/f/");
    }
    void TearDown() override {
        settings_.reset();
        transfers_.reset();
        DevServerTest::TearDown();
    }

    // An offer whose image is `name`, after its image download completed.
    std::shared_ptr<Package> Loaded(const std::string& name) {
        json offer = testing_support::OfferFixture("plain");
        offer["ps"]["i"] = name;
        auto package = testing_support::MakeOffer(offer);
        std::promise<void> done;
        package->DownloadImage(settings_->settings(), [&done] { done.set_value(); });
        EXPECT_EQ(done.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
        return package;
    }

    std::optional<testing_support::ScopedServices> transfers_;
    std::unique_ptr<testing_support::ScopedPackageSettings> settings_;
};

TEST_F(PackageImageTest, BytesThatAreNoImageStillMakeAnImage) {
    const auto package = Loaded("hello.txt");
    ASSERT_NE(package->image, nullptr);
    EXPECT_FALSE(package->image->Bytes().empty());
    EXPECT_EQ(server().Log().back().at("path"), "/f/hello.txt");
}

TEST_F(PackageImageTest, MissingImageLeavesNoneAndStillCompletes) {
    EXPECT_EQ(Loaded("missing.png")->image, nullptr);
}

TEST_F(PackageImageTest, MainProductHasNoImageToFetch) {
    const auto main =
        Package::CreateMain(settings_->settings(), BuildApiRequestBase(), "p", "", "P", "");
    bool done = false;
    main->DownloadImage(settings_->settings(), [&done] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_TRUE(server().Log().empty());
}

}  // namespace
