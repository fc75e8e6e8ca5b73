#pragma once

#include "framework/CString.h"

#include <functional>

// Folders the elevated setup writes what it later runs into. The user's temporary folder is open to
// every program of the user, so such a folder is never one that already exists (another program
// could have made it, or a link in its place), and once made only administrators may change it.
namespace PrivateFolder {

// Characters drawn from the platform's cryptographic generator: ten lower-case letters and digits.
CString RandomName();

// Creates parent\<prefix><RandomName()>: Administrators and SYSTEM have full control, the signed-in
// user may read and run what is inside, nothing is inherited from the parent. An existing name is
// never adopted: a new one is drawn, ten names at most. The folder's path, or empty when none could
// be made. nameSource replaces RandomName (tests).
CString Create(const CString& parent, const wchar_t* prefix, const std::function<CString()>& nameSource = RandomName);

// parent and name joined by one backslash, whether or not parent ends in one.
CString Join(const CString& parent, const CString& name);

}  // namespace PrivateFolder
