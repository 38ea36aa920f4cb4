// The framework's string: what the program's texts rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "CString.h"

namespace {

TEST(String, GrowsByAppendingAndKeepsEveryCharacter) {
    CString text;
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_STREQ(text, "");
    for (int i = 0; i < 1000; ++i) text += static_cast<char>('a' + i % 26);
    EXPECT_EQ(text.GetLength(), 1000);
    EXPECT_EQ(text[0], 'a');
    EXPECT_EQ(text[999], static_cast<char>('a' + 999 % 26));
    EXPECT_EQ(std::strlen(text), 1000u);
}

TEST(String, AppendingItselfOrItsOwnTail) {
    CString text("abc");
    text += text;
    EXPECT_STREQ(text, "abcabc");
    text += text.GetString() + 4;
    EXPECT_STREQ(text, "abcabcbc");
    text = text.GetString() + 6;
    EXPECT_STREQ(text, "bc");
    text = text;
    EXPECT_STREQ(text, "bc");
}

// A caller may hand a string its own text and read that text afterwards, as
// the icon does when it shows its link text again at a new scale.
TEST(String, AssigningItsOwnTextKeepsTheBufferThatTextIsReadFrom) {
    CString text("VPN link up since 09:30:00");
    const char* own = text.GetString();
    text = own;
    EXPECT_EQ(text.GetString(), own);
    EXPECT_STREQ(own, "VPN link up since 09:30:00");
    text = text;
    text = static_cast<CString&&>(text);
    EXPECT_STREQ(text, "VPN link up since 09:30:00");
}

TEST(String, ConcatenationBuildsMessages) {
    CString address("10.0.0.1");
    CString message = "Client: " + address + "\r\nServer: " + CString("10.0.0.2") + '\n';
    EXPECT_STREQ(message, "Client: 10.0.0.1\r\nServer: 10.0.0.2\n");
    CString number;
    number.Format("%s failed error=%d", "Dial", -691);
    EXPECT_STREQ(number, "Dial failed error=-691");
}

TEST(String, CopiesAreIndependent) {
    CString original("secret");
    CString copy(original);
    copy.SetAt(0, 'S');
    original.Empty();
    EXPECT_STREQ(copy, "Secret");
    EXPECT_STREQ(original, "");
    CString moved(static_cast<CString&&>(copy));
    EXPECT_STREQ(moved, "Secret");
    EXPECT_STREQ(copy, "");
}

TEST(String, BufferForPlatformCallsTakesTheLengthUpToTheNul) {
    CString text;
    char* buffer = text.GetBuffer(64);
    ASSERT_NE(buffer, nullptr);
    std::strcpy(buffer, "filled by the system");
    text.ReleaseBuffer();
    EXPECT_EQ(text.GetLength(), 20);
    EXPECT_STREQ(text, "filled by the system");

    buffer = text.GetBufferSetLength(6);
    EXPECT_EQ(text.GetLength(), 6);
    std::memcpy(buffer, "abcdef", 6);
    text.ReleaseBuffer(3);
    EXPECT_STREQ(text, "abc");

    CString empty;
    empty.GetBuffer(0);
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(String, CompareNoCaseIgnoresOnlyTheCaseOfLetters) {
    CString text("QuillMarsh.EXE");
    EXPECT_EQ(text.CompareNoCase("quillmarsh.exe"), 0);
    EXPECT_LT(text.CompareNoCase("quillmarsh.exf"), 0);
    EXPECT_GT(text.CompareNoCase("quillmarsh"), 0);
    EXPECT_NE(CString("[").CompareNoCase("{"), 0);
    EXPECT_NE(text.Compare("quillmarsh.exe"), 0);
    EXPECT_TRUE(text == "QuillMarsh.EXE");
    EXPECT_TRUE(text != "quillmarsh.exe");
}

TEST(String, PiecesAndSearches) {
    CString text("route add 10.0.0.0");
    EXPECT_STREQ(text.Left(5), "route");
    EXPECT_STREQ(text.Left(100), "route add 10.0.0.0");
    EXPECT_STREQ(text.Mid(6, 3), "add");
    EXPECT_STREQ(text.Mid(10), "10.0.0.0");
    EXPECT_STREQ(text.Mid(10, 0x7FFFFFFF), "10.0.0.0");
    EXPECT_STREQ(text.Mid(50), "");
    EXPECT_EQ(text.Find('a'), 6);
    EXPECT_EQ(text.Find("10."), 10);
    EXPECT_EQ(text.Find('z'), -1);
    EXPECT_EQ(text.Find('a', 7), -1);
    CString nul(static_cast<const char*>(nullptr));
    EXPECT_TRUE(nul.IsEmpty());
}

} // namespace
