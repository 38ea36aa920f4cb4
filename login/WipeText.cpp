#include "WipeText.h"

void WipeText(CString& text) {
    if (!text.IsEmpty()) SecureZeroMemory(text.GetBuffer(), text.GetLength());
    text.Empty();
}
