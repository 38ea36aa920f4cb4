#pragma once
// Root of the framework's class tree: gives every object a virtual destructor.
#include "AfxDefs.h"

class CObject {
public:
    CObject() = default;
    virtual ~CObject();
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};
