#include "PlatformRecorder.h"

#include "VpnPlatformCalls.h"

PlatformRecorder recorder;

namespace {

HMODULE WINAPI RecordLoadLibrary(LPCSTR fileName) {
    recorder.loaded.push_back(fileName);
    if (recorder.loadReturnsFake) return recorder.fakeLibrary;
    return kRealVpnSeams.loadLibrary(fileName);
}

FARPROC WINAPI RecordGetProcAddress(HMODULE module, LPCSTR name) {
    recorder.resolved.push_back(name);
    if (recorder.missingEntryPoint == name) return nullptr;
    return kRealVpnSeams.getProcAddress(module, name);
}

BOOL WINAPI RecordFreeLibrary(HMODULE module) {
    recorder.released.push_back(module);
    if (reinterpret_cast<UINT_PTR>(module) < 32) return FALSE;
    return kRealVpnSeams.freeLibrary(module);
}

BOOL WINAPI RecordCreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                                LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                                LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                LPPROCESS_INFORMATION processInformation) {
    CreateProcessCall call = {};
    call.applicationName = applicationName ? applicationName : "(null)";
    call.commandLine = commandLine ? commandLine : "";
    call.processAttributesNull = processAttributes == nullptr;
    call.threadAttributesNull = threadAttributes == nullptr;
    call.inheritHandles = inheritHandles;
    call.creationFlags = creationFlags;
    call.environmentNull = environment == nullptr;
    call.currentDirectoryNull = currentDirectory == nullptr;
    call.startup = *startupInfo;
    if (static_cast<int>(recorder.created.size()) + 1 == recorder.failingCreate) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        call.result = FALSE;
    } else {
        call.result = kRealVpnSeams.createProcess(applicationName, commandLine, processAttributes, threadAttributes,
                                                  inheritHandles, creationFlags, environment, currentDirectory,
                                                  startupInfo, processInformation);
        call.child = *processInformation;
    }
    recorder.created.push_back(call);
    if (recorder.createdEvent) SetEvent(recorder.createdEvent);
    if (!call.result) SetLastError(ERROR_FILE_NOT_FOUND);
    return call.result;
}

} // namespace

void InstallPlatformRecorder() {
    recorder = PlatformRecorder();
    g_vpnSeams.loadLibrary = RecordLoadLibrary;
    g_vpnSeams.getProcAddress = RecordGetProcAddress;
    g_vpnSeams.freeLibrary = RecordFreeLibrary;
    g_vpnSeams.createProcess = RecordCreateProcess;
}

void RemovePlatformRecorder() {
    g_vpnSeams = kRealVpnSeams;
    recorder = PlatformRecorder();
}
