#pragma once

#include "framework/CString.h"

// What kind of address a text from the configuration is, before the setup hands it to the network
// or to the shell.
namespace WebAddress {

// The scheme of an absolute address, lower-cased ("https"), when the text starts with one followed
// by "://"; empty otherwise.
CString SchemeOf(const CString& text);

// "http://" or "https://": the only addresses the setup lets the shell open.
bool IsWeb(const CString& text);

// "https://": the only addresses a file that is run or opened may come from, every redirect included.
bool IsSecure(const CString& text);

// Opens a web address (IsWeb) in the user's browser through the desktop shell; anything else (a
// file, a share, a program) is refused and logged. False when refused.
bool Open(const CString& text);

}  // namespace WebAddress
