#pragma once
// Overwrites a text's characters before letting it go, for passwords.
#include <CString.h>

void WipeText(CString& text);
