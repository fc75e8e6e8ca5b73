#pragma once

#include <string>

// The running Windows version as "major.minor.build" in decimal, as the system itself reports it
// (not as a compatibility shim would); "" when it cannot be read.
std::string OsVersionString();
