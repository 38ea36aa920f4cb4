#pragma once
#include "CDataExchange.h"

// Saving: value = the control's text. Loading: the control's text = value,
// written only when it differs, so an unchanged control sends no change
// notification.
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
