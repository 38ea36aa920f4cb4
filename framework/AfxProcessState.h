#pragma once
// Process-wide framework state (internal): the application object and the
// module handles that AfxWinInit records.
#include "AfxDefs.h"

class CWinApp;

struct AfxProcessState {
    CWinApp* app;
    HINSTANCE instance;
    HINSTANCE resource;
};

AfxProcessState& AfxGetProcessState();
