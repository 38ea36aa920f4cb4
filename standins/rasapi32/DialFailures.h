#pragma once
// A run of failing dials that a test arms while the program runs: the
// scenario's dial.fail_next dials after each new dial.fail_serial fail. The
// count belongs to the process and outlives the library, which the program
// releases and loads again between attempts; otherwise every reload would see
// the serial as new and fail for ever.
#include <windows.h>

#include "Scenario.h"

class DialFailures {
public:
    // True when this dial is one of the run; *left is then what remains of it.
    static bool Take(const Scenario& scenario, DWORD* left);
};
