#pragma once

#include "framework/CString.h"

// A downloaded installer may come packed in an archive. ZIP archives are unpacked with the shell
// into a folder beside the downloads and the first program found in it is run instead; anything
// else is run as it is.

enum ArchiveType : int { ARCHIVE_NONE = 0, ARCHIVE_ZIP = 1, ARCHIVE_7Z = 2 };

// The archive kind the file's first bytes announce; ARCHIVE_NONE for anything else, including an
// empty or unreadable file.
int DetectArchiveType(const CString& path);

// A new private folder in base named after the archive without its extension and random characters
// (D:\t\setup.zip -> base\setup-k2j9x0a7qd, see PrivateFolder); never one that exists already.
// Empty when none could be made.
CString MakeExtractionFolder(const CString& archivePath, const CString& base);

// Copies everything in the ZIP archive into the folder through the shell's own ZIP support, silently
// and without questions. True only when the shell took the copy; false for an empty archive and on
// any failure (Wine's shell, for one, cannot open ZIP archives as folders). Initialises COM on the
// calling thread for the call.
bool UnzipWithShell(const CString& archive, const CString& folder);

// The file name (not the path) of the first "*.exe" file directly in the folder; empty when there is
// none. Folders named like programs are passed over.
CString FindFirstExe(const CString& folder);

// The program to run for a downloaded installer of the given ArchiveType: for a ZIP archive that
// could be unpacked into a folder of base and holds a program, that program's path; otherwise the
// downloaded path itself.
CString PrepareInstaller(const CString& path, int kind, const CString& base);
