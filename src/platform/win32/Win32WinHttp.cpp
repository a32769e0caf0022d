#include "platform/win32/Win32WinHttp.h"

#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/WinHttpHandle.h"
#include "platform/win32/WinHttpsClient.h"

// The port names its operations after the calls; the headers would rename them to the A/W
// variants.
#undef FormatMessage

namespace platform::win32 {
namespace {

static_assert(kWinHttpAccessTypeDefaultProxy == WINHTTP_ACCESS_TYPE_DEFAULT_PROXY);
static_assert(kWinHttpAccessTypeAutomaticProxy == WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY);
static_assert(kWinHttpOptionSecureProtocols == WINHTTP_OPTION_SECURE_PROTOCOLS);
static_assert(kWinHttpSecureProtocolSsl3 == WINHTTP_FLAG_SECURE_PROTOCOL_SSL3);
static_assert(kWinHttpSecureProtocolTls1 == WINHTTP_FLAG_SECURE_PROTOCOL_TLS1);
static_assert(kWinHttpSecureProtocolTls1_1 == WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1);
static_assert(kWinHttpSecureProtocolTls1_2 == WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2);
static_assert(kWinHttpFlagBypassProxyCache == WINHTTP_FLAG_BYPASS_PROXY_CACHE);
static_assert(kWinHttpFlagSecure == WINHTTP_FLAG_SECURE);

constexpr const wchar_t* kModule = L"winhttp.dll";
// The platform's own limits for connecting, sending and receiving; resolving gets the
// connecting one instead of none.
constexpr int kResolveTimeoutMs = 60000;
constexpr int kConnectTimeoutMs = 60000;
constexpr int kSendTimeoutMs = 30000;
constexpr int kReceiveTimeoutMs = 30000;
// The longest URL the system's clients take, without its terminating NUL.
constexpr std::size_t kMaxUrlLength = 2083;

bool QueryNumber(HINTERNET request, DWORD info, std::uint32_t& value) {
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (!::WinHttpQueryHeaders(request, info | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &number, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    value = number;
    return true;
}

class Win32WinHttpRequest : public WinHttpRequest {
public:
    explicit Win32WinHttpRequest(WinHttpHandle request) : request_(std::move(request)) {}

    bool SendRequest() override {
        return ::WinHttpSendRequest(request_.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                    WINHTTP_NO_REQUEST_DATA, 0, 0, 0) != FALSE;
    }
    bool ReceiveResponse() override {
        return ::WinHttpReceiveResponse(request_.get(), nullptr) != FALSE;
    }
    bool QueryStatusCode(std::uint32_t& status) override {
        return QueryNumber(request_.get(), WINHTTP_QUERY_STATUS_CODE, status);
    }
    bool QueryContentLength(std::uint32_t& length) override {
        return QueryNumber(request_.get(), WINHTTP_QUERY_CONTENT_LENGTH, length);
    }
    bool QueryLocation(wchar_t* buffer, std::uint32_t& bytes) override {
        DWORD size = bytes;
        const bool found = ::WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_LOCATION,
                                                 WINHTTP_HEADER_NAME_BY_INDEX, buffer, &size,
                                                 WINHTTP_NO_HEADER_INDEX) != FALSE;
        const DWORD error = ::GetLastError();
        bytes = found || error == ERROR_INSUFFICIENT_BUFFER ? size : 0;
        ::SetLastError(error);
        return found;
    }
    bool QueryDataAvailable(std::uint32_t& available) override {
        DWORD count = 0;
        if (!::WinHttpQueryDataAvailable(request_.get(), &count)) return false;
        available = count;
        return true;
    }
    bool ReadData(void* buffer, std::uint32_t toRead, std::uint32_t& read) override {
        DWORD count = 0;
        if (!::WinHttpReadData(request_.get(), buffer, toRead, &count)) return false;
        read = count;
        return true;
    }

private:
    WinHttpHandle request_;
};

class Win32WinHttpConnection : public WinHttpConnection {
public:
    explicit Win32WinHttpConnection(WinHttpHandle connection)
        : connection_(std::move(connection)) {}

    std::unique_ptr<WinHttpRequest> OpenRequest(const std::wstring& verb, const std::wstring& path,
                                                std::uint32_t flags) override {
        WinHttpHandle request(::WinHttpOpenRequest(connection_.get(), verb.c_str(), path.c_str(),
                                                   nullptr, WINHTTP_NO_REFERER,
                                                   WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
        if (!request) return nullptr;
        DWORD feature = WINHTTP_DISABLE_REDIRECTS;
        if (!::WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &feature,
                                sizeof(feature))) {
            return nullptr;
        }
        return std::make_unique<Win32WinHttpRequest>(std::move(request));
    }

private:
    WinHttpHandle connection_;
};

class Win32WinHttpSession : public WinHttpSession {
public:
    explicit Win32WinHttpSession(WinHttpHandle session) : session_(std::move(session)) {}

    bool SetOption(std::uint32_t option, std::uint32_t value) override {
        DWORD data = value;
        return ::WinHttpSetOption(session_.get(), option, &data, sizeof(data)) != FALSE;
    }

    std::unique_ptr<WinHttpConnection> Connect(const std::wstring& host,
                                               std::uint16_t port) override {
        WinHttpHandle connection(::WinHttpConnect(session_.get(), host.c_str(), port, 0));
        if (!connection) return nullptr;
        return std::make_unique<Win32WinHttpConnection>(std::move(connection));
    }

private:
    WinHttpHandle session_;
};

}  // namespace

std::unique_ptr<WinHttpSession> Win32WinHttp::Open(const std::optional<std::wstring>& userAgent,
                                                   std::uint32_t accessType) const {
    WinHttpHandle session(::WinHttpOpen(userAgent ? userAgent->c_str() : nullptr, accessType,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return nullptr;
    if (!::WinHttpSetTimeouts(session.get(), kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                              kReceiveTimeoutMs)) {
        return nullptr;
    }
    return std::make_unique<Win32WinHttpSession>(std::move(session));
}

bool Win32WinHttp::CrackUrl(const std::wstring& url, UrlComponents& components) const {
    // The JSON client splits URLs with the same call, as this client must; one splitter for both.
    return WinHttpsClient(nullptr).CrackUrl(url, components);
}

std::optional<std::wstring> Win32WinHttp::CombineUrl(const std::wstring& base,
                                                     const std::wstring& reference) const {
    std::vector<wchar_t> buffer(kMaxUrlLength + 1, L'\0');
    for (int pass = 0; pass < 2; ++pass) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const HRESULT result =
            ::UrlCombineW(base.c_str(), reference.c_str(), buffer.data(), &size, 0);
        if (SUCCEEDED(result)) return std::wstring(buffer.data(), size);
        // E_POINTER: the buffer was short, and `size` now tells what it takes.
        if (result != E_POINTER) return std::nullopt;
        buffer.assign(std::size_t{size} + 1, L'\0');
    }
    return std::nullopt;
}

std::uint32_t Win32WinHttp::GetLastError() const {
    return ::GetLastError();
}

std::wstring Win32WinHttp::FormatMessage(std::uint32_t error) const {
    return FormatSystemMessage(error, kModule);
}

}  // namespace platform::win32
