#include "DDX_Text.h"

#include <cstring>

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hControl = pDX->PrepareCtrl(nIDC);
    if (!hControl) return;
    if (pDX->m_bSaveAndValidate) {
        int length = GetWindowTextLengthA(hControl);
        char* buffer = value.GetBufferSetLength(length);
        int copied = GetWindowTextA(hControl, buffer, length + 1);
        value.ReleaseBuffer(copied > 0 ? copied : 0);
        return;
    }
    // Rewriting an unchanged control would send a change notification and
    // move its caret for nothing.
    CString current;
    int length = GetWindowTextLengthA(hControl);
    int copied = GetWindowTextA(hControl, current.GetBufferSetLength(length), length + 1);
    current.ReleaseBuffer(copied > 0 ? copied : 0);
    if (current != value) SetWindowTextA(hControl, value);
}
