#include "WaitForWorkerEnd.h"

void WaitForWorkerEnd(CWinThread* worker) {
    if (worker && worker->m_hThread) WaitForSingleObject(worker->m_hThread, INFINITE);
}
