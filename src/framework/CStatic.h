#pragma once

#include "framework/CWnd.h"

// A static control; its behaviour is the control's own.
class CStatic : public CWnd {};
