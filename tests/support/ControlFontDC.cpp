#include "ControlFontDC.h"

ControlFontDC::ControlFontDC(HWND control) : m_control(control), m_dc(GetDC(control))
{
    // Without a font of its own a control draws in the system font, which a fresh context already holds.
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (m_dc && font) {
        m_previousFont = SelectObject(m_dc, font);
    }
}

ControlFontDC::~ControlFontDC()
{
    if (m_previousFont) {
        SelectObject(m_dc, m_previousFont);
    }
    if (m_dc) {
        ReleaseDC(m_control, m_dc);
    }
}
