#pragma once

#include <optional>
#include <string>

// What a suite knows about the Wine prefix it runs in, from outside the code under test.
namespace WineEnvironment {

// "win64" or "win32", as the test run chose the prefix.
std::string PrefixArch();

// A host path as the program inside Wine sees it (drive Z: is the host's root folder).
std::wstring WindowsPathOfHostPath(const std::string& hostPath);

// A string value straight from the prefix's registry files (e.g. "system.reg"), without the
// Windows registry API; section as written in the file, e.g. "Software\\\\Microsoft\\\\Cryptography".
std::optional<std::string> RegistryFileValue(const std::string& file, const std::string& section,
                                             const std::string& name);

// An environment variable of the test process, empty when unset.
std::string Variable(const char* name);

// Makes link a symbolic link to the folder target on the host's file system (Wine 8 cannot make
// junctions or links itself, but shows the host's links as reparse points). False when it failed.
bool MakeHostLink(const std::wstring& link, const std::wstring& target);
// Removes such a link (only the link) when there is one.
void RemoveHostLink(const std::wstring& link);

}  // namespace WineEnvironment
