#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// Reports one download's progress to a window by posted messages: the size-unknown message when the
// server gives no length, otherwise a percentage each time the download advanced by more than 1 %,
// and 100 once the download is complete. A null window gets nothing.
class DownloadProgress {
public:
    DownloadProgress(HWND window, std::optional<std::uint64_t> contentLength);

    void Advance(std::uint64_t bytes);
    void Complete();

private:
    void Post(UINT message, WPARAM wParam) const;

    HWND m_window;
    std::optional<std::uint64_t> m_contentLength;
    double m_fraction = 0;
    double m_lastReported = 0;
};
