#pragma once

#include <string>

// "major.minor.build" of the running system (such as 10.0.19045); empty when the version
// query fails.
std::wstring GetOsVersionString();
