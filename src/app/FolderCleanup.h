#pragma once

#include "framework/CString.h"

// Removes a folder with everything in it. What cannot be deleted now (a file or folder in use or
// denied) is scheduled for deletion at the next restart. A missing path or an empty folder is left
// as it is.
void DeleteFolderTree(const CString& path);
