#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// What a setup run leaves in the user's temporary folder, found from the outside.
std::wstring TempFolder();

// The logs in the temporary folder that the process with this id wrote.
std::vector<std::wstring> LogsOfProcess(DWORD id);

// Removes every setup log of earlier runs. Wine gives process ids out again, also across the build
// variants that share a prefix, so a log is only known to be a run's own when none was there before.
void RemoveSetupLogs();

// Whether every expected text occurs in the messages, each in a later message than the one before.
bool InOrder(const std::vector<std::string>& messages, const std::vector<std::string>& expected);

// Polls done every 100 ms until it holds (true) or the limit has passed (false).
bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit);
