#pragma once

#include "framework/MessagePump.h"

#include <windows.h>

// The colour of a solid brush, or CLR_INVALID for anything else.
COLORREF BrushColor(HBRUSH brush);
