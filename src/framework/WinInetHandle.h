#pragma once

#include "framework/UniqueHandle.h"

#include <wininet.h>

// WinINet internet and URL handles (see WinHttpHandle.h for why they live apart).
using WinInetHandleTraits = ZeroHandleTraits<HINTERNET, &InternetCloseHandle>;

using UniqueWinInetHandle = UniqueHandle<WinInetHandleTraits>;
