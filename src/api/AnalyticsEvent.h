#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "api/HttpClient.h"

// What happened to a package, as the analytics service counts it.
inline constexpr std::int32_t kEventStarted = 1;
inline constexpr std::int32_t kEventNotShown = 2;
inline constexpr std::int32_t kEventDelivered = 3;
inline constexpr std::int32_t kEventDeclined = 4;
inline constexpr std::int32_t kEventWizardClosed = 5;
inline constexpr std::int32_t kEventFailed = -1;

// The parameter keys of an event: its code, the failure text of -1 and the reason of 2.
inline constexpr const char* kEventCodeKey = "6";
inline constexpr const char* kEventFailureKey = "12";
inline constexpr const char* kEventReasonKey = "13";

// How many times an event is posted, and the pause after each failed post.
inline constexpr int kEventAttempts = 2;

// Codes after whose delivery a package reports nothing more.
bool IsTerminalEventCode(std::int32_t code);

// The body of one event: {"data": S, "table": "zb_analytics"} where S is the compact text of
// `parameters` with "6" set to the code and each key of `extra` that `parameters` already
// holds replaced by extra's value (other keys of extra are dropped). `extra` is an object or
// null; any other value raises the JSON library's invalid-iterator error.
std::string BuildEventBody(nlohmann::json parameters, std::int32_t code,
                           const nlohmann::json& extra);

// Posts `body` to the settings' event address with `headers`, up to kEventAttempts times,
// pausing kPauseAfterRefusedStatus after every refused attempt. A status from 200 to 399 is a
// delivery; a post that cannot be made at all (no connection, no response) ends the attempts
// at once. Returns whether the event was delivered; never throws.
bool DeliverEvent(const std::string& body, const HttpHeaders& headers);
