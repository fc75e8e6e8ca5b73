#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace Gdiplus {
class Bitmap;
}

// A bitmap decoded from a resource of this module (PNG in "IMAGE_BLOB"-style resources); empty on any failure.
std::shared_ptr<Gdiplus::Bitmap> LoadImageResource(HINSTANCE instance, const wchar_t* name, const wchar_t* type);

// A bitmap decoded from bytes in memory (a downloaded image); empty when they are not an image.
std::shared_ptr<Gdiplus::Bitmap> LoadImageFromBytes(const void* bytes, std::size_t size);
