#pragma once
// A soak runs in rounds: the first warms the process up (libraries loaded, heaps
// and caches grown to their working size), and every later round must end where
// the warm-up ended, within a small tolerance. Growth is what counts, never the
// absolute numbers, which differ between systems.
#include "ProcessResources.h"

#include <vector>

struct SoakSize {
    int rounds;   // the warm-up included
    int perRound; // attempts or ticks of each kind in one round
};

// The full soak when QM_SOAK_FULL is 1, else the short one of the test suite.
SoakSize ChooseSoakSize(SoakSize quick, SoakSize full);

struct GrowthLimits {
    long handles;
    long gdiObjects;
    long windows;
    long long privateBytes;
};

// Prints each round, records the largest growth as test properties, and fails
// the test for every counter that grew beyond its limit after the warm-up.
void ExpectNoGrowth(const char* what, const std::vector<ProcessResources>& afterEachRound, const GrowthLimits& limits);
