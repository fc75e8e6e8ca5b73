#pragma once

#include "framework/CString.h"

#include <windows.h>

class CWinApp;

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// The module whose resources (templates, documents, images) are used: the executable, unless set.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// The program's name: its executable's file name without folder and extension.
CString AfxGetAppName();

// Loads the rich-edit library the dialogs' rich-edit controls need; false when it is missing.
BOOL AfxInitRichEdit();
// Loads the library of the "RichEdit20W" class, which detects web addresses in its text.
BOOL AfxInitRichEdit2();

// A string resource of this module, empty when there is none.
CString LoadResourceString(UINT id);
