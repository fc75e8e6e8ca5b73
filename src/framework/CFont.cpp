#include "framework/CFont.h"

BOOL CFont::CreateFontIndirect(const LOGFONTW* font)
{
    m_font.Reset(font ? ::CreateFontIndirectW(font) : nullptr);
    return m_font.IsValid();
}
