#pragma once

#include "framework/CString.h"

// Removes the setup's own folder with everything in it. What cannot be deleted now (a file in use or
// denied) is scheduled for deletion at the next restart, for paths inside that folder only. A link
// (junction or symbolic link) is removed as itself and never entered: what it points to is not the
// setup's. A missing path or an empty folder is left as it is.
void DeleteFolderTree(const CString& path);
