#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "support/DevServer.h"
#include "support/FakeClock.h"
#include "support/FakeSystem.h"
#include "support/ScopedServices.h"

namespace testing_support {

// A test that talks to the shared reference service over TLS, on a simulated Windows 10
// whose pauses are recorded instead of waited for.
class DevServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server().Error(), "");
        server().Reset();
        services_ = std::make_unique<ScopedServices>(
            platform::Services{system_, clock_, server().Client()});
    }
    void TearDown() override { services_.reset(); }

    static DevServer& server() { return DevServer::Shared(); }
    FakeSystem& system() { return *system_; }
    FakeClock& clock() { return *clock_; }

private:
    std::shared_ptr<FakeSystem> system_ = std::make_shared<FakeSystem>();
    std::shared_ptr<FakeClock> clock_ = std::make_shared<FakeClock>();
    std::unique_ptr<ScopedServices> services_;
};

}  // namespace testing_support
