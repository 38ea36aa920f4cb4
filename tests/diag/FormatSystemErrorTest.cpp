// The system's texts are compared with what the system itself says at run
// time: their wording differs between Windows versions and Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ProbeTcpPort.h"

namespace {

bool SystemText(DWORD code, std::string* text) {
    char* message = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, code, 0, reinterpret_cast<char*>(&message), 0, nullptr);
    if (length == 0) return false;
    *text = std::string(message, length);
    LocalFree(message);
    return true;
}

TEST(FormatSystemError, ReplacesTheTextWithTheSystemsWholeMessage) {
    for (DWORD code : {2ul, 10061ul, 11001ul, 0x80004005ul}) {
        SCOPED_TRACE(code);
        std::string expected;
        ASSERT_TRUE(SystemText(code, &expected));
        CString text = "old content";
        FormatSystemError(code, text);
        EXPECT_EQ(std::string(text), expected);
    }
}

TEST(FormatSystemError, KeepsTheTrailingLineEnd) {
    std::string expected;
    ASSERT_TRUE(SystemText(10061, &expected));
    ASSERT_GE(expected.size(), 2u);
    ASSERT_EQ(expected.substr(expected.size() - 2), "\r\n") << "premise: the system ends this message with a line end";
    CString text;
    FormatSystemError(10061, text);
    EXPECT_EQ(std::string(text), expected);
}

TEST(FormatSystemError, LeavesTheTextAloneWithoutASystemMessage) {
    // Customer-defined codes never have a system message.
    const DWORD code = 0xE0000001;
    std::string unused;
    ASSERT_FALSE(SystemText(code, &unused));
    CString text = "old content";
    FormatSystemError(code, text);
    EXPECT_STREQ(text, "old content");
}

} // namespace
