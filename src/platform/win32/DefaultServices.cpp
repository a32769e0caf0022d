#include "platform/Services.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32WinHttp.h"
#include "platform/win32/Win32WinInet.h"
#include "platform/win32/WinHttpsClient.h"

namespace platform {

Services MakeDefaultServices() {
    auto system = std::make_shared<win32::Win32System>();
    Services services;
    services.system = system;
    services.clock = std::make_shared<win32::Win32Clock>();
    services.https = std::make_shared<win32::WinHttpsClient>(system);
    services.registry = std::make_shared<win32::Win32Registry>();
    services.winHttp = std::make_shared<win32::Win32WinHttp>();
    services.winInet = std::make_shared<win32::Win32WinInet>();
    services.files = std::make_shared<win32::Win32Files>();
    services.processes = win32::MakeWin32Processes();
    services.resources = win32::MakeWin32Resources();
    return services;
}

}  // namespace platform
