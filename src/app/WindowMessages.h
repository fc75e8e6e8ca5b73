#pragma once

#include <windows.h>

// The setup's private window messages. Workers never touch a window: they post these.
constexpr UINT WM_DOWNLOAD_PROGRESS = WM_USER + 1;      // wParam: percentage; download task to download page
constexpr UINT WM_DOWNLOAD_SIZE_UNKNOWN = WM_USER + 2;  // download task to download page
constexpr UINT WM_LOAD_COMPLETE = WM_USER + 3;          // completion handler to main dialog
constexpr UINT WM_REQUEST_COMPLETE = WM_USER + 4;       // loading worker to loading page
