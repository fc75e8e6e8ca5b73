#pragma once

#include "framework/CString.h"

// The switches the heritage installer is started with: silent, forced, and one digit per position of
// its feature mask, taken from the options and configurations chosen on the heritage pages of the
// process-wide configuration.
CString BuildHeritageFlagString();
