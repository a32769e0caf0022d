#include <exception>
#include <thread>
#include <utility>
#include <vector>

#include "api/AnalyticsEvent.h"
#include "session/Package.h"

void Package::SendEvent(std::int32_t code, const nlohmann::json& extra) {
    if (eventsClosed) return;
    // The event carries the package as it is now: the main product's parameters are replaced
    // once the configuration arrives, while its first event may still be on its way.
    nlohmann::json parameters = eventParams;
    HttpHeaders headers = requestBase.headers;
    // Counted and kept before the thread runs, so a waiter can never see zero while it runs,
    // nor miss the thread it has to see end.
    std::lock_guard lock(eventLock);
    ++pendingEvents;
    try {
        eventThreads.emplace_back([this, code, extra, parameters = std::move(parameters),
                                   headers = std::move(headers)]() mutable {
            try {
                const std::string body = BuildEventBody(std::move(parameters), code, extra);
                if (DeliverEvent(body, headers)) eventsClosed = IsTerminalEventCode(code);
            } catch (const std::exception&) {
                // An event that cannot even be formed is lost like one that cannot be delivered.
            }
            FinishEvent();
        });
    } catch (const std::exception&) {
        // No thread to carry it: the event is lost, as an undeliverable one would be.
        if (--pendingEvents == 0) eventsDone.notify_all();
    }
}

void Package::FinishEvent() {
    std::lock_guard lock(eventLock);
    if (--pendingEvents == 0) eventsDone.notify_all();
}

void Package::WaitForEvents() {
    std::vector<std::thread> finished;
    {
        std::unique_lock lock(eventLock);
        eventsDone.wait(lock, [this] { return pendingEvents == 0; });
        finished.swap(eventThreads);
    }
    // Every event is handled; its thread may still be releasing what it held. The count drops
    // before that, so only a join sees the thread's real end.
    for (std::thread& thread : finished) thread.join();
}
