#pragma once

#include <string>
#include <unordered_map>

// The affiliate id of a two-letter country code, looked up exactly (case matters); "91082"
// for a code the table does not hold.
std::string AffiliateIdForCountry(const std::string& countryCode);

// The table behind it, built once on first use: country code to affiliate id.
const std::unordered_map<std::string, std::string>& AffiliateIdTable();
