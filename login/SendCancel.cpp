#include "SendCancel.h"

#include "LoginMessages.h"

bool SendCancel(CWinThread* worker) {
    if (!worker) return false;
    return PostThreadMessageA(worker->m_nThreadID, WM_LOGIN_CANCEL, 0, 0) != FALSE;
}
