#pragma once
// Base of every class with a message map: owns the root of the map chain and
// the routing of commands through it.
#include "AfxMessageMap.h"
#include "CObject.h"

class CCmdTarget : public CObject {
public:
    CCmdTarget() = default;

    // Runs the first handler of the map chain for this command or control
    // notification (nCode CN_COMMAND for commands); FALSE when none matches.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
