#include "transfer/DownloadProgress.h"

#include "framework/PrivateMessages.h"

DownloadProgress::DownloadProgress(HWND window, std::optional<std::uint64_t> contentLength)
    : m_window(window), m_contentLength(contentLength)
{
    if (!m_contentLength) {
        Post(WM_DOWNLOAD_SIZE_UNKNOWN, 0);
    }
}

void DownloadProgress::Advance(std::uint64_t bytes)
{
    if (!m_contentLength || *m_contentLength == 0) {
        return;
    }
    m_fraction += static_cast<double>(bytes) / static_cast<double>(*m_contentLength);
    // The 1 % step keeps a download at about a hundred messages however small its chunks are.
    if (m_fraction - m_lastReported > 0.01) {
        Post(WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(m_fraction * 100));
        m_lastReported = m_fraction;
    }
}

void DownloadProgress::Complete()
{
    if (m_contentLength && *m_contentLength != 0) {
        Post(WM_DOWNLOAD_PROGRESS, 100);
    }
}

void DownloadProgress::Post(UINT message, WPARAM wParam) const
{
    if (m_window != nullptr) {
        PostMessageW(m_window, message, wParam, 0);
    }
}
