#include "app/FolderCleanup.h"

#include "framework/UniqueHandle.h"

#include <shlwapi.h>

namespace {

void DeleteAtRestart(const CString& path)
{
    MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool IsInUseOrDenied(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

}  // namespace

void DeleteFolderTree(const CString& path)
{
    if (!PathFileExistsW(path) || (PathIsDirectoryW(path) && PathIsDirectoryEmptyW(path))) {
        return;
    }
    WIN32_FIND_DATAW entry{};
    UniqueFindHandle search(FindFirstFileW(path + L"\\*.*", &entry));
    if (search) {
        do {
            const CString name(entry.cFileName);
            if (name == L"." || name == L"..") {
                continue;
            }
            const CString child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A folder with content removes itself (or schedules itself) in the call below.
                if (!PathIsDirectoryEmptyW(child)) {
                    DeleteFolderTree(child);
                } else if (!RemoveDirectoryW(child) && !IsInUseOrDenied(GetLastError())) {
                    DeleteAtRestart(child);
                }
            } else if (!DeleteFileW(child) && IsInUseOrDenied(GetLastError())) {
                DeleteAtRestart(child);
            }
        } while (FindNextFileW(search.Get(), &entry));
    }
    search.Reset();
    if (!RemoveDirectoryW(path)) {
        DeleteAtRestart(path);
    }
}
