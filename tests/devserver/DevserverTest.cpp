// Drives a real tarnwick-devserver over HTTPS, the way the project's own tests and demo do.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "HttpsClient.h"
#include "support/DevServerProcess.h"
#include "support/TempFolder.h"

namespace devserver_test {
namespace {

using nlohmann::json;
using testing_support::DevServerProcess;
using testing_support::TempFolder;
namespace fs = std::filesystem;

const fs::path kRoot = TARNWICK_DEVSERVER_ROOT;
// SHA-256 of "abc", the concatenation of data "1" = "a" and "2" = "bc" below.
const std::string kAbcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string AnalyticsBody(const json& data) {
    return json{{"table", "zb_analytics"}, {"data", data.dump()}}.dump();
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class DevserverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempFolder>();
        server_ = std::make_unique<DevServerProcess>(std::vector<std::string>{
            "--root", kRoot.string(), "--port", "0", "--tls-dir", TlsDir().string(), "--log",
            LogFile().string(), "--san", "devserver.test"});
        port_ = server_->WaitForPort();
    }

    static void TearDownTestSuite() {
        EXPECT_EQ(server_->Terminate(), 0) << "SIGTERM must end the server cleanly";
        server_.reset();
        dir_.reset();
    }

    void SetUp() override { ASSERT_EQ(Control("reset").status, 200); }

    static fs::path TlsDir() { return dir_->FsPath() / "tls"; }
    static fs::path LogFile() { return dir_->FsPath() / "requests.jsonl"; }
    static std::string Url(const std::string& path, const std::string& host = "localhost") {
        return "https://" + host + ":" + std::to_string(port_) + path;
    }

    Reply Request(const std::string& method, const std::string& path,
                  std::optional<std::string> body = std::nullopt,
                  std::vector<std::string> headers = {}) {
        return client_.Send(Call{.method = method,
                                 .url = Url(path),
                                 .headers = std::move(headers),
                                 .body = std::move(body)});
    }

    Reply Control(const std::string& action, const json& body = json::object()) {
        return Request("POST", "/_control/" + action, body.dump(),
                       {"Content-Type: application/json"});
    }

    json Logged() {
        Reply reply = Control("log");
        EXPECT_EQ(reply.status, 200);
        return json::parse(reply.body);
    }

    static inline std::unique_ptr<TempFolder> dir_;
    static inline std::unique_ptr<DevServerProcess> server_;
    static inline int port_ = 0;
    HttpsClient client_{(TlsDir() / "ca.pem").string()};
};

TEST_F(DevserverTest, CertificateVerifiesForExactlyTheNamesItCarries) {
    const std::string loopback = ":" + std::to_string(port_) + ":127.0.0.1";
    struct Case {
        std::string host;
        CURLcode expected;
    };
    for (const Case& c : {Case{"localhost", CURLE_OK}, Case{"127.0.0.1", CURLE_OK},
                          Case{"devserver.test", CURLE_OK},
                          Case{"elsewhere.test", CURLE_PEER_FAILED_VERIFICATION}}) {
        SCOPED_TRACE(c.host);
        Call call{.url = Url("/f/hello.txt", c.host)};
        call.resolve = {"devserver.test" + loopback, "elsewhere.test" + loopback};
        Reply reply = client_.Send(call);
        EXPECT_EQ(reply.code, c.expected) << curl_easy_strerror(reply.code);
        if (c.expected == CURLE_OK) {
            EXPECT_EQ(reply.body, "hello\n");
        }
    }
}

TEST_F(DevserverTest, HeadersAreLoggedAsSentInArrivalOrder) {
    Reply reply = Request("POST", "/zbd", "{}", {"X-B: second-letter", "X-A: first-letter"});
    ASSERT_EQ(reply.status, 200);
    ASSERT_FALSE(reply.sentHeaderLines.empty());

    std::vector<std::string> sent(reply.sentHeaderLines.begin() + 1, reply.sentHeaderLines.end());
    const json entries = Logged();
    std::vector<std::string> seen;
    for (const auto& pair : entries.at(0).at("headers")) {
        seen.push_back(pair.at(0).get<std::string>() + ": " + pair.at(1).get<std::string>());
    }
    EXPECT_EQ(seen, sent);
    auto b = std::find(seen.begin(), seen.end(), "X-B: second-letter");
    auto a = std::find(seen.begin(), seen.end(), "X-A: first-letter");
    EXPECT_LT(b, a);
}

TEST_F(DevserverTest, PathAndQueryAreLoggedSeparately) {
    struct Case {
        std::string target, path, query;
    };
    const std::vector<Case> cases{{"/o?a=1&b=2", "/o", "a=1&b=2"},
                                  {"/o", "/o", ""},
                                  {"/o?", "/o", ""},
                                  {"/zbd?x=%20y?z", "/zbd", "x=%20y?z"}};
    for (const Case& c : cases) {
        Request("POST", c.target, "");
    }
    json entries = Logged();
    ASSERT_EQ(entries.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].target);
        EXPECT_EQ(entries[i].at("method"), "POST");
        EXPECT_EQ(entries[i].at("path"), cases[i].path);
        EXPECT_EQ(entries[i].at("query"), cases[i].query);
    }
}

