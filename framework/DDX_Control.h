#pragma once
#include "CDataExchange.h"

// Binds rControl to the dialog's control nIDC the first time it runs; later
// exchanges leave the binding alone.
void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
