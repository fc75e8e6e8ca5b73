#pragma once

#include "framework/CString.h"
#include "framework/HeldFile.h"

#include <windows.h>

#include <future>
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
// has been created.
std::pair<DWORD, CString> RunProcess(const CString& path, const CString& arguments, bool wait,
                                     HeldFile* held = nullptr);

// RunProcess on a thread of its own; the thread keeps held until the process has been created.
std::future<std::pair<DWORD, CString>> LaunchAsync(CString path, CString arguments, bool wait,
                                                   std::shared_ptr<HeldFile> held = nullptr);

// After the wizard, through the desktop shell (as the signed-in user) where there is one:

// Opens the file with its associated program.
void OpenFile(const CString& path);

// Opens an Explorer window (the Windows folder's explorer.exe) with the file selected.
void ShowInExplorer(const CString& path);

// Opens the installed product at the configuration's path (path variables expanded) with its
// launch arguments.
void LaunchInstalledProduct();
