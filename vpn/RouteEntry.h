#pragma once
// One split-tunnel route: a destination network and its mask, as dotted quads.
#include "CString.h"

struct RouteEntry {
    CString network;
    CString mask;
};
