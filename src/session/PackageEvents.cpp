#include <exception>
#include <thread>
#include <utility>

#include "api/AnalyticsEvent.h"
#include "session/Package.h"

void Package::SendEvent(std::int32_t code, const nlohmann::json& extra) {
    if (eventsClosed) return;
    // The event carries the package as it is now: the main product's parameters are replaced
    // once the configuration arrives, while its first event may still be on its way.
    nlohmann::json parameters = eventParams;
    HttpHeaders headers = requestBase.headers;
    // Counted before the thread exists, so a waiter can never see zero while it runs.
    {
        std::lock_guard lock(eventLock);
        ++pendingEvents;
    }
    try {
        std::thread([this, code, extra, parameters = std::move(parameters),
                     headers = std::move(headers)]() mutable {
            try {
                const std::string body = BuildEventBody(std::move(parameters), code, extra);
                if (DeliverEvent(body, headers)) eventsClosed = IsTerminalEventCode(code);
            } catch (const std::exception&) {
                // An event that cannot even be formed is lost like one that cannot be delivered.
            }
            FinishEvent();
        }).detach();
    } catch (const std::exception&) {
        // No thread to carry it: the event is lost, as an undeliverable one would be.
        FinishEvent();
    }
}

void Package::FinishEvent() {
    std::lock_guard lock(eventLock);
    if (--pendingEvents == 0) eventsDone.notify_all();
}

void Package::WaitForEvents() {
    std::unique_lock lock(eventLock);
    eventsDone.wait(lock, [this] { return pendingEvents == 0; });
}
