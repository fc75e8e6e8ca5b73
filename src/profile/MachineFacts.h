#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

// Facts about the machine and the moment, read from the system each time they are asked for.
namespace MachineFacts {

// True when the (32-bit) setup runs under WOW64, i.e. on 64-bit Windows.
bool IsWow64();

// A known folder of the current user; empty when the system cannot give it.
CString KnownFolderPath(REFKNOWNFOLDERID folder);

// The value of an environment variable if it fits in 259 characters, else empty.
CString EnvironmentVariable(const wchar_t* name);

// The machine's MachineGuid (64-bit registry view) as narrow text; empty when it cannot be read.
std::string MachineGuid();

// Local time now as "%Y%m%d%H%M%S"; empty when the conversion fails.
std::string LocalTimestamp();

// The local date that many days from now as "%Y%m%d" (0: today); empty when the conversion fails.
std::string LocalDateInDays(int days);

// Milliseconds since 1970-01-01 00:00 UTC, in decimal.
std::string CurrentTimeMillis();

// Makes a new, empty folder "ISV" + random characters in the user's temporary directory that only
// administrators may change (PrivateFolder) and returns its path; empty when none could be made.
CString CreateUniqueTempFolder();

// The fixed file version of a module's version resource as "a.b.c.d"; empty without one.
CString FileVersion(HMODULE module);

// The running Windows version from RtlGetVersion, which no compatibility manifest or shim bends;
// nothing when the call is missing or fails.
std::optional<OSVERSIONINFOEXW> WindowsVersion();

}  // namespace MachineFacts
