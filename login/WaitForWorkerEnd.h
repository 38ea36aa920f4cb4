#pragma once
// Returns once the worker's thread has ended; without limit, since a cancelled
// worker ends as soon as it has hung up. Null is ignored.
#include <CWinThread.h>

void WaitForWorkerEnd(CWinThread* worker);
