#pragma once

#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

#include <nlohmann/json.hpp>

// Reads of configuration values. Integral targets refuse a floating-point number they cannot
// hold with the library's out-of-range error: converting it would be undefined. Everything else
// is the library's own typed read, with its own errors.
template <typename T>
T GetConfigurationValue(const nlohmann::json& value) {
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
        if (value.is_number_float()) {
            const double number = value.get<double>();
            // The limits as doubles: the lowest is exact, the highest + 1 is a power of two.
            const double lowest = static_cast<double>(std::numeric_limits<T>::lowest());
            const double beyond = std::ldexp(1.0, std::numeric_limits<T>::digits);
            if (!(number > lowest - 1.0 && number < beyond)) {
                throw nlohmann::json::out_of_range::create(
                    406, "number " + value.dump() + " does not fit the configuration value",
                    &value);
            }
        }
    }
    return value.get<T>();
}

// The member `key` of `object`, or `fallback` when the object does not have it.
template <typename T>
T GetConfigurationValue(const nlohmann::json& object, const char* key, T fallback) {
    if (!object.is_object()) return object.value(key, std::move(fallback));
    const auto found = object.find(key);
    return found == object.end() ? fallback : GetConfigurationValue<T>(*found);
}
