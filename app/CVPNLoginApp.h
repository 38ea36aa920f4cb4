#pragma once
#include "afxwin.h"

// The application object: its InitInstance is the whole life of the program.
class CVPNLoginApp : public CWinApp {
public:
    CVPNLoginApp();
    virtual ~CVPNLoginApp();

    virtual BOOL InitInstance();

    DECLARE_MESSAGE_MAP()
};

extern CVPNLoginApp theApp;
