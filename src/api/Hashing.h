#pragma once

#include <string>

// MD5 of the text's narrow form as 32 lower-case hexadecimal digits; empty when the
// platform's hash service fails.
std::string Md5Hex(const std::wstring& text);

// SHA-256 of the string's bytes as 64 lower-case hexadecimal digits; empty when the
// platform's hash service fails.
std::string Sha256Hex(const std::string& text);
