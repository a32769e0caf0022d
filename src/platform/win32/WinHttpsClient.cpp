#include "platform/win32/WinHttpsClient.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/TextCodec.h"
#include "platform/WindowsVersion.h"
#include "platform/win32/WinHttpHandle.h"

namespace platform::win32 {
namespace {

const wchar_t* const kAddHeaderError = L"WinHttpAddRequestHeaders error: %d";
const wchar_t* const kQueryDataAvailableError = L"Error %u in WinHttpQueryDataAvailable.";
const wchar_t* const kReadDataError = L"Error %u in WinHttpReadData.";
const wchar_t* const kOutOfMemory = L"Out of memory";
const wchar_t* const kPostVerb = L"POST";
const wchar_t* const kHeaderSeparator = L": ";

// Every post goes to port 443 over TLS, whatever the URL said.
constexpr INTERNET_PORT kHttpsPort = INTERNET_DEFAULT_HTTPS_PORT;
static_assert(kHttpsPort == 443);

// The structure the URL splitter takes is 60 bytes long in the 32-bit program.
static_assert(sizeof(void*) != 4 || sizeof(URL_COMPONENTS) == 60);

// A diagnostic line on standard output. It never reaches the user and never changes a result.
template <typename... Values>
void PrintDiagnostic(const wchar_t* format, Values... values) {
    wchar_t line[128] = {};
    if (std::swprintf(line, std::size(line), format, values...) < 0) return;
    std::fputs((EncodeUtf8(line) + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::wstring Piece(const wchar_t* text, DWORD length) {
    return text != nullptr ? std::wstring(text, length) : std::wstring();
}

// `count` + 1 zeroed bytes, so that the chunk always ends in a NUL; nothing when the memory
// cannot be had.
std::optional<std::vector<char>> AllocateChunk(DWORD count) {
    if (count == std::numeric_limits<DWORD>::max()) return std::nullopt;
    try {
        return std::vector<char>(std::size_t{count} + 1, '\0');
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

// Reads the response body chunk by chunk; each chunk counts up to its first NUL.
void ReadBody(HINTERNET request, std::string& response) {
    for (;;) {
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(request, &available)) {
            PrintDiagnostic(kQueryDataAvailableError, static_cast<unsigned>(::GetLastError()));
            return;
        }
        if (available == 0) return;
        std::optional<std::vector<char>> chunk = AllocateChunk(available);
        if (!chunk) {
            PrintDiagnostic(kOutOfMemory);
            return;
        }
        DWORD read = 0;
        if (::WinHttpReadData(request, chunk->data(), available, &read)) {
            response.append(chunk->data(), std::strlen(chunk->data()));
        } else {
            PrintDiagnostic(kReadDataError, static_cast<unsigned>(::GetLastError()));
        }
    }
}

}  // namespace

WinHttpsClient::WinHttpsClient(std::shared_ptr<const System> system) : system_(std::move(system)) {}

bool WinHttpsClient::CrackUrl(const std::wstring& url, UrlComponents& components) const {
    // The splitter reads up to the first NUL; a URL with one inside is not what it looks like.
    if (url.find(L'\0') != std::wstring::npos) return false;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    // -1: the splitter finds each piece's length itself and points into `url`.
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return false;
    components.scheme = Piece(parts.lpszScheme, parts.dwSchemeLength);
    components.host = Piece(parts.lpszHostName, parts.dwHostNameLength);
    components.port = parts.nPort;
    components.path = Piece(parts.lpszUrlPath, parts.dwUrlPathLength);
    components.extra = Piece(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    // A fragment belongs to the extra information and never goes on the wire. Windows splits
    // it off; some implementations of the call (Wine's) leave it in the path.
    if (const std::size_t hash = components.path.find(L'#'); hash != std::wstring::npos) {
        components.extra.insert(0, components.path.substr(hash));
        components.path.resize(hash);
    }
    return true;
}

bool WinHttpsClient::SendHttpsPost(const std::wstring& path, const std::wstring& host,
                                   std::string_view body, const HeaderList& headers,
                                   std::string& response, std::int32_t& status) const {
    if (body.size() > std::numeric_limits<DWORD>::max()) return false;
    const auto bodyLength = static_cast<DWORD>(body.size());

    // No timeout is set: WinHTTP's own limits apply (60 s to connect, 30 s for each send and
    // receive), and name resolution ends with the system resolver's own time-outs, so no call
    // waits forever.
    const WinHttpHandle session(::WinHttpOpen(nullptr, WinHttpAccessTypeFor(*system_),
                                              WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return false;
    DWORD protocols = WinHttpSecureProtocolsFor(*system_);
    if (!::WinHttpSetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                            sizeof(protocols))) {
        return false;
    }
    const WinHttpHandle connection(::WinHttpConnect(session.get(), host.c_str(), kHttpsPort, 0));
    if (!connection) return false;
    const WinHttpHandle request(
        ::WinHttpOpenRequest(connection.get(), kPostVerb, path.c_str(), nullptr, WINHTTP_NO_REFERER,
                             WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!request) return false;

    for (const auto& [name, value] : headers) {
        const std::wstring line = name + kHeaderSeparator + value;
        if (!::WinHttpAddRequestHeaders(request.get(), line.c_str(),
                                        static_cast<DWORD>(line.size()), WINHTTP_ADDREQ_FLAG_ADD)) {
            PrintDiagnostic(kAddHeaderError, static_cast<int>(::GetLastError()));
        }
    }

    // The API takes the body through a non-const pointer but only reads it.
    void* const data = bodyLength > 0 ? const_cast<char*>(body.data()) : WINHTTP_NO_REQUEST_DATA;
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, bodyLength,
                              bodyLength, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr)) {
        return false;
    }

    DWORD code = 0;
    DWORD size = sizeof(code);
    // When the status cannot be read the caller's value stays.
    if (::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &code, &size,
                              WINHTTP_NO_HEADER_INDEX)) {
        status = static_cast<std::int32_t>(code);
    }
    ReadBody(request.get(), response);
    return true;
}

}  // namespace platform::win32
