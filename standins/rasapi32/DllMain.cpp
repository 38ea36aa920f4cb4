// The stand-in stays loaded once loaded: a process that releases and loads it
// again (every login attempt does) would otherwise unload and re-initialise the
// statically linked thread runtime inside it, which is not safe to do twice in
// one process. The real service's library has no such state; keeping ours
// pinned changes nothing the program can see, since it only counts its own
// LoadLibrary and FreeLibrary calls.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCSTR>(instance), &self);
    }
    return TRUE;
}
