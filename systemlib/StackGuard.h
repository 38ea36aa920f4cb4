#pragma once
// The stack guards' value and what happens when one is found broken, for the
// program itself, in place of the compiler's own runtime for them. That one
// seeds the value through the old crypto API in a constructor at start-up,
// which loads a cryptographic provider and two more libraries into every start
// of the program before its window can show. The value here comes from the
// system's random generator, as the Windows compilers' security cookie does.
//
// Only for an exe whose entry point calls SeedStackGuard before the runtime
// starts: a guarded function on the stack while the value changes would fail
// its check. Other programs of the build keep the compiler's runtime.
#include <windows.h>

// Gives the stack guards their random value. Call it at the process's entry,
// with no guarded function on the stack, after the library search has been
// restricted (the generator's export may be forwarded to another library).
void SeedStackGuard();