TEST_F(DevserverTest, AnalyticsSignatureMustMatchTheDataSent) {
    const json signedData{{"1", "a"}, {"2", "bc"}, {"3", "not signed"}};
    std::string upperDigest = kAbcDigest;
    std::transform(upperDigest.begin(), upperDigest.end(), upperDigest.begin(), ::toupper);
    struct Case {
        std::string name;
        std::vector<std::string> headers;
        std::string body;
        bool match;
        json data;
    };
    const std::vector<Case> cases{
        {"signed",
         {"Authorization: Signature=" + kAbcDigest},
         AnalyticsBody(signedData),
         true,
         signedData},
        {"values swapped",
         {"Authorization: Signature=" + kAbcDigest},
         AnalyticsBody({{"1", "bc"}, {"2", "a"}}),
         false,
         {{"1", "bc"}, {"2", "a"}}},
        {"uppercase hex",
         {"Authorization: Signature=" + upperDigest},
         AnalyticsBody(signedData),
         false,
         signedData},
        {"bare digest",
         {"Authorization: " + kAbcDigest},
         AnalyticsBody(signedData),
         false,
         signedData},
        {"no authorization", {}, AnalyticsBody(signedData), false, signedData},
        {"data is not JSON",
         {"Authorization: Signature=" + kAbcDigest},
         json{{"table", "zb_analytics"}, {"data", "{oops"}}.dump(),
         false,
         nullptr},
        {"data is an array",
         {"Authorization: Signature=" + kAbcDigest},
         json{{"table", "zb_analytics"}, {"data", "[\"a\",\"bc\"]"}}.dump(),
         false,
         nullptr},
        {"body is not JSON",
         {"Authorization: Signature=" + kAbcDigest},
         "table=zb",
         false,
         nullptr},
    };
    for (const Case& c : cases) {
        Request("POST", "/zbd", c.body, c.headers);
    }
    json entries = Logged();
    ASSERT_EQ(entries.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(entries[i].at("body"), cases[i].body);
        EXPECT_EQ(entries[i].at("auth_match"), cases[i].match);
        EXPECT_EQ(entries[i].at("data"), cases[i].data);
    }
}

TEST_F(DevserverTest, ScriptedAnswersComeInOrderThenTheNormalAnswerResumes) {
    const std::string config = ReadText(kRoot / "config.json");
    ASSERT_EQ(Control("script", json::parse(R"({"/o": [
        {"status": 503, "body": "busy", "content_type": "text/plain"},
        {"drop": true},
        {"body": "{\"i\":{}}"}]})"))
                  .status,
              200);
    struct Expected {
        bool answered;
        long status;
        std::string body, contentType;
    };
    const std::vector<Expected> expected{{true, 503, "busy", "text/plain"},
                                         {false, 0, "", ""},
                                         {true, 200, "{\"i\":{}}", "application/json"},
                                         {true, 200, config, "application/json"},
                                         {true, 200, config, "application/json"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        // Fresh connections: libcurl silently retries a request whose reused connection closes,
        // which would swallow the drop.
        Call call{.method = "POST", .url = Url("/o"), .body = "{}"};
        call.freshConnection = true;
        Reply reply = client_.Send(call);
        EXPECT_EQ(reply.code == CURLE_OK, expected[i].answered) << curl_easy_strerror(reply.code);
        EXPECT_EQ(reply.status, expected[i].status);
        EXPECT_EQ(reply.body, expected[i].body);
        EXPECT_EQ(reply.contentType, expected[i].contentType);
    }
    EXPECT_EQ(Logged().size(), expected.size()) << "a dropped request is still logged";
}

