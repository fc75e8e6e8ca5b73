#pragma once

#include <windows.h>

#include <string>

// Saves what the screen shows of the window as a PNG file; false when it could not.
bool SaveWindowAsPng(HWND window, const std::wstring& path);
