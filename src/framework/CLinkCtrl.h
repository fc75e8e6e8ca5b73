#pragma once

#include "framework/CWnd.h"

// A SysLink control: its text carries <a href="..."> links; clicks reach the parent as NM_CLICK.
class CLinkCtrl : public CWnd {};
