#include "platform/win32/SystemMessage.h"

#include <memory>

#include "platform/win32/Win32Api.h"

namespace platform::win32 {
namespace {

// Memory the system allocated for a FormatMessageW text.
struct LocalFreer {
    void operator()(wchar_t* text) const { ::LocalFree(text); }
};
using LocalText = std::unique_ptr<wchar_t, LocalFreer>;

}  // namespace

std::wstring FormatSystemMessage(std::uint32_t error, const wchar_t* module) {
    DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE source = module != nullptr ? ::GetModuleHandleW(module) : nullptr;
    if (source != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    wchar_t* raw = nullptr;
    const DWORD length =
        ::FormatMessageW(flags, source, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                         reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    const LocalText text(raw);
    if (length == 0 || !text) return {};
    return std::wstring(text.get(), length);
}

}  // namespace platform::win32
