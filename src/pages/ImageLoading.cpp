#include "pages/ImageLoading.h"

#include "framework/ComPtr.h"
#include "framework/GdiPlus.h"
#include "framework/GdiPlusSession.h"
#include "framework/UniqueHandle.h"

#include <cstring>

namespace {

std::shared_ptr<Gdiplus::Bitmap> BitmapFromStream(IStream* stream)
{
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(stream);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) {
        return {};
    }
    return bitmap;
}

}  // namespace

std::shared_ptr<Gdiplus::Bitmap> LoadImageFromBytes(const void* bytes, std::size_t size)
{
    if (!bytes || size == 0 || !GdiPlusSession::IsRunning()) {
        return {};
    }
    UniqueGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    void* target = memory ? GlobalLock(memory.Get()) : nullptr;
    if (!target) {
        return {};
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory.Get());

    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Receive()))) {
        return {};
    }
    // The stream frees the memory when it is released.
    (void)memory.Release();
    return BitmapFromStream(stream.Get());
}

std::shared_ptr<Gdiplus::Bitmap> LoadImageResource(HINSTANCE instance, const wchar_t* name, const wchar_t* type)
{
    HRSRC resource = FindResourceW(instance, name, type);
    const DWORD size = resource ? SizeofResource(instance, resource) : 0;
    if (size == 0) {
        return {};
    }
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return LoadImageFromBytes(data, size);
}
