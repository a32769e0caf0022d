#include "platform/win32/Win32WinInet.h"

#include <cwctype>
#include <vector>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/WinInetHandle.h"

// The port names its operations after the calls; the headers would rename them to the A/W
// variants.
#undef FormatMessage

namespace platform::win32 {
namespace {

static_assert(kInternetOpenTypePreconfig == INTERNET_OPEN_TYPE_PRECONFIG);
static_assert(kInternetFlagReload == INTERNET_FLAG_RELOAD);

constexpr const wchar_t* kModule = L"wininet.dll";
constexpr DWORD kConnectTimeoutMs = 60000;
constexpr DWORD kSendTimeoutMs = 30000;
constexpr DWORD kReceiveTimeoutMs = 30000;

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    for (std::size_t i = 0; prefix[i] != L'\0'; ++i) {
        if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    }
    return true;
}

bool SetTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
    return ::InternetSetOptionW(handle, option, &milliseconds, sizeof(milliseconds)) != FALSE;
}

// The URL the answer finally came from, after the client's redirects.
std::wstring FinalUrl(HINTERNET url) {
    DWORD size = 0;
    ::InternetQueryOptionW(url, INTERNET_OPTION_URL, nullptr, &size);
    if (size == 0) return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (!::InternetQueryOptionW(url, INTERNET_OPTION_URL, buffer.data(), &size)) return {};
    return std::wstring(buffer.data());
}

bool QueryNumber(HINTERNET url, DWORD info, std::uint32_t& value) {
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (!::HttpQueryInfoW(url, info | HTTP_QUERY_FLAG_NUMBER, &number, &size, nullptr)) {
        return false;
    }
    value = number;
    return true;
}

class Win32WinInetUrl : public WinInetUrl {
public:
    explicit Win32WinInetUrl(WinInetHandle url) : url_(std::move(url)) {}

    bool QueryStatusCode(std::uint32_t& status) override {
        return QueryNumber(url_.get(), HTTP_QUERY_STATUS_CODE, status);
    }
    bool QueryContentLength(std::uint32_t& length) override {
        return QueryNumber(url_.get(), HTTP_QUERY_CONTENT_LENGTH, length);
    }
    bool ReadFile(void* buffer, std::uint32_t toRead, std::uint32_t& read) override {
        DWORD count = 0;
        const bool done = ::InternetReadFile(url_.get(), buffer, toRead, &count) != FALSE;
        read = count;
        return done;
    }

private:
    WinInetHandle url_;
};

class Win32WinInetSession : public WinInetSession {
public:
    explicit Win32WinInetSession(WinInetHandle internet) : internet_(std::move(internet)) {}

    std::unique_ptr<WinInetUrl> OpenUrl(const std::wstring& url, std::uint32_t flags) override {
        WinInetHandle handle(
            ::InternetOpenUrlW(internet_.get(), url.c_str(), nullptr, 0, flags, 0));
        if (!handle) return nullptr;
        // A download that started over TLS never continues in the clear.
        if (StartsWithNoCase(url, L"https:") &&
            !StartsWithNoCase(FinalUrl(handle.get()), L"https:")) {
            ::SetLastError(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR);
            return nullptr;
        }
        return std::make_unique<Win32WinInetUrl>(std::move(handle));
    }

private:
    WinInetHandle internet_;
};

}  // namespace

std::unique_ptr<WinInetSession> Win32WinInet::Open(const std::wstring& userAgent,
                                                   std::uint32_t accessType) const {
    WinInetHandle internet(::InternetOpenW(userAgent.c_str(), accessType, nullptr, nullptr, 0));
    if (!internet) return nullptr;
    if (!SetTimeout(internet.get(), INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs) ||
        !SetTimeout(internet.get(), INTERNET_OPTION_SEND_TIMEOUT, kSendTimeoutMs) ||
        !SetTimeout(internet.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, kReceiveTimeoutMs)) {
        return nullptr;
    }
    return std::make_unique<Win32WinInetSession>(std::move(internet));
}

std::uint32_t Win32WinInet::GetLastError() const {
    return ::GetLastError();
}

std::wstring Win32WinInet::FormatMessage(std::uint32_t error) const {
    return FormatSystemMessage(error, kModule);
}

}  // namespace platform::win32
