#include "DDX_Control.h"

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    HWND hControl = pDX->PrepareCtrl(nIDC);
    if (hControl && !rControl.SubclassWindow(hControl)) pDX->Fail();
}
