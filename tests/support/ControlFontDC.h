#pragma once

#include <windows.h>

// A device context of a control with the control's own font selected, as the control draws its text.
// The previous font goes back and the context is released however the scope is left.
class ControlFontDC {
public:
    explicit ControlFontDC(HWND control);
    ~ControlFontDC();
    ControlFontDC(const ControlFontDC&) = delete;
    ControlFontDC& operator=(const ControlFontDC&) = delete;

    HDC Get() const noexcept { return m_dc; }

private:
    HWND m_control;
    HDC m_dc;
    HGDIOBJ m_previousFont = nullptr;
};
