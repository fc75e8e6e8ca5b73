#include "framework/ImageLoading.h"

#include "framework/ComPtr.h"
#include "framework/GdiPlus.h"
#include "framework/GdiPlusSession.h"

#include <shlwapi.h>

std::shared_ptr<Gdiplus::Bitmap> LoadImageFromBytes(const void* bytes, std::size_t size)
{
    if (!bytes || size == 0 || size > MAXUINT || !GdiPlusSession::EnsureRunning()) {
        return {};
    }
    // The shell's memory stream keeps its own copy of the bytes.
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size)));
    if (!stream) {
        return {};
    }
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(stream.Get());
    if (bitmap->GetLastStatus() != Gdiplus::Ok) {
        return {};
    }
    return bitmap;
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
