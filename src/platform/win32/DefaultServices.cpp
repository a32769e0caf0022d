#include "platform/Services.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinHttpsClient.h"

namespace platform {

Services MakeDefaultServices() {
    auto system = std::make_shared<win32::Win32System>();
    return Services{system, std::make_shared<win32::Win32Clock>(),
                    std::make_shared<win32::WinHttpsClient>(system),
                    std::make_shared<win32::Win32Registry>()};
}

}  // namespace platform
