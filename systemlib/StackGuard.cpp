#include "StackGuard.h"

namespace {

typedef BOOLEAN(WINAPI* GenerateRandomProc)(PVOID buffer, ULONG length);

// Nothing on this stack can be trusted any more: no unwinding, no handlers,
// no library code beyond the two calls; the status is the one Windows reports
// for an overrun the guards caught, which error reporting recognises.
__attribute__((noreturn)) void EndAtOnce(const char* text) {
    OutputDebugStringA(text);
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}

} // namespace

extern "C" {

// Read by every guarded function's entry and exit.
void* __stack_chk_guard = nullptr;

// A guarded function's frame was overwritten.
__attribute__((noreturn)) void __stack_chk_fail() { EndAtOnce("*** stack smashing detected ***: terminated\n"); }

// A checked buffer call was given more than its buffer holds.
__attribute__((noreturn)) void __chk_fail() { EndAtOnce("*** buffer overflow detected ***: terminated\n"); }

} // extern "C"

__attribute__((no_stack_protector)) void SeedStackGuard() {
    UINT_PTR value = 0;
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    GenerateRandomProc generate = advapi ? reinterpret_cast<GenerateRandomProc>(reinterpret_cast<void*>(
                                               GetProcAddress(advapi, "SystemFunction036"))) // RtlGenRandom
                                         : nullptr;
    if (!generate || !generate(&value, sizeof value) || value == 0) {
        // What the Windows compilers' cookie is made of without a generator.
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        value = now.dwLowDateTime ^ now.dwHighDateTime ^ GetCurrentProcessId() ^ GetCurrentThreadId() ^ GetTickCount() ^
                counter.LowPart ^ counter.HighPart ^ reinterpret_cast<UINT_PTR>(&value);
    }
    __stack_chk_guard = reinterpret_cast<void*>(value);
}
