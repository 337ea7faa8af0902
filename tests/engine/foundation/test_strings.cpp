#include <gtest/gtest.h>

#include <clocale>

#include "engine/foundation/StringUtils.h"

using namespace KorvaneEngine;

TEST(StringParse, NumbersAndBools)
{
    EXPECT_FALSE(StringToBool("true"));
    EXPECT_FALSE(StringToBool("yes"));
    EXPECT_FALSE(StringToBool(""));
    EXPECT_TRUE(StringToBool(" 1"));
    EXPECT_TRUE(StringToBool("2"));
    EXPECT_TRUE(StringToBool(L"7"));
    EXPECT_EQ(StringToInt("ff", 16), 255);
    EXPECT_EQ(StringToInt(L"-12", 10), -12);
    EXPECT_EQ(StringToInt("abc", 10), 0);
    EXPECT_EQ(StringToUnsigned("800x600x32", 10), 800u);
    EXPECT_FLOAT_EQ(StringToFloat("2.5abc"), 2.5f);
    EXPECT_FLOAT_EQ(StringToFloat(L"-0.25"), -0.25f);
    EXPECT_FLOAT_EQ(StringToFloat("x1"), 0.0f);
}

TEST(StringFormat, FixedFormats)
{
    EXPECT_EQ(FloatToString(2.5f, 3), "2.500");
    EXPECT_EQ(FloatToString(1.75f, 0), "2");
    EXPECT_EQ(FloatToString(0.1f, 6), "0.100000");
    EXPECT_EQ(FloatToWideString(0.5f, 2), L"0.50");
    EXPECT_EQ(UnsignedToString(7, 2), "07");
    EXPECT_EQ(UnsignedToString(123, 2), "123");
    EXPECT_EQ(UnsignedToString(7, 0), "7");
    EXPECT_EQ(UnsignedToString(5, 3), "005");
    EXPECT_EQ(UnsignedToWideString(42, 4), L"0042");
    EXPECT_EQ(IntToString(-5, 3), "-005");
    EXPECT_EQ(IntToString(-2147483647 - 1, 0), "-2147483648");
    EXPECT_EQ(IntToWideString(-5, 0), L"-5");
    EXPECT_EQ(UnsignedToHexString(255, 4), "00FF");
    EXPECT_EQ(UnsignedToHexString(255, 0), "FF");
    EXPECT_EQ(UnsignedToHexString(10, 0), "A");
    EXPECT_EQ(UnsignedToString(4294967295u, 0), "4294967295");
    EXPECT_EQ(BoolToString(true), "1");
    EXPECT_EQ(BoolToString(false), "0");
}

TEST(StringFormat, LongResultsAreNotCut)
{
    // Results past the old 64-character limit still come out whole.
    std::string s = FloatToString(1e30f, 40);
    EXPECT_GT(s.size(), 63u);
    EXPECT_EQ(s.substr(s.size() - 41, 1), ".");
    EXPECT_EQ(UnsignedToString(1, 100).size(), 100u);
}

TEST(StringCase, TrimAndCase)
{
    EXPECT_EQ(ToLowerCopy(std::string("MiXeD_Name")), "mixed_name");
    EXPECT_EQ(ToUpperCopy("abc1"), "ABC1");
    EXPECT_EQ(ToLowerCopy(std::wstring(L"ABC")), L"abc");
    std::string s = "\\\\exit";
    TrimLeft(s, '\\');
    EXPECT_EQ(s, "exit");
    std::string blanks = "    ";
    Trim(blanks);
    EXPECT_TRUE(blanks.empty());
    std::string t = " \t a b \n";
    Trim(t);
    EXPECT_EQ(t, "a b");
    EXPECT_EQ(TrimCopy(L"  x y  "), L"x y");
    EXPECT_EQ(TrimLeftCopy(L"  x "), L"x ");
    EXPECT_EQ(TrimRightCopy(std::string(" x  ")), " x");
}

TEST(StringReplace, Rules)
{
    std::string a = "%COMBO%%COMBO%";
    ReplaceAll(a, "%COMBO%", "3");
    EXPECT_EQ(a, "33");
    std::string b = "aa";
    ReplaceAll(b, "a", "aa");
    EXPECT_EQ(b, "aaaa");
    std::wstring c = L"Hello HELLO";
    ReplaceAllNoCase(c, L"hello", L"x");
    EXPECT_EQ(c, L"x x");
    std::wstring d = L"abcABC";
    ReplaceAllNoCase(d, L"b", L"XY");
    EXPECT_EQ(d, L"aXYcAXYC");
    std::string e = "a-b-c";
    RemoveAll(e, "-");
    EXPECT_EQ(e, "abc");
    EXPECT_EQ(RemoveAllCopy(L"x..y", L"."), L"xy");
    std::string f = "keep";
    ReplaceAll(f, "", "z"); // an empty pattern must not loop
    EXPECT_EQ(f, "keep");
}

TEST(StringConvert, ThroughTheRuntimeLocale)
{
    EXPECT_TRUE(NarrowToWide("").empty());
    EXPECT_EQ(NarrowToWide("plain"), L"plain");
    ASSERT_NE(std::setlocale(LC_ALL, ".1252"), nullptr);
    // 0x80 is the euro sign in code page 1252 and 0xE9 is e acute.
    std::wstring w = NarrowToWide(std::string("\x80 caf\xE9"));
    EXPECT_EQ(w, std::wstring(L"\x20AC caf\xE9"));
    EXPECT_EQ(WideToNarrow(w), std::string("\x80 caf\xE9"));
    // Units with no 1252 form are skipped, the rest converted.
    EXPECT_EQ(WideToNarrow(std::wstring(L"a\x4E2D" L"b")), "ab");
    // Conversion stops at an embedded zero.
    EXPECT_EQ(WideToNarrow(std::wstring(L"ab\0cd", 5)), "ab");
    std::setlocale(LC_ALL, "C");
}

TEST(StringConvert, WideIsUtf16)
{
    static_assert(sizeof(wchar_t) == 2, "the formats store UTF-16 units");
}
