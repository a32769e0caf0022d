#include <string>

#include <gtest/gtest.h>

#include "api/AnalyticsEvent.h"

namespace {

using nlohmann::json;

TEST(AnalyticsEventTest, TerminalCodesAreExactlyTheFinalOutcomes) {
    for (const std::int32_t code : {-1, 2, 3, 4, 5}) EXPECT_TRUE(IsTerminalEventCode(code)) << code;
    for (const std::int32_t code : {-2, 0, 1, 6, 13})
        EXPECT_FALSE(IsTerminalEventCode(code)) << code;
}

// The analytics service parses exactly this shape.
TEST(AnalyticsEventTest, BodyIsTheTableAndTheParametersAsCompactText) {
    const json parameters = {{"0", ""}, {"13", ""}, {"6", ""}, {"5", "7"}};
    EXPECT_EQ(BuildEventBody(parameters, 2, {{"13", "SKIP ALL CLICKED"}, {"99", 1}}),
              R"({"data":"{\"0\":\"\",\"13\":\"SKIP ALL CLICKED\",\"5\":\"7\",\"6\":\"2\"}",)"
              R"("table":"zb_analytics"})");
    EXPECT_EQ(
        BuildEventBody(parameters, -1, nullptr),
        R"({"data":"{\"0\":\"\",\"13\":\"\",\"5\":\"7\",\"6\":\"-1\"}","table":"zb_analytics"})");
}

TEST(AnalyticsEventTest, ExtraOtherThanAnObjectIsRefusedWithTheLibrarysError) {
    for (const json& extra : {json::array({"x"}), json("x"), json(5)}) {
        SCOPED_TRACE(extra.dump());
        try {
            BuildEventBody({{"0", ""}}, 2, extra);
            ADD_FAILURE() << "accepted";
        } catch (const json::invalid_iterator& error) {
            EXPECT_NE(std::string(error.what()).find("cannot use key() for non-object iterators"),
                      std::string::npos);
        }
    }
}

}  // namespace
