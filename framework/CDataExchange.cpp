#include "CDataExchange.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_bFailed(FALSE) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hControl = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
    if (!hControl) Fail();
    return hControl;
}

void CDataExchange::Fail() { m_bFailed = TRUE; }
