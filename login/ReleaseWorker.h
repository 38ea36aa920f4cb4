#pragma once
// Lets go of a record returned by StartDiagnosticWorker, whether or not the worker
// still runs; it neither stops nor waits for it. Null is ignored.
#include <CWinThread.h>

void ReleaseWorker(CWinThread* worker);
