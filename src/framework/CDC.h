#pragma once

#include <windows.h>

// A device context handed to a handler; it owns nothing.
class CDC {
public:
    explicit CDC(HDC dc) noexcept : m_hDC(dc) {}

    HDC GetSafeHdc() const noexcept { return m_hDC; }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }

    HDC m_hDC;
};
