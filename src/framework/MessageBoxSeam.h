#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <functional>

// Every message box of the setup goes through here. Without a handler the real box is shown; a test
// installs a handler that records the request and answers in place of a user.
struct MessageBoxRequest {
    HWND owner;
    CString text;
    CString caption;
    UINT type;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Installs handler (empty: real boxes) and returns the one it replaces.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

int ShowMessageBox(HWND owner, const CString& text, const CString& caption, UINT type);

// MFC's application-modal box, captioned with the program's name.
int AfxMessageBox(const CString& text, UINT type = MB_OK);
