#pragma once

#include <string>
#include <utility>
#include <vector>

// Keys and their values, in the order they are to be replaced.
using PlaceholderValues = std::vector<std::pair<std::string, std::string>>;

// `text` with the placeholder "{key}" of every key of `values` replaced by its value, key by key
// in the order of `values`. For each key the first placeholder of the text is replaced and the text
// is searched again from the start until none is left; keys match exactly, case included, and other
// braces stay as they are. Where that search would never end (a value holding its own placeholder,
// or one that forms it again with the text around it), each placeholder of the text is replaced
// once instead and the inserted values are not searched.
std::string ExpandPlaceholders(const std::string& text, const PlaceholderValues& values);
