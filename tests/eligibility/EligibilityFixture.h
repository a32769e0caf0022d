#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CountingRegistry.h"
#include "session/ConfigurationResponse.h"
#include "support/FakeClock.h"
#include "support/FakeSystem.h"
#include "support/PackageFixture.h"
#include "support/ScopedServices.h"

namespace eligibility_test {

// An offer with the three required texts, identifier `id` and the rule members `ps`.
nlohmann::json MakeOfferJson(const std::string& id,
                             const nlohmann::json& ps = nlohmann::json::object());

// Offer passes on a simulated 64-bit Windows 10 whose facts the test sets. On Linux the registry
// is a simulated one built from registry-file text, every call counted; on Windows the
// machine's own registry is used and the tests that need registry contents do not run.
class EligibilityTest : public ::testing::Test {
protected:
    EligibilityTest();
    ~EligibilityTest() override;

#ifndef _WIN32
    // Replaces the registry by one holding the default profile and `keys` (registry-file text
    // without the header).
    void UseRegistry(const std::string& keys);
    const testing_support::CountingRegistry::Counts& RegistryCalls() const {
        return registry_->Calls();
    }
#endif

    // Judges `offers` as the loader does with `maxOffers`, without reporting, and describes
    // what became of each offer built: "accepted", "max" or the rejection reason.
    std::vector<std::string> Judge(const std::vector<nlohmann::json>& offers, int maxOffers = 10);
    // The same for offers given as rule members only, named o1, o2, ... in order.
    std::vector<std::string> JudgeRules(const std::vector<nlohmann::json>& rules,
                                        int maxOffers = 10);

    ConfigurationManager& settings() {
        return *settings_;
    }

    // The root the free space of the default user's desktop volume is asked for: the drive on
    // Windows, the folder itself on Linux.
    static std::wstring DesktopVolume();

    std::shared_ptr<testing_support::FakeSystem> system_ =
        std::make_shared<testing_support::FakeSystem>();
    std::shared_ptr<testing_support::FakeClock> clock_ =
        std::make_shared<testing_support::FakeClock>();
    ConfigurationResult lastResult_;

private:
    std::shared_ptr<testing_support::CountingRegistry> registry_;
    std::optional<testing_support::ScopedServices> services_;
    std::unique_ptr<ConfigurationManager> settings_;
};

}  // namespace eligibility_test
