#pragma once

#include <windows.h>

// The setup runs elevated from wherever it was saved, usually the Downloads folder, where any file
// may land. No library may come from there: the executable imports only libraries the system loads
// from its own folder (KnownDLLs), and every other one is loaded here, from System32, when first
// used. Delay-loaded imports (WinHTTP, WinINet, GDI+) come through the same function.
namespace SystemLibraries {

// First thing the process does: later loads, by name or implicit, search System32 only (the
// application's folder and the current folder are left out), and a corrupted heap ends the process
// instead of being exploited. Where the system lacks SetDefaultDllDirectories the current folder is
// at least taken out of the search.
void HardenProcess();

// True when "<this executable>.local" sits beside the executable: a folder or file of that name
// redirects the loading of side-by-side libraries to the executable's folder, which the setup refuses.
bool RedirectedByDotLocal();

// Loads a library of System32 by its file name; null when it is missing there. The library stays
// loaded for the life of the process.
HMODULE Load(const wchar_t* name);

}  // namespace SystemLibraries
