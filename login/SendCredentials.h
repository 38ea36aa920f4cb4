#pragma once
// Hands the user's name and password to a diagnostic worker, which then goes on
// to start the trading client. False only when the record for them could not be
// allocated; a record the worker's queue does not take is released here.
#include <CString.h>
#include <CWinThread.h>

bool SendCredentials(CWinThread* worker, CString userName, CString password);
