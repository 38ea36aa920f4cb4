// A program started as QuillmarshVPN.exe starts, with the program's own stack
// guard, that shows what the guard does:
//   StackGuardProbe guard    ends with the guard's value (its low 32 bits)
//   StackGuardProbe smash    overruns a guarded local buffer
//   StackGuardProbe fortify  gives a checked copy more than its buffer holds
#include <windows.h>

#include <cstring>

#include "StackGuard.h"
#include "SystemLibrary.h"

extern "C" int mainCRTStartup();
extern "C" void* __stack_chk_guard;

extern "C" __attribute__((no_stack_protector)) int ProbeEntry() {
    RestrictDllSearchToSystemFolder();
    SeedStackGuard();
    return mainCRTStartup();
}

namespace {

// Volatile, so that the compiler can neither see the overrun nor drop it.
volatile size_t g_length = 64;

__attribute__((noinline)) int Overrun() {
    char buffer[8];
    char* volatile at = buffer;
    for (size_t i = 0; i < g_length; ++i) at[i] = 'x';
    return at[0];
}

__attribute__((noinline)) int CheckedCopy() {
    char buffer[8];
    char source[64];
    std::memset(source, 'x', sizeof source);
    __builtin___memcpy_chk(buffer, source, g_length, __builtin_object_size(buffer, 0));
    return buffer[0];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (std::strcmp(argv[1], "guard") == 0) return static_cast<int>(reinterpret_cast<UINT_PTR>(__stack_chk_guard));
    if (std::strcmp(argv[1], "smash") == 0) return Overrun();
    if (std::strcmp(argv[1], "fortify") == 0) return CheckedCopy();
    return 2;
}
