#pragma once
#include <cstddef>

// GDI objects in use by this process, from Wine's shared GDI handle table
// (GetGuiResources reports nothing under Wine); -1 when the table is not
// where Wine keeps it.
long GdiObjectCount();
