#pragma once

#include "framework/CString.h"

// Where a download may be written: a file directly inside the folder chosen for it, never anywhere else.
namespace DownloadTarget {

struct Resolution {
    CString path;   // full path; empty when the target was refused
    CString error;  // why it was refused: "Invalid path" or "Invalid file name: " + the name
    bool folderMissing = false;
};

// The last segment of the URL's path, without query string or fragment (empty when there is none).
CString FileNameOfUrl(const CString& url);

// False for names that are empty, "." or "..", end in a dot or blank, hold a path separator, a drive
// colon or another character Windows refuses in file names, or name a device ("nul", "com1.txt").
bool IsSafeFileName(const CString& name);

// The name is the given one, or the URL's when none is given.
Resolution Resolve(const CString& folder, const CString& url, const CString& fileName);

// The path with " (number)" before the file name's extension: "D:\a\setup.exe", 2 -> "D:\a\setup (2).exe".
CString Numbered(const CString& path, int number);

}  // namespace DownloadTarget
