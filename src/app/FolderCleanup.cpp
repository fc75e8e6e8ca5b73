#include "app/FolderCleanup.h"

#include "framework/SetupLog.h"
#include "framework/UniqueHandle.h"

#include <shlwapi.h>

namespace {

bool IsInUseOrDenied(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

bool IsLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The session manager deletes these paths at the next start, elevated: never anything outside the
// setup's own folder.
void DeleteAtRestart(const CString& path, const CString& ownFolder)
{
    const bool inside = path == ownFolder || (path.GetLength() > ownFolder.GetLength() &&
                                              path.Left(ownFolder.GetLength() + 1).CompareNoCase(ownFolder + L"\\") == 0);
    if (inside) {
        MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

// A link goes as itself, never its target: a folder link with RemoveDirectoryW, a file link with DeleteFileW.
void RemoveLink(const CString& path, DWORD attributes)
{
    const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path) : DeleteFileW(path);
    if (!removed) {
        LogEntry() << "Link " << path << " in the temporary folder could not be removed (error " << GetLastError()
                   << "); what it points to was left alone";
    }
}

void RemoveTree(const CString& path, const CString& ownFolder)
{
    WIN32_FIND_DATAW entry{};
    UniqueFindHandle search(FindFirstFileW(path + L"\\*", &entry));
    if (search) {
        do {
            const CString name(entry.cFileName);
            if (name == L"." || name == L"..") {
                continue;
            }
            const CString child = path + L"\\" + name;
            if (IsLink(entry.dwFileAttributes)) {
                RemoveLink(child, entry.dwFileAttributes);
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A folder with content removes itself (or schedules itself) in the call below.
                if (!PathIsDirectoryEmptyW(child)) {
                    RemoveTree(child, ownFolder);
                } else if (!RemoveDirectoryW(child) && !IsInUseOrDenied(GetLastError())) {
                    DeleteAtRestart(child, ownFolder);
                }
            } else if (!DeleteFileW(child) && IsInUseOrDenied(GetLastError())) {
                DeleteAtRestart(child, ownFolder);
            }
        } while (FindNextFileW(search.Get(), &entry));
    }
    search.Reset();
    if (!RemoveDirectoryW(path)) {
        DeleteAtRestart(path, ownFolder);
    }
}

}  // namespace

void DeleteFolderTree(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (IsLink(attributes)) {
        RemoveLink(path, attributes);
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && PathIsDirectoryEmptyW(path)) {
        return;
    }
    RemoveTree(path, path);
}
