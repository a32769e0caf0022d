#ifdef _WIN32
#include "platform/win32/WinHttpsClient.h"

#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

#include "platform/TextCodec.h"
#include "support/DevServer.h"
#include "support/FakeSystem.h"

namespace {

using nlohmann::json;
using platform::UrlComponents;
using platform::win32::WinHttpsClient;
using testing_support::DevServer;
using testing_support::FakeSystem;

std::shared_ptr<FakeSystem> WindowsVersion(std::uint32_t major, std::uint32_t minor,
                                           std::uint16_t servicePack) {
    auto system = std::make_shared<FakeSystem>();
    system->version = platform::OsVersion{major, minor, 7601, 2, L"", servicePack, 0};
    return system;
}

TEST(WinHttpsClientWin32Test, CracksUrlsIntoTheirParts) {
    const struct {
        const wchar_t* url;
        const wchar_t* scheme;
        const wchar_t* host;
        std::uint16_t port;
        const wchar_t* path;
        const wchar_t* extra;
    } cases[] = {
        {L"https://api.example/o", L"https", L"api.example", 443, L"/o", L""},
        {L"http://api.example/zbd?a=1&b=2", L"http", L"api.example", 80, L"/zbd", L"?a=1&b=2"},
        {L"https://localhost:8443/f/x.exe#top", L"https", L"localhost", 8443, L"/f/x.exe", L"#top"},
        {L"HTTPS://API.example", L"HTTPS", L"API.example", 443, L"", L""},
    };
    const WinHttpsClient client(std::make_shared<FakeSystem>());
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::EncodeUtf8(c.url));
        UrlComponents parts;
        ASSERT_TRUE(client.CrackUrl(c.url, parts));
        EXPECT_EQ(parts.scheme, c.scheme);
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.port, c.port);
        EXPECT_EQ(parts.path, c.path);
        EXPECT_EQ(parts.extra, c.extra);
    }
}

TEST(WinHttpsClientWin32Test, RefusesWhatIsNotAnHttpUrl) {
    const WinHttpsClient client(std::make_shared<FakeSystem>());
    using namespace std::string_literals;
    // The last one would be cut at its NUL to another host than the one it seems to name.
    for (const std::wstring& url : {L"not a url"s, L"ftp://host/file"s, L"https://"s, L""s,
                                    L"https://good.example\0.evil.example/o"s}) {
        UrlComponents parts;
        EXPECT_FALSE(client.CrackUrl(url, parts)) << platform::EncodeUtf8(url);
    }
}

// Talks to the reference service on localhost:443 through the system's own trust store.
class WinHttpsClientServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server().Error(), "");
        server().Reset();
    }
    static DevServer& server() { return DevServer::Shared(); }

    // Posts `body` to /zbd on `host` as a client on the given Windows version would.
    static bool Post(const std::shared_ptr<FakeSystem>& system, const std::wstring& host,
                     std::string_view body, const platform::HeaderList& headers,
                     std::string& response, std::int32_t& status) {
        return WinHttpsClient(system).SendHttpsPost(L"/zbd", host, body, headers, response, status);
    }
};

// The adapter sends what the core gives it: every byte of the body (cutting it is the core's
// business) and the headers in the order given, before anything the protocol adds.
TEST_F(WinHttpsClientServerTest, SendsTheBodyAndHeadersAsGiven) {
    const std::string body("{\"a\":1}\0tail", 12);
    const platform::HeaderList headers = {{L"Authorization", L"Signature=abc"},
                                          {L"X-Second", L"2"}};
    std::string response;
    std::int32_t status = 0;
    ASSERT_TRUE(Post(WindowsVersion(10, 0, 0), L"localhost", body, headers, response, status));
    EXPECT_EQ(status, 200);

    const std::vector<json> log = server().Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].at("method"), "POST");
    EXPECT_EQ(log[0].at("path"), "/zbd");
    EXPECT_EQ(log[0].at("body"), body);
    const json& sent = log[0].at("headers");
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], json::array({"Authorization", "Signature=abc"}));
    EXPECT_EQ(sent[1], json::array({"X-Second", "2"}));
}

// TLS 1.1 and 1.2 are offered from Windows 7 with its first service pack on; before that only
// SSL 3.0 and TLS 1.0, which the reference service (TLS 1.2 and newer) does not speak.
TEST_F(WinHttpsClientServerTest, NewerTlsVersionsFromWindows7ServicePack1On) {
    // Each case names the server in a spelling of its own. Wine keeps connections open across
    // sessions, by host name as spelled, and would hand an earlier session's TLS connection to
    // a later one; Windows closes them with their session.
    const struct {
        std::uint32_t major;
        std::uint32_t minor;
        std::uint16_t servicePack;
        const wchar_t* host;
        bool connects;
    } cases[] = {
        {6, 0, 2, L"Localhost", false}, {6, 1, 0, L"lOcalhost", false},
        {6, 1, 1, L"loCalhost", true},  {6, 2, 0, L"locAlhost", true},
        {10, 0, 0, L"localHost", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " SP" << c.servicePack);
        std::string response;
        std::int32_t status = 0;
        EXPECT_EQ(Post(WindowsVersion(c.major, c.minor, c.servicePack), c.host, "{}", {}, response,
                       status),
                  c.connects);
        EXPECT_EQ(status, c.connects ? 200 : 0);
    }
}

TEST_F(WinHttpsClientServerTest, NoServerIsAFailedExchange) {
    std::string response = "kept";
    std::int32_t status = 7;
    // Loopback, where nothing listens.
    EXPECT_FALSE(Post(WindowsVersion(10, 0, 0), L"127.0.0.9", "{}", {}, response, status));
    EXPECT_EQ(response, "kept");
    EXPECT_EQ(status, 7);
}

// CI serves two more copies of the service on port 443 under names of their own: one whose
// certificate names it but comes from an authority the system does not trust, one whose
// certificate comes from the trusted authority but does not name it. Both must be refused
// before anything is sent.
TEST_F(WinHttpsClientServerTest, RefusesServersWithoutATrustedCertificateForTheirName) {
    for (const char* variable : {"TARNWICK_TEST_UNTRUSTED_HOST", "TARNWICK_TEST_MISMATCH_HOST"}) {
        const char* host = std::getenv(variable);
        if (host == nullptr || *host == '\0') {
            GTEST_SKIP() << variable << " is not set: no such server runs";
        }
        SCOPED_TRACE(host);
        std::string response;
        std::int32_t status = 0;
        EXPECT_FALSE(Post(WindowsVersion(10, 0, 0), *platform::DecodeUtf8(host), "{}", {}, response,
                          status));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(response, "");
    }
}

}  // namespace
#endif
