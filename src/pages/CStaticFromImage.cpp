#include "pages/CStaticFromImage.h"

#include "framework/AfxGlobals.h"
#include "framework/GdiPlus.h"
#include "framework/GdiPlusSession.h"
#include "framework/ImageLoading.h"
#include "framework/PaintContext.h"

CStaticFromImage::CStaticFromImage()
{
    m_messageMap.OnMessage(WM_PAINT, [this](WPARAM, LPARAM) { OnPaint(); return 0; });
    m_messageMap.OnMessage(WM_ERASEBKGND, [](WPARAM, LPARAM) { return 1; });
}

void CStaticFromImage::SetImage(std::shared_ptr<Gdiplus::Image> image)
{
    m_image = std::move(image);
    m_resourceId = 0;
    if (m_hWnd) {
        Invalidate(TRUE);
    }
}

void CStaticFromImage::LoadImage(UINT resourceId, const wchar_t* resourceType)
{
    m_image.reset();
    m_resourceId = resourceId;
    m_resourceType = resourceType;
    if (m_hWnd) {
        Invalidate(TRUE);
    }
}

const std::shared_ptr<Gdiplus::Image>& CStaticFromImage::GetImage() const
{
    if (m_resourceId != 0) {
        m_image = LoadImageResource(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_resourceId), m_resourceType);
        m_resourceId = 0;
    }
    return m_image;
}

void CStaticFromImage::OnPaint()
{
    const PaintContext paint(m_hWnd);
    const HDC dc = paint.Get();
    RECT client;
    GetClientRect(&client);
    // The parent's static colour is the background a transparent or missing image lets through.
    HWND parent = ::GetParent(m_hWnd);
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    if (GetImage() && GdiPlusSession::IsRunning()) {
        Gdiplus::Graphics graphics(dc);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.DrawImage(m_image.get(), 0, 0, client.right - client.left, client.bottom - client.top);
    }
}
