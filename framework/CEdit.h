#pragma once
// An edit control of a dialog template.
#include "CWnd.h"

class CEdit : public CWnd {
public:
    CEdit() = default;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(const char* lpszNewText, BOOL bCanUndo = FALSE);
    void LimitText(int nChars = 0);
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
};
