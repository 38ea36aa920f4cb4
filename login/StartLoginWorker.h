#pragma once
// Login mode: connect, start and supervise the trading client with these
// credentials, report to the dialog. True when the worker runs.
#include <CString.h>
#include <CWnd.h>

bool StartLoginWorker(CString userName, CString password, CWnd* dialog);
