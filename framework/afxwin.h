#pragma once
// Everything of the application framework, for the program's sources.
#include "AfxDefs.h"
#include "CString.h"
#include "CWnd.h"
#include "AfxGdi.h"
#include "CDialog.h"
#include "CWinThread.h"
#include "CWinApp.h"
