#include "WindowTestHelpers.h"

COLORREF BrushColor(HBRUSH brush)
{
    LOGBRUSH description{};
    if (!brush || GetObjectW(brush, sizeof(description), &description) != sizeof(description) ||
        description.lbStyle != BS_SOLID) {
        return CLR_INVALID;
    }
    return description.lbColor;
}
