#pragma once
// Diagnostic mode: connect, report the tunnel addresses and a probe of the
// configuration server, then wait for SendCredentials or SendCancel. Returns the
// caller's record of the worker (see LoginWorker.h), or null when none was started.
#include <CString.h>
#include <CWinThread.h>
#include <CWnd.h>

CWinThread* StartDiagnosticWorker(CString configServerHost, unsigned short configServerPort, CWnd* dialog);
