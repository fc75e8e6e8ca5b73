#include "WindowPhotograph.h"

#include "framework/GdiPlus.h"

#include <memory>

namespace {

// The PNG encoder GDI+ registers under this class id.
const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { DeleteDC(dc); }
};

struct Bitmap {
    HBITMAP handle;
    Bitmap(HDC like, int width, int height) : handle(CreateCompatibleBitmap(like, width, height)) {}
    ~Bitmap() { DeleteObject(handle); }
};

}  // namespace

bool SaveWindowAsPng(HWND window, const std::wstring& path)
{
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    ScreenDc screen;
    MemoryDc memory(screen.dc);
    Bitmap bitmap(screen.dc, width, height);
    HGDIOBJ previous = SelectObject(memory.dc, bitmap.handle);
    const bool copied = BitBlt(memory.dc, 0, 0, width, height, screen.dc, rect.left, rect.top, SRCCOPY) != FALSE;
    SelectObject(memory.dc, previous);
    if (!copied) {
        return false;
    }
    auto image = std::make_unique<Gdiplus::Bitmap>(bitmap.handle, nullptr);
    return image->Save(path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}
