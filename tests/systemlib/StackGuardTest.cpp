// The program's own stack guard, in a probe started the way the program starts:
// a value of its own in every process, and a broken guard or an over-long
// checked copy ends the process at once with the overrun status.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

const DWORD kProbeLimitMs = 30000;

// The probe's exit code; STILL_ACTIVE (with a failure) if it did not end.
DWORD RunProbe(const char* mode) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string command = std::string(path, length);
    command = "\"" + command.substr(0, command.find_last_of('\\') + 1) + "StackGuardProbe.exe\" " + mode;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        ADD_FAILURE() << "CreateProcess error " << GetLastError();
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(child.hProcess, kProbeLimitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.hProcess, &code);
    else
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return code;
}

TEST(StackGuard, EveryProcessHasAValueOfItsOwnAndABreachEndsItAtOnce) {
    const DWORD first = RunProbe("guard"), second = RunProbe("guard");
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(RunProbe("smash"), static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN));
    EXPECT_EQ(RunProbe("fortify"), static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN));
}

} // namespace