TEST_F(DevserverTest, ScriptReplacesOnlyThePathsItNames) {
    ASSERT_EQ(Control("script", {{"/o", {{{"status", 501}}, {{"status", 501}}}},
                                 {"/zbd", {{{"status", 500}}}}})
                  .status,
              200);
    ASSERT_EQ(Control("script", {{"/o", {{{"status", 502}}}}}).status, 200);

    EXPECT_EQ(Request("POST", "/o", "").status, 502);
    EXPECT_EQ(Request("POST", "/o", "").status, 200);
    EXPECT_EQ(Request("POST", "/zbd", "").status, 500);
    EXPECT_EQ(Request("POST", "/zbd", "").status, 200);
}

TEST_F(DevserverTest, MalformedScriptIsRefusedAndChangesNothing) {
    ASSERT_EQ(Control("script", {{"/o", {{{"status", 503}}}}}).status, 200);
    for (const std::string body :
         {R"({"/o": {"status": 200}})", R"({"/o": [{"status": "200"}]})",
          R"({"/o": [{"status": 200, "delay": 5}]})", R"({"/o": [{"delay_ms": -1}]})",
          R"({"/o": [{"status": 99}]})", R"({"/o": [1]})", R"(["/o"])", "{oops"}) {
        SCOPED_TRACE(body);
        EXPECT_EQ(Request("POST", "/_control/script", body).status, 400);
    }
    EXPECT_EQ(Request("POST", "/o", "").status, 503);
}

