#pragma once
// Tells a waiting diagnostic worker to hang up and end. The post's result.
#include <CWinThread.h>

bool SendCancel(CWinThread* worker);
