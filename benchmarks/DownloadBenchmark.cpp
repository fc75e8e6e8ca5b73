// Downloads one URL with the setup's DownloadManager, the way the download page does (a std::async task
// posting progress to a window whose messages this thread pumps), and prints the time taken and the
// process's peak memory:   download_benchmark [--wininet] URL FOLDER   (--wininet: that transport alone)
// With --bare it only reads the body over the same WinHTTP transfer and drops it, which shows what
// Wine's WinHTTP itself allows:   download_benchmark --bare URL
#include "profile/ConfigurationManager.h"
#include "transfer/DownloadManager.h"
#include "framework/PrivateMessages.h"
#include "transfer/WinHttpTransfer.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

namespace {

int g_progressMessages = 0;

LRESULT CALLBACK CountProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DOWNLOAD_PROGRESS || message == WM_DOWNLOAD_SIZE_UNKNOWN) {
        ++g_progressMessages;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateProgressWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CountProgress;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"DownloadBenchmarkWindow";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

double MiB(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

int ReadOnly(const wchar_t* url)
{
    const auto start = std::chrono::steady_clock::now();
    WinHttpTransfer transfer(url, WinHttpTransfer::Client::FileDownload, DownloadManager::kFileLimits);
    std::vector<char> buffer(64 * 1024);
    unsigned long long total = 0;
    while (const std::uint32_t read = transfer.Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()))) {
        total += read;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("bytes=%llu seconds=%.3f\n", total, seconds);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wstring(argv[1]) == L"--bare") {
        try {
            return ReadOnly(argv[2]);
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "read failed: %s\n", failure.what());
            return 1;
        }
    }
    const bool winInet = argc == 4 && std::wstring(argv[1]) == L"--wininet";
    if (winInet) {
        ++argv;
        --argc;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: download_benchmark [--wininet] URL FOLDER | --bare URL\n");
        return 2;
    }
    ConfigurationManager::Instance()->m_tempFolder = argv[2];
    auto manager = DownloadManager::Instance();
    HWND window = CreateProgressWindow();
    const PROCESS_MEMORY_COUNTERS before = Memory();

    const auto start = std::chrono::steady_clock::now();
    const DownloadManager::Order order{CString(argv[1]), CString(L"setup-download.bin"), true, std::nullopt};
    auto task = std::async(std::launch::async, [&manager, &order, window, winInet] {
        return winInet ? manager->DownloadFileWinInet(order, window) : manager->DownloadFile(order, window);
    });
    while (task.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const DownloadManager::Outcome outcome = task.get();
    const PROCESS_MEMORY_COUNTERS after = Memory();
    if (!outcome.result.first) {
        std::fprintf(stderr, "download failed: %ls\n", static_cast<const wchar_t*>(outcome.result.second));
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExW(outcome.file->Path(), GetFileExInfoStandard, &attributes);
    const unsigned long long size =
        (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    // One line of key=value pairs for the script.
    std::printf("bytes=%llu seconds=%.3f messages=%d peak_working_set_before_mib=%.1f peak_working_set_mib=%.1f "
                "peak_pagefile_mib=%.1f\n",
                size, seconds, g_progressMessages, MiB(before.PeakWorkingSetSize), MiB(after.PeakWorkingSetSize),
                MiB(after.PeakPagefileUsage));
    DestroyWindow(window);
    return 0;
}
