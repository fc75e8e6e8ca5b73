#include "transfer/DownloadTarget.h"

#include <windows.h>
#include <shlwapi.h>

#include <array>
#include <vector>

namespace DownloadTarget {

namespace {

bool IsReservedDeviceName(const CString& name)
{
    // Windows opens the device for these names whatever the extension or the folder. The documented
    // list: CON, PRN, AUX, NUL, and COM and LPT followed by a digit 0 to 9 or a superscript 1, 2 or 3.
    const int dot = name.Find(L'.');
    CString stem = dot >= 0 ? name.Left(dot) : name;
    stem.Trim();
    stem.MakeUpper();
    static const std::array<const wchar_t*, 4> kPlain{L"CON", L"PRN", L"AUX", L"NUL"};
    for (const wchar_t* device : kPlain) {
        if (stem == device) {
            return true;
        }
    }
    if (stem.GetLength() == 4 && (stem.Left(3) == L"COM" || stem.Left(3) == L"LPT")) {
        const wchar_t digit = stem.GetAt(3);
        return (digit >= L'0' && digit <= L'9') || digit == L'\x00B9' || digit == L'\x00B2' || digit == L'\x00B3';
    }
    return false;
}

}  // namespace

CString FileNameOfUrl(const CString& url)
{
    CString path = url;
    // The fragment goes first: a "?" inside it is not a query.
    if (const int fragment = path.Find(L'#'); fragment >= 0) {
        path = path.Left(fragment);
    }
    if (const int query = path.Find(L'?'); query >= 0) {
        path = path.Left(query);
    }
    const int slash = path.ReverseFind(L'/');
    return slash >= 0 ? path.Mid(slash + 1) : CString();
}

bool IsSafeFileName(const CString& name)
{
    // A trailing dot or blank is dropped by Windows, so the file would not carry the name asked for;
    // this also refuses "." and "..".
    if (name.IsEmpty() || name.Right(1) == L"." || name.Right(1) == L" ") {
        return false;
    }
    for (const wchar_t ch : name.Str()) {
        if (ch < 32 || wcschr(L"<>:\"/\\|?*", ch) != nullptr) {
            return false;
        }
    }
    return !IsReservedDeviceName(name);
}

Resolution Resolve(const CString& folder, const CString& url, const CString& fileName)
{
    Resolution resolution;
    if (folder.IsEmpty() || !PathIsDirectoryW(folder)) {
        resolution.error = L"Invalid path";
        resolution.folderMissing = true;
        return resolution;
    }
    const CString name = fileName.IsEmpty() ? FileNameOfUrl(url) : fileName;
    if (!IsSafeFileName(name)) {
        resolution.error = L"Invalid file name: " + name;
        return resolution;
    }
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    if (folder.GetLength() >= MAX_PATH) {
        resolution.error = L"Invalid path";
        return resolution;
    }
    wcscpy_s(buffer.data(), buffer.size(), folder);
    if (!PathAppendW(buffer.data(), name)) {
        resolution.error = L"Invalid path";
        return resolution;
    }
    resolution.path = buffer.data();
    return resolution;
}

CString Numbered(const CString& path, int number)
{
    const int separator = path.ReverseFind(L'\\');
    const int dot = path.ReverseFind(L'.');
    const int at = dot > separator ? dot : path.GetLength();
    CString suffix;
    suffix.Format(L" (%d)", number);
    return path.Left(at) + suffix + path.Mid(at);
}

}  // namespace DownloadTarget
