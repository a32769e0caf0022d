#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "api/TemplateExpansion.h"

class ConfigurationManager;

// The template values of one package: texts of the configuration name them as placeholders,
// a key between braces ({userid}, {pnstubparams}), and get them replaced. The package sets them
// while it is constructed, in the order of the Add operations below; a text expanded before a
// key is set keeps that key's placeholder. Keys are replaced in the order they were set, so a
// text expands the same way on every platform and build: a value inserted for one key is seen by
// the keys set after it.
class TemplateValues {
public:
    // Sets `key` to `value` unless the key is set already: each key is set at most once.
    void Set(const std::string& key, std::string value);

    // The keys and values in the order they were set.
    const PlaceholderValues& Values() const { return values_; }
    // The value of `key`; nothing when it is not set.
    std::optional<std::string> Find(const std::string& key) const;

    // `text` with the placeholders of the keys set so far replaced (see ExpandPlaceholders).
    std::string ExpandTemplate(const std::string& text) const;

    // "userid", "sessionid", "cc" (the country), "pubid" and "ispb" from the settings when they
    // are not empty; "aflt", the affiliate id of the country; "account_md5", the MD5 of the
    // account name, when that is not empty.
    void AddIdentityValues(ConfigurationManager& settings);

    // "pxl", the base-62 form of "user id|offer id|session id" (empty when it cannot be
    // formed), and "of", the offer's "ad"."f" value.
    void AddOfferValues(ConfigurationManager& settings, const std::string& offerId,
                        const std::string& offerF);

    // "pnrparam": the member of the partner's "pnrp" object named after this system's version
    // ("10.0", "6.1"), else its "default" member, else empty. Throws the JSON library's type
    // error for a chosen member that is not a string.
    void AddPartnerRunParameter(const nlohmann::json& pnrp);

    // The rest of a partner package's values: "pnstubparams" (its expanded "sp" text),
    // "pnapiurl", "pnapikey", "pnop", then "account" and "installer" from the settings and
    // "pnsid", the time in milliseconds.
    void AddPartnerValues(ConfigurationManager& settings, const std::string& stubParams,
                          const std::string& apiUrl, const std::string& apiKey,
                          const std::string& op);

private:
    // The entry of `key`, or the end of the values.
    PlaceholderValues::const_iterator Entry(const std::string& key) const;

    PlaceholderValues values_;
};

// The major and minor number of the running system, such as "10.0" or "6.1"; empty when the
// version cannot be read.
std::string OsVersionKey();
