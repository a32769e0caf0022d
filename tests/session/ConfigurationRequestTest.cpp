#include <chrono>

#include <gtest/gtest.h>

#include "api/TarnwickException.h"
#include "app/ConfigurationManager.h"
#include "session/ApiManager.h"
#include "support/DevServerTest.h"

namespace {

using nlohmann::json;
using std::chrono::milliseconds;

// The settings are one object per process: each test points them at the test server and
// puts back what it changed.
class ConfigurationRequestTest : public testing_support::DevServerTest {
protected:
    void SetUp() override {
        DevServerTest::SetUp();
        settings_ = ConfigurationManager::Instance();
        savedUrl_ = settings_->configUrl;
        savedLocale_ = settings_->localeCode;
        savedVersion_ = settings_->programVersion;
        settings_->configUrl = server().Url(L"/o");
        settings_->localeCode = L"en_US";
        settings_->programVersion = L"3.2.1.57382";
        system().modulePath = L"C:\\Users\\me\\Downloads\\setup_ab1-x9z.exe";
    }
    void TearDown() override {
        settings_->configUrl = savedUrl_;
        settings_->localeCode = savedLocale_;
        settings_->programVersion = savedVersion_;
        DevServerTest::TearDown();
    }

    json Request() { return ApiManager::Instance()->RequestConfiguration(); }

    static json Answer(int status, const std::string& body) {
        return {{"status", status}, {"body", body}};
    }

    std::shared_ptr<ConfigurationManager> settings_;

private:
    std::wstring savedUrl_, savedLocale_, savedVersion_;
};

TEST_F(ConfigurationRequestTest, BodyMembersGoOutInKeyOrder) {
    Request();
    const std::vector<json> log = server().Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].at("path"), "/o");
    EXPECT_EQ(log[0].at("body"),
              "{\"a\":\"Quorvane\",\"i\":\"Quorvane_DLM\",\"l\":\"en\",\"o\":\"10.0.19045\","
              "\"plv\":\"3.2.1.57382\",\"prv\":\"0.1\",\"s\":\"Quorvane_3cpp\",\"u\":\"ab1-x9z\"}");
    for (const json& header : log[0].at("headers")) {
        EXPECT_NE(header.at(0), "Authorization") << "the configuration request is not signed";
    }
}

TEST_F(ConfigurationRequestTest, LanguageIsTheLocalesFirstTwoCharacters) {
    const struct {
        const wchar_t* locale;
        const char* language;
    } cases[] = {{L"en_US", "en"}, {L"", ""}, {L"d", "d"}, {L"pt_BR", "pt"}};
    for (const auto& c : cases) {
        settings_->localeCode = c.locale;
        EXPECT_EQ(BuildConfigurationRequest(*settings_).at("l"), c.language);
    }
}

TEST_F(ConfigurationRequestTest, FailedVersionQueryAndMissingTagSendEmptyTexts) {
    system().versionQueryFails = true;
    system().modulePath = L"C:\\Downloads\\setup.exe";
    const json body = BuildConfigurationRequest(*settings_);
    EXPECT_EQ(body.at("o"), "");
    EXPECT_EQ(body.at("u"), "");
    for (const auto& [key, value] : body.items()) EXPECT_TRUE(value.is_string()) << key;
}

TEST_F(ConfigurationRequestTest, RetriesBadStatusesWithPausesBetween) {
    server().Script({{"/o", {Answer(503, ""), Answer(503, ""), Answer(200, "{\"i\":{\"ct\":\"X\"}}")}}});
    EXPECT_EQ(Request(), json::parse("{\"i\":{\"ct\":\"X\"}}"));
    EXPECT_EQ(server().Log().size(), 3u);
    EXPECT_EQ(clock().Sleeps(), (std::vector<milliseconds>{milliseconds(5000), milliseconds(5000)}));
}

TEST_F(ConfigurationRequestTest, ThreeBadStatusesReturnTheThirdBody) {
    server().Script({{"/o",
                      {Answer(404, "{\"n\":1}"), Answer(404, "{\"n\":2}"), Answer(404, "{\"n\":3}")}}});
    EXPECT_EQ(Request(), json::parse("{\"n\":3}"));
    EXPECT_EQ(server().Log().size(), 3u);
    EXPECT_EQ(clock().Sleeps(), std::vector<milliseconds>(3, milliseconds(5000)));
}

TEST_F(ConfigurationRequestTest, RedirectStatusCountsAsSuccess) {
    server().Script({{"/o", {Answer(304, "")}}});
    EXPECT_THROW(Request(), TarnwickException);  // success, but nothing to parse
    EXPECT_EQ(server().Log().size(), 1u);
    EXPECT_TRUE(clock().Sleeps().empty());
}

TEST_F(ConfigurationRequestTest, AnyJsonDocumentIsReturnedAsItIs) {
    for (const char* body : {"[]", "0", "\"text\"", "{}"}) {
        server().Script({{"/o", {Answer(200, body)}}});
        EXPECT_EQ(Request(), json::parse(body));
    }
}

TEST_F(ConfigurationRequestTest, EmptyOrUnparsableAnswersThrow) {
    server().Script({{"/o", {Answer(200, "")}}});
    EXPECT_THROW(Request(), TarnwickException);
    server().Script({{"/o", {Answer(200, "{\"i\": ")}}});
    EXPECT_THROW(Request(), json::parse_error);
    server().Script({{"/o", {Answer(500, ""), Answer(500, ""), Answer(500, "")}}});
    EXPECT_THROW(Request(), TarnwickException);
}

TEST_F(ConfigurationRequestTest, DroppedConnectionEndsAfterOneAttempt) {
    server().Script({{"/o", {{{"drop", true}}, Answer(200, "{}")}}});
    EXPECT_THROW(Request(), TarnwickException);
    EXPECT_EQ(server().Log().size(), 1u);
    EXPECT_TRUE(clock().Sleeps().empty());
}

TEST_F(ConfigurationRequestTest, EmptyEndpointThrowsBeforeAnyRequest) {
    settings_->configUrl.clear();
    EXPECT_THROW(Request(), TarnwickException);
    EXPECT_TRUE(server().Log().empty());
}

}  // namespace
