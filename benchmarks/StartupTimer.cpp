// Measures how long programs take from process creation to a visible top-level window, under the
// same conditions, alternating between them: startup_timer RUNS EXE...
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds until the first visible window, or -1 when none came within 60 s.
double TimeToWindow(const std::wstring& executable)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + executable + L"\"";
    const auto begin = std::chrono::steady_clock::now();
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    double elapsed = -1;
    while (std::chrono::steady_clock::now() - begin < std::chrono::seconds(60)) {
        Search search{process.dwProcessId, false};
        EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
            break;
        }
        Sleep(1);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_timer RUNS EXE...\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    std::vector<std::vector<double>> samples(static_cast<std::size_t>(argc - 2));
    for (int run = 0; run < runs; ++run) {
        for (int i = 2; i < argc; ++i) {
            samples[static_cast<std::size_t>(i - 2)].push_back(TimeToWindow(argv[i]));
        }
    }
    for (int i = 2; i < argc; ++i) {
        const auto& values = samples[static_cast<std::size_t>(i - 2)];
        std::printf("%ls: median %.0f ms, best %.0f ms over %d runs\n", argv[i], Median(values),
                    *std::min_element(values.begin(), values.end()), runs);
    }
    return 0;
}
