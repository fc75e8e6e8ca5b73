#pragma once

#include <windows.h>

// What a download posts to the window it reports to. Workers never touch a window: they post these.
// The setup's private messages share WM_USER + 1 to + 5: the two below, the controller's
// WM_LOAD_COMPLETE (+ 3) and WM_CREATE_NEXT_PAGE (+ 5), and the loading page's WM_REQUEST_COMPLETE (+ 4).
constexpr UINT WM_DOWNLOAD_PROGRESS = WM_USER + 1;      // wParam: percentage
constexpr UINT WM_DOWNLOAD_SIZE_UNKNOWN = WM_USER + 2;
