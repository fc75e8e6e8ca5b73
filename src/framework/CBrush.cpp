#include "framework/CBrush.h"

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    m_brush.Reset(::CreateSolidBrush(color));
    return m_brush.IsValid();
}

BOOL CBrush::DeleteObject()
{
    const BOOL had = m_brush.IsValid();
    m_brush.Reset();
    return had;
}
