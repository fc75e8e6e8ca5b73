#include "transfer/InstallerPreparation.h"

#include "framework/ComPtr.h"
#include "framework/PrivateFolder.h"
#include "framework/ScopedComInitializer.h"
#include "framework/SetupLog.h"
#include "framework/UniqueHandle.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>

namespace {

using UniqueBstr = UniqueHandle<ZeroHandleTraits<BSTR, &SysFreeString>>;

constexpr std::array<unsigned char, 4> ZipSignature{0x50, 0x4B, 0x03, 0x04};
constexpr std::array<unsigned char, 6> SevenZipSignature{0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};

// Silent, no confirmation of replacements or new folders, no error boxes: nobody is there to answer.
constexpr long SilentCopy = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;

template <std::size_t N>
bool StartsWith(const unsigned char* bytes, DWORD count, const std::array<unsigned char, N>& signature)
{
    return count >= N && std::equal(signature.begin(), signature.end(), bytes);
}

// The shell's folder object for a path; the VARIANT only borrows the string.
ComPtr<Folder> ShellFolder(IShellDispatch& shell, BSTR path)
{
    VARIANT location;
    VariantInit(&location);
    location.vt = VT_BSTR;
    location.bstrVal = path;
    ComPtr<Folder> folder;
    if (FAILED(shell.NameSpace(location, folder.Receive()))) {
        folder.Reset();
    }
    return folder;
}

}  // namespace

int DetectArchiveType(const CString& path)
{
    const UniqueFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ARCHIVE_NONE;
    }
    unsigned char bytes[SevenZipSignature.size()] = {};
    DWORD count = 0;
    // A short read is not the end of the file: keep reading until the signature's length or the end.
    while (count < sizeof(bytes)) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes + count, sizeof(bytes) - count, &read, nullptr) || read == 0) {
            break;
        }
        count += read;
    }
    if (StartsWith(bytes, count, ZipSignature)) {
        return ARCHIVE_ZIP;
    }
    if (StartsWith(bytes, count, SevenZipSignature)) {
        return ARCHIVE_7Z;
    }
    return ARCHIVE_NONE;
}

CString MakeExtractionFolder(const CString& archivePath, const CString& base)
{
    CString name = archivePath.Mid(archivePath.ReverseFind(L'\\') + 1);
    // Only the file name's own extension goes; dots in the folders above do not count.
    if (const int dot = name.ReverseFind(L'.'); dot >= 0) {
        name = name.Left(dot);
    }
    return PrivateFolder::Create(base, name + L"-");
}

bool UnzipWithShell(const CString& archive, const CString& folder)
{
    // Declared first so that every interface below is released before COM is uninitialised.
    const ScopedComInitializer com;
    const UniqueBstr archiveText(SysAllocString(archive));
    const UniqueBstr folderText(SysAllocString(folder));
    if (!archiveText || !folderText) {
        return false;
    }

    ComPtr<IShellDispatch> shell;
    if (FAILED(CoCreateInstance(CLSID_Shell, nullptr, CLSCTX_INPROC_SERVER, IID_IShellDispatch,
                                reinterpret_cast<void**>(shell.Receive()))) ||
        !shell) {
        return false;
    }
    const ComPtr<Folder> source = ShellFolder(*shell.Get(), archiveText.Get());
    const ComPtr<Folder> destination = ShellFolder(*shell.Get(), folderText.Get());
    if (!source || !destination) {
        return false;
    }
    ComPtr<FolderItems> items;
    if (FAILED(source->Items(items.Receive())) || !items) {
        return false;
    }
    long count = 0;
    if (FAILED(items->get_Count(&count)) || count < 1) {
        return false;
    }
    ComPtr<IDispatch> itemsDispatch;
    if (FAILED(items->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(itemsDispatch.Receive()))) ||
        !itemsDispatch) {
        return false;
    }

    VARIANT what;
    VariantInit(&what);
    what.vt = VT_DISPATCH;
    what.pdispVal = itemsDispatch.Get();
    VARIANT options;
    VariantInit(&options);
    options.vt = VT_I4;
    options.lVal = SilentCopy;
    return destination->CopyHere(what, options) == S_OK;
}

CString FindFirstExe(const CString& folder)
{
    wchar_t pattern[MAX_PATH];
    lstrcpynW(pattern, folder + L"\\*.exe", MAX_PATH);

    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(FindFirstFileW(pattern, &found));
    if (!search) {
        return CString();
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return CString(found.cFileName);
        }
    } while (FindNextFileW(search.Get(), &found));
    return CString();
}

CString PrepareInstaller(const CString& path, int kind, const CString& base)
{
    if (kind != ARCHIVE_ZIP) {
        return path;
    }
    const CString folder = MakeExtractionFolder(path, base);
    if (folder.IsEmpty()) {
        LogEntry() << "No folder could be made in " << base << " to unpack " << path << "; running the archive itself";
        return path;
    }
    if (!UnzipWithShell(path, folder)) {
        LogEntry() << "Could not unpack " << path << " to " << folder << "; running the archive itself";
        return path;
    }
    const CString program = FindFirstExe(folder);
    if (program.IsEmpty()) {
        LogEntry() << "Unpacked " << path << " to " << folder << ", which holds no program; running the archive itself";
        return path;
    }
    wchar_t joined[MAX_PATH];
    lstrcpynW(joined, folder, MAX_PATH);
    if (!PathAppendW(joined, program)) {
        LogEntry() << "Unpacked " << path << " to " << folder << ", but the path of " << program
                   << " is too long; running the archive itself";
        return path;
    }
    LogEntry() << "Unpacked " << path << " to " << folder << "; running " << joined;
    return CString(joined);
}
