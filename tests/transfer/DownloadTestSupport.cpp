#include "DownloadTestSupport.h"

#include "WineEnvironment.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "framework/PrivateMessages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

ScopedDownloadFolder::ScopedDownloadFolder() : m_path(MachineFacts::CreateUniqueTempFolder())
{
    if (m_path.IsEmpty() || !std::filesystem::is_directory(m_path.Str())) {
        throw std::runtime_error("cannot create a download folder");
    }
    auto configuration = ConfigurationManager::Instance();
    m_previousDownloadFolder = std::exchange(configuration->m_downloadFolder, m_path);
    m_previousTempFolder = std::exchange(configuration->m_tempFolder, m_path);
}

ScopedDownloadFolder::~ScopedDownloadFolder()
{
    auto configuration = ConfigurationManager::Instance();
    configuration->m_downloadFolder = m_previousDownloadFolder;
    configuration->m_tempFolder = m_previousTempFolder;
    std::error_code ignored;
    std::filesystem::remove_all(m_path.Str(), ignored);
}

std::vector<CString> FilesBelow(const CString& folder)
{
    std::vector<CString> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Str())) {
        const CString name(entry.path().filename().wstring());
        if (entry.is_directory()) {
            for (const auto& inner : std::filesystem::directory_iterator(entry.path())) {
                names.push_back(name + L"\\" + CString(inner.path().filename().wstring()));
            }
        } else {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

ProgressWindow::ProgressWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ProgressWindow::WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TesseraTestProgressWindow";
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    if (m_window == nullptr) {
        throw std::runtime_error("cannot create the progress window");
    }
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
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

std::future<DownloadManager::Outcome> StartDownload(DownloadManager& manager, const DownloadManager::Order& order,
                                                    HWND window, const Cancellation& run)
{
    return std::async(std::launch::async,
                      [&manager, order, window, &run] { return manager.DownloadFile(order, window, run); });
}

DownloadManager::Outcome Download(DownloadManager& manager, const DownloadManager::Order& order, HWND window)
{
    auto task = StartDownload(manager, order, window);
    return WaitPumping(task);
}

DownloadManager::Result Download(DownloadManager& manager, const CString& url, HWND window, const CString& name)
{
    return Download(manager, DownloadManager::Order{url, name, true, std::nullopt}, window).result;
}

CString UrlOf(const StandInService& service, const char* path)
{
    return CString(service.BaseUrl()) + AnsiToCString(path);
}

std::vector<char> ReadFileBytes(const CString& path)
{
    std::ifstream file(std::filesystem::path(path.Str()), std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + ToUtf8(path));
    }
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

CString RepositoryFile(const char* relativePath)
{
    return CString(WineEnvironment::WindowsPathOfHostPath(std::string(TESSERA_SOURCE_DIR) + "/" + relativePath));
}
