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
    // A picture resource of this module, decoded when the control is first painted or asked for its
    // image: a page that is never shown never decodes its picture.
    void LoadImage(UINT resourceId, const wchar_t* resourceType);
    const std::shared_ptr<Gdiplus::Image>& GetImage() const;

private:
    void OnPaint();

    mutable std::shared_ptr<Gdiplus::Image> m_image;
    mutable UINT m_resourceId = 0;
    const wchar_t* m_resourceType = nullptr;
};
