#pragma once

#include "framework/CString.h"

// Configuration text put into SysLink markup ('<a href="...">name</a>'). The control reads tags in
// its text, so a configured name or address could otherwise add links of its own.
namespace LinkMarkup {

// Text shown between tags: every "<" is followed by an invisible zero-width space, so nothing in it
// reads as a tag, while it looks as configured.
CString Text(const CString& text);

// An address inside href="...": the characters that would end the attribute or the tag, and blanks
// and control characters, are percent-encoded.
CString Address(const CString& address);

}  // namespace LinkMarkup
