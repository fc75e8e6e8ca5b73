#pragma once

#include "framework/UniqueHandle.h"

#include <winhttp.h>

// WinHTTP session, connection and request handles. Kept apart from the WinINet ones: the two
// headers cannot be included in one translation unit.
using WinHttpHandleTraits = ZeroHandleTraits<HINTERNET, &WinHttpCloseHandle>;

using UniqueWinHttpHandle = UniqueHandle<WinHttpHandleTraits>;
