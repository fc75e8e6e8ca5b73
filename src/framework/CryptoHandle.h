#pragma once

#include "framework/UniqueHandle.h"

#include <wincrypt.h>

// CryptoAPI provider contexts and hash objects. Both are ULONG_PTR values for which 0 means none.
struct CryptProviderTraits {
    using Type = HCRYPTPROV;
    static Type Invalid() noexcept { return 0; }
    static bool IsValid(Type h) noexcept { return h != 0; }
    static void Close(Type h) noexcept { CryptReleaseContext(h, 0); }
};

using CryptHashTraits = ZeroHandleTraits<HCRYPTHASH, &CryptDestroyHash>;

using UniqueCryptProvider = UniqueHandle<CryptProviderTraits>;
using UniqueCryptHash = UniqueHandle<CryptHashTraits>;
