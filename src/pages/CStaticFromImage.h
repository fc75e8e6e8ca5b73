#pragma once

#include "framework/CStatic.h"

#include <memory>

namespace Gdiplus {
class Image;
}

// A static control that paints a GDI+ image stretched to its client area.
class CStaticFromImage : public CStatic {
public:
    CStaticFromImage();

    void SetImage(std::shared_ptr<Gdiplus::Image> image);
    void LoadImage(UINT resourceId, const wchar_t* resourceType);
    const std::shared_ptr<Gdiplus::Image>& GetImage() const { return m_image; }

private:
    void OnPaint();

    std::shared_ptr<Gdiplus::Image> m_image;
};
