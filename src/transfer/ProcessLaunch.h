#pragma once

#include "framework/Cancellation.h"
#include "framework/CString.h"
#include "framework/HeldFile.h"

#include <windows.h>

#include <memory>
#include <utility>

// Starting the downloaded installers and handing files to the shell. Every start and its outcome
// goes to the setup log.

// The command line RunProcess starts: the path in quotes, one blank, then the arguments (the blank
// is there even when there are none).
CString BuildCommandLine(const CString& path, const CString& arguments);

// Starts the program with the arguments. Waiting, the result is its exit code and "" for 0 or
// "exit code = N" otherwise; not waiting, it is (4294967295, "exit code = 4294967295"). A program
// that cannot be started gives (4294967295, "Error launching executable: " + the system's text).
// held, when given, is the downloaded file the program comes from: it is let go once the process
// has been created. The wait ends when the run is cancelled, the program left running:
// (4294967295, "Not waited for: the run has ended").
std::pair<DWORD, CString> RunProcess(const CString& path, const CString& arguments, bool wait,
                                     HeldFile* held = nullptr, const Cancellation& run = Cancellation::Never());

// After the wizard, through the desktop shell (as the signed-in user) where there is one:

// Opens an Explorer window (the Windows folder's explorer.exe) with the file selected.
void ShowInExplorer(const CString& path);

// Opens the installed product at the configuration's path (path variables expanded) with its
// launch arguments.
void LaunchInstalledProduct();
