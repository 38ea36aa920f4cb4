#pragma once
// What both starters share once their request is filled: start LoginWorker on
// it, wait until the worker's queue exists, attach the worker's input to the
// calling thread.
#include "LoginRequest.h"

#include <CWinThread.h>

// Takes the request and the ready event; on failure both are released. Returns a
// thread record of the caller's own for the worker (see LoginWorkerControl.h), or
// null when no worker runs.
CWinThread* LaunchLoginWorker(LoginRequest* request, HANDLE readyEvent);
