#pragma once

// GDI+ needs the COM property types, which a lean <windows.h> leaves out.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
