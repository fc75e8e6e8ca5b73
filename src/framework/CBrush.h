#pragma once

#include "framework/UniqueHandle.h"

class CBrush {
public:
    BOOL CreateSolidBrush(COLORREF color);
    BOOL DeleteObject();
    HBRUSH GetSafeHandle() const noexcept { return m_brush.Get(); }
    operator HBRUSH() const noexcept { return m_brush.Get(); }

private:
    UniqueBrush m_brush;
};
