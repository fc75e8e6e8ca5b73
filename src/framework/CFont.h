#pragma once

#include "framework/UniqueHandle.h"

class CFont {
public:
    BOOL CreateFontIndirect(const LOGFONTW* font);
    HFONT GetSafeHandle() const noexcept { return m_font.Get(); }
    operator HFONT() const noexcept { return m_font.Get(); }

private:
    UniqueFont m_font;
};