TEST_F(DevserverTest, DelayedAnswerHoldsUpOnlyItsOwnConnection) {
    const auto delay = std::chrono::milliseconds(1500);
    ASSERT_EQ(Control("script", {{"/zbd", {{{"delay_ms", delay.count()}}}}}).status, 200);
    auto slow = std::async(std::launch::async, [] {
        HttpsClient other((TlsDir() / "ca.pem").string());
        return other.Send(Call{.method = "POST", .url = Url("/zbd"), .body = ""});
    });
    // The request is logged before its delay starts, so this says the server is now waiting.
    const auto giveUp = std::chrono::steady_clock::now() + delay;
    while (Logged().empty() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Reply quick = Request("GET", "/f/hello.txt");
    Reply delayed = slow.get();

    EXPECT_EQ(quick.status, 200);
    EXPECT_LT(quick.elapsed, delay / 2);
    EXPECT_EQ(delayed.status, 200);
    EXPECT_GE(delayed.elapsed, delay);
}

TEST_F(DevserverTest, RoutesAnswerFilesConfigAndRefusals) {
    const std::string config = ReadText(kRoot / "config.json");
    struct Case {
        std::string method, path;
        long status;
        std::optional<std::string> body;
        std::string contentType;
    };
    const std::vector<Case> cases{
        {"POST", "/o", 200, config, "application/json"},
        {"POST", "/zbd", 200, "", ""},
        {"GET", "/f/hello.txt", 200, "hello\n", "text/plain"},
        {"GET", "/f/nested/note.txt", 200, "nested\n", "text/plain"},
        {"GET", "/f/missing.txt", 404, std::nullopt, ""},
        {"GET", "/f/nested", 404, std::nullopt, ""},
        {"GET", "/f/../config.json", 403, std::nullopt, ""},
        {"GET", "/f/nested/../../config.json", 403, std::nullopt, ""},
        {"GET", "/f/%2e%2e/config.json", 403, std::nullopt, ""},
        {"GET", "/f//etc/hostname", 403, std::nullopt, ""},
        {"GET", "/f/%2Fetc/hostname", 403, std::nullopt, ""},
        {"GET", "/o", 404, std::nullopt, ""},
        {"POST", "/other", 404, std::nullopt, ""},
        {"POST", "/_control/unknown", 404, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method + " " + c.path);
        Reply reply = Request(c.method, c.path,
                              c.method == "POST" ? std::optional<std::string>("") : std::nullopt);
        EXPECT_EQ(reply.code, CURLE_OK);
        EXPECT_EQ(reply.status, c.status);
        if (c.body) {
            EXPECT_EQ(reply.body, *c.body);
            EXPECT_EQ(reply.contentType, c.contentType);
        }
    }
}

TEST_F(DevserverTest, FileQueriesMakeTheFaultsOfRealServers) {
    const std::string self = "localhost:" + std::to_string(port_);
    struct Case {
        std::string path;
        CURLcode code;
        long status;
        std::string body;
        std::string header;  // a response header line that must be there, or empty
    };
    const std::vector<Case> cases{
        {"/f/hello.txt?campaign=7", CURLE_OK, 200, "hello\n", ""},
        {"/f/any.bin?size=5", CURLE_OK, 200, "abcde", "Content-Length: 5"},
        {"/f/hello.txt?size=many", CURLE_OK, 400,
         "size must be a number 0..268435456, not \"many\"\n", ""},
        {"/f/hello.txt?redirects=2&x=1", CURLE_OK, 302, "",
         "Location: https://" + self + "/f/hello.txt?redirects=1&x=1"},
        {"/f/hello.txt?redirects=1&redirect_status=307", CURLE_OK, 307, "",
         "Location: https://" + self + "/f/hello.txt?redirects=0&redirect_status=307"},
        {"/f/hello.txt?status=302&location=%2Ff%2Fnested", CURLE_OK, 302, "hello\n",
         "Location: /f/nested"},
        {"/f/hello.txt?status=206", CURLE_OK, 206, "hello\n", ""},
        {"/f/hello.txt?status=204", CURLE_OK, 204, "", ""},
        {"/f/any.bin?size=10&chunked=1", CURLE_OK, 200, "abcdefghij", "Transfer-Encoding: chunked"},
        {"/f/any.bin?size=10&cut=4", CURLE_PARTIAL_FILE, 200, "abcd", "Content-Length: 10"},
        {"/f/any.bin?size=10&cut=4&chunked=1", CURLE_PARTIAL_FILE, 200, "abcd", ""},
        // The client reads what the length announces and no more.
        {"/f/any.bin?size=4&extra=3", CURLE_OK, 200, "abcd", "Content-Length: 4"},
        {"/f/any.bin?size=3000&slow_ms=5&piece=1000", CURLE_OK, 200, std::string(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Reply reply = Request("GET", c.path);
        EXPECT_EQ(reply.code, c.code);
        EXPECT_EQ(reply.status, c.status);
        if (c.path.find("slow_ms") != std::string::npos) {
            EXPECT_EQ(reply.body.size(), 3000u);
            EXPECT_GE(reply.elapsed, std::chrono::milliseconds(10));
        } else {
            EXPECT_EQ(reply.body, c.body);
        }
        if (!c.header.empty()) {
            EXPECT_NE(std::find(reply.responseHeaderLines.begin(), reply.responseHeaderLines.end(),
                                c.header),
                      reply.responseHeaderLines.end());
        }
    }
}

TEST_F(DevserverTest, HeadAnnouncesTheFileWithoutSendingIt) {
    Reply reply = Request("HEAD", "/f/hello.txt");
    EXPECT_EQ(reply.code, CURLE_OK);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "");
    EXPECT_NE(std::find(reply.responseHeaderLines.begin(), reply.responseHeaderLines.end(),
                        "Content-Length: 6"),
              reply.responseHeaderLines.end());
}

TEST_F(DevserverTest, ContinueIsSentBeforeTheBodyIsRead) {
    for (const std::string path : {"/zbd", "/_control/script"}) {
        SCOPED_TRACE(path);
        Reply reply =
            Request("POST", path, "{}", {"Content-Type: application/json", "Expect: 100-continue"});
        EXPECT_EQ(reply.status, 200);
        ASSERT_FALSE(reply.responseHeaderLines.empty());
        EXPECT_EQ(reply.responseHeaderLines.front(), "HTTP/1.1 100 Continue");
    }
}

TEST_F(DevserverTest, LargeBodiesArriveWhole) {
    std::string body(3 * 1024 * 1024, 'x');
    Reply reply = Request("POST", "/zbd", body);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(Logged().at(0).at("body").get<std::string>().size(), body.size());
}

TEST_F(DevserverTest, ConnectionsAreKeptAlive) {
    HttpsClient client((TlsDir() / "ca.pem").string());
    Reply first = client.Send(Call{.url = Url("/f/hello.txt")});
    Reply second = client.Send(Call{.method = "POST", .url = Url("/zbd"), .body = ""});
    EXPECT_EQ(first.newConnections, 1);
    EXPECT_EQ(second.newConnections, 0);
}

TEST_F(DevserverTest, ControlLogMatchesTheLogFileAndResetEmptiesItAndTheScripts) {
    Request("POST", "/o?from=test", "");
    Request("GET", "/f/hello.txt");
    json entries = Logged();
    ASSERT_EQ(entries.size(), 2u) << "control requests are not logged";
    EXPECT_EQ(entries[0].at("path"), "/o");
    EXPECT_EQ(entries[1].at("path"), "/f/hello.txt");

    std::vector<json> fileLines;
    std::istringstream file(ReadText(LogFile()));
    for (std::string line; std::getline(file, line);) {
        fileLines.push_back(json::parse(line));
    }
    ASSERT_GE(fileLines.size(), 2u);
    EXPECT_EQ(fileLines[fileLines.size() - 2], entries[0]);
    EXPECT_EQ(fileLines[fileLines.size() - 1], entries[1]);

    ASSERT_EQ(Control("script", {{"/o", {{{"status", 503}}}}}).status, 200);
    Reply reset = Control("reset");
    EXPECT_EQ(reset.status, 200);
    EXPECT_EQ(json::parse(reset.body), json::object());
    EXPECT_EQ(Logged(), json::array());
    EXPECT_EQ(Request("POST", "/o", "").status, 200);
}

// Test programs run in parallel and share one certificate folder, so servers often start
// together; they must agree on one CA, and that CA must stay put for later servers.
TEST(DevserverCertificates, ServersStartingTogetherShareOneLastingCa) {
    TempFolder dir;
    const fs::path tls = dir.FsPath() / "tls";
    WriteText(dir.FsPath() / "script.json", R"({"/zbd": [{"status": 418}]})");
    auto start = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"--root",    kRoot.string(),
                                      "--tls-dir", tls.string(),
                                      "--script",  (dir.FsPath() / "script.json").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return std::make_unique<DevServerProcess>(args);
    };
    std::vector<std::unique_ptr<DevServerProcess>> servers;
    for (int i = 0; i < 3; ++i) {
        servers.push_back(start({}));
    }
    std::vector<int> ports;
    for (auto& server : servers) {
        ports.push_back(server->WaitForPort());
    }
    const std::string ca = ReadText(tls / "ca.pem");

    // A later server asking for another name gets it without disturbing the CA.
    servers.push_back(start({"--san", "later.test"}));
    ports.push_back(servers.back()->WaitForPort());
    EXPECT_EQ(ReadText(tls / "ca.pem"), ca);

    HttpsClient client((tls / "ca.pem").string());
    for (int port : ports) {
        SCOPED_TRACE(port);
        const std::string base = "https://localhost:" + std::to_string(port);
        Reply file = client.Send(Call{.url = base + "/f/hello.txt"});
        EXPECT_EQ(file.code, CURLE_OK) << curl_easy_strerror(file.code);
        EXPECT_EQ(client.Send(Call{.method = "POST", .url = base + "/zbd", .body = ""}).status, 418)
            << "the --script file applies";
    }
    Call renamed{.url = "https://later.test:" + std::to_string(ports.back()) + "/f/hello.txt"};
    renamed.resolve = {"later.test:" + std::to_string(ports.back()) + ":127.0.0.1"};
    EXPECT_EQ(client.Send(renamed).code, CURLE_OK);

    // The client still holds idle keep-alive connections to each: shutdown must not wait on them.
    for (auto& server : servers) {
        EXPECT_EQ(server->Terminate(), 0);
    }
}

// A server that cannot start must be reported at once with its exit code, not waited for.
TEST(DevserverProcess, ServerThatExitsBeforeListeningIsReportedNotAwaited) {
    TempFolder dir;
    DevServerProcess server({"--root", (dir.FsPath() / "missing").string()});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(server.WaitForPort(), std::runtime_error);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_EQ(server.Terminate(), 2) << "a usage error ends the server with 2";
}

}  // namespace
}  // namespace devserver_test
