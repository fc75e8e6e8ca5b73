#pragma once

#include "framework/CString.h"

// Opens files and programs the way the signed-in user would from the desktop. The setup runs
// elevated; what it starts for the user after the wizard (the installed product, the downloaded file,
// a web page) should not inherit that. The desktop's own shell starts it instead, as the user; where
// no desktop shell answers (none is running, or the platform has none) the setup's own ShellExecuteW
// does it, elevated, as before. The setup log says which of the two it was.
namespace DesktopShell {

enum class StartedBy { DesktopUser, Setup, Nobody };

// Opens file ("open" verb) with the parameters. Never throws.
StartedBy Open(const CString& file, const CString& parameters = CString());

}  // namespace DesktopShell
