#include "ReleaseWorker.h"

// The record is the holder's own copy and closes its handle when deleted; the
// worker's framework record looks after itself.
void ReleaseWorker(CWinThread* worker) { delete worker; }
