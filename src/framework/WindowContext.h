#pragma once

#include <windows.h>

// GetDC/ReleaseDC: the window's client area, outside a paint.
class WindowContext {
public:
    explicit WindowContext(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowContext()
    {
        if (m_dc) {
            ::ReleaseDC(m_window, m_dc);
        }
    }
    WindowContext(const WindowContext&) = delete;
    WindowContext& operator=(const WindowContext&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};
