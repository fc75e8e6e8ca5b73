#pragma once

#include <windows.h>

class CRect : public RECT {
public:
    CRect() noexcept : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) noexcept : RECT{l, t, r, b} {}
    CRect(const RECT& rect) noexcept : RECT(rect) {}

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    bool IsRectEmpty() const noexcept { return Width() <= 0 || Height() <= 0; }
    operator LPRECT() noexcept { return this; }
    operator const RECT*() const noexcept { return this; }
};
