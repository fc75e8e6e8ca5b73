#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <string>

// The text of a page's control, read through the window as a user would see it.
CString ControlText(HWND page, int controlId);

// Whether the control itself is set to show (its page may be hidden, which IsWindowVisible would count).
bool IsShownInItsPage(HWND control);

// Presses a button the way a click does.
void ClickButton(HWND page, int controlId);

// The brush and background mode a dialog gives one of its controls.
struct ControlColors {
    HBRUSH brush;
    int backgroundMode;
};
ControlColors StaticColorsOf(HWND dialog, int controlId);

#include "framework/CDialogEx.h"

// A visible top-level window to hold pages, which are child dialogs and need a parent.
class PageHost : public CDialogEx {
public:
    PageHost();
};
