// The rig itself: programs run under Wine in a prefix of their own group, with
// the display of the test command.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Rig, RunsUnderWineWithADisplay) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    ASSERT_NE(ntdll, nullptr);
    EXPECT_NE(GetProcAddress(ntdll, "wine_get_version"), nullptr);
    EXPECT_NE(GetDesktopWindow(), nullptr);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
}
