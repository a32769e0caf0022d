#include "api/HttpClient.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "api/TarnwickException.h"
#include "platform/TextCodec.h"
#include "support/DevServerTest.h"

namespace {

using nlohmann::json;
using testing_support::DevServerTest;

// Names of the headers the server saw, in the order it received them.
std::vector<std::string> HeaderNames(const json& entry) {
    std::vector<std::string> names;
    for (const json& header : entry.at("headers")) names.push_back(header.at(0).get<std::string>());
    return names;
}

std::string HeaderValue(const json& entry, const std::string& name) {
    for (const json& header : entry.at("headers")) {
        if (header.at(0) == name) return header.at(1).get<std::string>();
    }
    return "<absent>";
}

class HttpClientTest : public DevServerTest {
protected:
    // Posts and returns what the server logged of the one request.
    json PostOne(const std::wstring& url, const std::string& body, HttpHeaders headers = {}) {
        std::string response;
        std::int32_t status = 0;
        EXPECT_TRUE(PostJson(url, body, std::move(headers), response, status));
        const std::vector<json> log = server().Log();
        EXPECT_EQ(log.size(), 1u);
        return log.empty() ? json() : log.front();
    }
};

TEST_F(HttpClientTest, CallerHeadersComeFirstThenExpectAndContentType) {
    const HttpHeaders headers = {{L"Authorization", L"Signature=abc"}};
    const json entry = PostOne(server().Url(L"/zbd"), "{}", headers);

    std::vector<std::string> names = HeaderNames(entry);
    std::erase_if(names, [](const std::string& name) {
        return name != "Authorization" && name != "Expect" && name != "Content-Type";
    });
    EXPECT_EQ(names, (std::vector<std::string>{"Authorization", "Expect", "Content-Type"}));
    EXPECT_EQ(HeaderValue(entry, "Authorization"), "Signature=abc");
    EXPECT_EQ(HeaderValue(entry, "Expect"), "100-continue");
    EXPECT_EQ(HeaderValue(entry, "Content-Type"), "application/json");
    EXPECT_EQ(entry.at("method"), "POST");
}

TEST_F(HttpClientTest, CallersHeaderListIsNotChanged) {
    const HttpHeaders headers = {{L"Authorization", L"Signature=abc"}};
    HttpHeaders copy = headers;
    std::string response;
    std::int32_t status = 0;
    PostJson(server().Url(L"/zbd"), "{}", copy, response, status);
    EXPECT_EQ(copy, headers);
}

// Whatever the URL says about scheme, port and query, the post goes to the bare path over
// TLS on port 443.
TEST_F(HttpClientTest, PostsToTheBarePathOnPort443OverTls) {
    const struct {
        const wchar_t* url;
        const char* path;
    } cases[] = {
        {L"https://localhost/zbd?campaign=7&x=1", "/zbd"},
        {L"https://localhost/zbd#part", "/zbd"},
        {L"http://localhost/zbd", "/zbd"},
        {L"https://localhost:8443/zbd", "/zbd"},
        {L"http://localhost:80/o?x", "/o"},
    };
    for (const auto& c : cases) {
        server().Reset();
        const json entry = PostOne(c.url, "{}");
        EXPECT_EQ(entry.value("path", ""), c.path) << platform::EncodeUtf8(c.url);
        EXPECT_EQ(entry.value("query", "?"), "") << platform::EncodeUtf8(c.url);
    }
}

TEST_F(HttpClientTest, BodyIsCutAtItsFirstNul) {
    const std::string body("{\"a\":1}\0{\"b\":2}", 15);
    const json entry = PostOne(server().Url(L"/zbd"), body);
    EXPECT_EQ(entry.at("body"), "{\"a\":1}");
    EXPECT_EQ(HeaderValue(entry, "Content-Length"), "7");
}

TEST_F(HttpClientTest, ErrorStatusIsACompletedExchange) {
    server().Script({{"/zbd", {{{"status", 500}, {"body", "oops"}}}}});
    std::string response;
    std::int32_t status = 0;
    EXPECT_TRUE(PostJson(server().Url(L"/zbd"), "{}", {}, response, status));
    EXPECT_EQ(status, 500);
    EXPECT_EQ(response, "oops");
}

TEST_F(HttpClientTest, ResponseIsAppendedToTheCallersText) {
    server().Script({{"/o", {{{"status", 200}, {"body", "{\"x\":1}"}}}}});
    std::string response = "earlier;";
    std::int32_t status = 0;
    PostJson(server().Url(L"/o"), "{}", {}, response, status);
    EXPECT_EQ(response, "earlier;{\"x\":1}");
}

TEST_F(HttpClientTest, ResponseTextEndsAtANulByte) {
    server().Script({{"/o", {{{"status", 200}, {"body", std::string("abc\0def", 7)}}}}});
    std::string response;
    std::int32_t status = 0;
    PostJson(server().Url(L"/o"), "{}", {}, response, status);
    EXPECT_EQ(response, "abc");
}

TEST_F(HttpClientTest, DroppedConnectionThrows) {
    server().Script({{"/o", {{{"drop", true}}}}});
    std::string response;
    std::int32_t status = 0;
    EXPECT_THROW(PostJson(server().Url(L"/o"), "{}", {}, response, status), TarnwickException);
    EXPECT_EQ(status, 0);
}

TEST_F(HttpClientTest, UnsplittableUrlThrowsBeforeAnyRequest) {
    for (const wchar_t* url : {L"", L"not a url", L"ftp://localhost/o", L"https://"}) {
        std::string response;
        std::int32_t status = 0;
        EXPECT_THROW(PostJson(url, "{}", {}, response, status), TarnwickException)
            << platform::EncodeUtf8(url);
    }
    EXPECT_TRUE(server().Log().empty());
}

TEST_F(HttpClientTest, Windows7WithoutServicePackIsRefusedBeforeAnyRequest) {
    const struct {
        std::uint32_t major, minor;
        std::uint16_t servicePack;
        bool refused;
    } cases[] = {
        {6, 0, 2, false}, {6, 1, 0, true}, {6, 1, 1, false}, {6, 2, 0, false}, {10, 0, 0, false},
    };
    for (const auto& c : cases) {
        server().Reset();
        system().version = {c.major, c.minor, 7601, 2, L"", c.servicePack, 0};
        std::string response;
        std::int32_t status = 0;
        if (c.refused) {
            EXPECT_THROW(PostJson(server().Url(L"/o"), "{}", {}, response, status),
                         TarnwickException);
            EXPECT_TRUE(server().Log().empty());
        } else {
            EXPECT_TRUE(PostJson(server().Url(L"/o"), "{}", {}, response, status))
                << c.major << "." << c.minor << " SP" << c.servicePack;
        }
    }
}

TEST(IsWindowsVersionOrGreaterTest, ComparesMajorThenMinorThenServicePack) {
    auto system = std::make_shared<testing_support::FakeSystem>();
    system->version = {6, 1, 7601, 2, L"Service Pack 1", 1, 0};
    testing_support::ScopedServices services({system, nullptr, nullptr});
    EXPECT_TRUE(IsWindowsVersionOrGreater(6, 1, 1));
    EXPECT_TRUE(IsWindowsVersionOrGreater(6, 1, 0));
    EXPECT_TRUE(IsWindowsVersionOrGreater(6, 0, 3));
    EXPECT_TRUE(IsWindowsVersionOrGreater(5, 2, 9));
    EXPECT_FALSE(IsWindowsVersionOrGreater(6, 1, 2));
    EXPECT_FALSE(IsWindowsVersionOrGreater(6, 2, 0));
    EXPECT_FALSE(IsWindowsVersionOrGreater(10, 0, 0));
}

}  // namespace

#ifndef _WIN32
#include "platform/posix/CurlHttpsClient.h"

namespace {

// A client that trusts only the system's authorities, which never signed the test server.
TEST_F(HttpClientTest, UntrustedCertificateIsRefused) {
    const std::string target = "127.0.0.1:" + std::to_string(server().Port());
    testing_support::ScopedServices untrusting(
        {nullptr, nullptr,
         std::make_shared<platform::posix::CurlHttpsClient>(
             platform::posix::CurlHttpsClient::Options{"", {"localhost:443:" + target}})});
    std::string response;
    std::int32_t status = 0;
    EXPECT_THROW(PostJson(server().Url(L"/o"), "{}", {}, response, status), TarnwickException);
    EXPECT_TRUE(server().Log().empty());
}

}  // namespace
#endif
