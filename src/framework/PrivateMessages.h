#pragma once

#include <windows.h>

// Every private window message of the setup, in one place and in the WM_APP range: WM_USER + n are
// dialog messages on a dialog (DM_SETDEFID is WM_USER + 1, DM_REPOSITION WM_USER + 2), and every page
// is a dialog. Workers never touch a window: they post these, and the window reacts on its own thread.

// Download task -> download page: wParam the percentage.
constexpr UINT WM_DOWNLOAD_PROGRESS = WM_APP + 1;
// Download task -> download page: the server gave no length.
constexpr UINT WM_DOWNLOAD_SIZE_UNKNOWN = WM_APP + 2;
// Offer delivery -> main dialog: the admitted offers, their pictures in, wait to be taken.
constexpr UINT WM_LOAD_COMPLETE = WM_APP + 3;
// Loading worker -> loading page: the configuration and the offer checks have ended, one way or another.
constexpr UINT WM_REQUEST_COMPLETE = WM_APP + 4;
// Main dialog -> itself: create the next page the configuration brought.
constexpr UINT WM_CREATE_NEXT_PAGE = WM_APP + 5;
// Main dialog -> itself: the first page is up; make the error and loading pages.
constexpr UINT WM_CREATE_START_PAGES = WM_APP + 6;
// Download task -> download page: the download's outcome waits to be taken.
constexpr UINT WM_DOWNLOAD_DONE = WM_APP + 7;
// Installer task -> download page: the installer's result waits to be taken.
constexpr UINT WM_INSTALLER_ENDED = WM_APP + 8;
