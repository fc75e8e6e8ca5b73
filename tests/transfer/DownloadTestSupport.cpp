#include "DownloadTestSupport.h"

#include "WineEnvironment.h"
#include "app/WindowMessages.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"

#include "framework/UniqueHandle.h"

#include <algorithm>
#include <stdexcept>

ScopedDownloadFolder::ScopedDownloadFolder() : m_path(MachineFacts::CreateUniqueTempFolder())
{
    if (m_path.IsEmpty() || GetFileAttributesW(m_path) == INVALID_FILE_ATTRIBUTES) {
        throw std::runtime_error("cannot create a download folder");
    }
    auto configuration = ConfigurationManager::Instance();
    m_previousDownloadFolder = configuration->m_downloadFolder;
    m_previousTempFolder = configuration->m_tempFolder;
    configuration->m_downloadFolder = m_path;
    configuration->m_tempFolder = m_path;
}

ScopedDownloadFolder::~ScopedDownloadFolder()
{
    auto configuration = ConfigurationManager::Instance();
    configuration->m_downloadFolder = m_previousDownloadFolder;
    configuration->m_tempFolder = m_previousTempFolder;
    for (const CString& name : FileNames()) {
        DeleteFileW(FileAt(name));
    }
    RemoveDirectoryW(m_path);
}

CString ScopedDownloadFolder::FileAt(const wchar_t* name) const
{
    return m_path + L"\\" + name;
}

std::vector<CString> ScopedDownloadFolder::FileNames() const
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(FindFirstFileW(m_path + L"\\*", &found));
    if (!search) {
        return names;
    }
    do {
        const CString name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(search.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

ProgressWindow::ProgressWindow()
{
    static const wchar_t* kClass = L"TesseraTestProgressWindow";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ProgressWindow::WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    if (m_window == nullptr) {
        throw std::runtime_error("cannot create the progress window");
    }
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ProgressWindow::~ProgressWindow()
{
    DestroyWindow(m_window);
}

LRESULT CALLBACK ProgressWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_DOWNLOAD_PROGRESS) {
        self->m_percentages.push_back(static_cast<unsigned>(wParam));
        return 0;
    }
    if (self != nullptr && message == WM_DOWNLOAD_SIZE_UNKNOWN) {
        ++self->m_sizeUnknown;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<char> ReadFileBytes(const CString& path)
{
    const UniqueFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size)) {
        throw std::runtime_error("cannot read a file");
    }
    std::vector<char> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        throw std::runtime_error("cannot read a file");
    }
    return bytes;
}

bool FileExists(const CString& path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

CString RepositoryFile(const char* relativePath)
{
    return CString(WineEnvironment::WindowsPathOfHostPath(std::string(TESSERA_SOURCE_DIR) + "/" + relativePath));
}
