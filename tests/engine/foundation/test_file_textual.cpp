#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileTextual.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class FileTextualTest : public ::testing::Test {
protected:
    void SetUp() override { dir = TestSupport::MakeTempDir("file_textual"); }
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        TestSupport::RemoveTree(dir);
    }
    std::string Put(const Bytes& bytes, const std::string& name = "t.txt")
    {
        std::string path = dir + "\\" + name;
        EXPECT_TRUE(TestSupport::WriteFileBytes(path, bytes));
        return path;
    }
    std::vector<std::string> Lines(const Bytes& bytes, bool strip = false, bool words = false)
    {
        FileTextual t(Put(bytes), FileTextual::kRead, 0);
        std::vector<std::string> out;
        std::string line;
        while (t.ReadLine(line, strip, words) && out.size() < 100)
            out.push_back(line);
        return out;
    }
    std::vector<std::wstring> WideLines(const Bytes& bytes, uint32_t* encoding = nullptr)
    {
        FileTextual t(Put(bytes), FileTextual::kRead, 0);
        if (encoding)
            *encoding = t.GetEncoding();
        std::vector<std::wstring> out;
        std::wstring line;
        while (t.ReadLine(line, false, false) && out.size() < 100)
            out.push_back(line);
        return out;
    }
    Bytes Written(uint32_t encoding, const std::string& text, bool newLine = false)
    {
        std::string path = dir + "\\w.txt";
        {
            FileTextual t(path, FileTextual::kWrite, encoding);
            t.Write(text);
            if (newLine)
                t.WriteNewLine();
        }
        return TestSupport::ReadFileBytes(path);
    }
    std::string dir;
};

using Strings = std::vector<std::string>;
using WStrings = std::vector<std::wstring>;

TEST_F(FileTextualTest, LineEndsOfEveryKind)
{
    EXPECT_EQ((Strings{"a=1", "b=2"}), Lines(B("a=1\r\nb=2")));
    EXPECT_EQ((Strings{"a=1", ""}), Lines(B("a=1\n")));
    EXPECT_EQ((Strings{"a", "b", "c", "", "d"}), Lines(B("a\rb\nc\r\n\r\nd")));
    EXPECT_EQ((Strings{"a", "", "b"}), Lines(B("a\n\rb"))); // LF then CR: two line ends
}

TEST_F(FileTextualTest, CommentsAndWords)
{
    EXPECT_EQ((Strings{"x "}), Lines(B("x // note"), true));
    EXPECT_EQ((Strings{"x // note"}), Lines(B("x // note"), false));
    EXPECT_EQ((Strings{"v_mode", "800x600x32"}), Lines(B("v_mode 800x600x32"), true, true));
    // A comment line gives one empty word and is consumed whole.
    EXPECT_EQ((Strings{"", "", "a", "b"}), Lines(B("// some comment\r\na b"), true, true));
    // Two adjacent separators give an empty word.
    EXPECT_EQ((Strings{"a", "", "b"}), Lines(B("a  b"), false, true));
    EXPECT_EQ((Strings{"k", "v//x"}), Lines(B("k v//x"), false, true));
    EXPECT_EQ((Strings{"k", "v", "y"}), Lines(B("k v//x y"), true, true)); // "//" inside a word
}

TEST_F(FileTextualTest, Utf16LittleEndianWithMarkAndWithout)
{
    Bytes body = {0x41, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x42, 0x00};
    uint32_t encoding = 99;
    EXPECT_EQ((WStrings{L"A", L"B"}), WideLines(Cat({0xFF, 0xFE}, body), &encoding));
    EXPECT_EQ(FileTextual::kUtf16LittleEndian, encoding);
    // Without the mark it is ANSI: the zero bytes are characters.
    Strings ansi = Lines(body);
    ASSERT_EQ(3u, ansi.size());
    EXPECT_EQ(std::string("A\0", 2), ansi[0]);
    EXPECT_EQ(std::string("\0", 1), ansi[1]);
    EXPECT_EQ(std::string("\0B\0", 3), ansi[2]);
    FileTextual t(Put(body), FileTextual::kRead, FileTextual::kUtf16LittleEndian);
    EXPECT_EQ(FileTextual::kAnsi, t.GetEncoding());
    EXPECT_EQ(8u, t.GetLength());
}

TEST_F(FileTextualTest, Utf16BigEndianWithMark)
{
    uint32_t encoding = 99;
    EXPECT_EQ((WStrings{L"\x20AC" L"b", L"c"}),
        WideLines({0xFE, 0xFF, 0x20, 0xAC, 0x00, 0x62, 0x00, 0x0A, 0x00, 0x63}, &encoding));
    EXPECT_EQ(FileTextual::kUtf16BigEndian, encoding);
    FileTextual t(Put({0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42}), FileTextual::kRead, 0);
    EXPECT_EQ(3u, t.GetLength()); // bytes halved, mark included
    // An odd last byte is no character.
    EXPECT_EQ((WStrings{L"A"}), WideLines({0xFE, 0xFF, 0x00, 0x41, 0x00}));
}

TEST_F(FileTextualTest, Utf8WithMark)
{
    Bytes mark = {0xEF, 0xBB, 0xBF};
    uint32_t encoding = 99;
    EXPECT_EQ((WStrings{L"\x20AC\x00E9z"}), WideLines(Cat(mark, {0xE2, 0x82, 0xAC, 0xC3, 0xA9, 'z'}), &encoding));
    EXPECT_EQ(FileTextual::kUtf8, encoding);
    // A four-byte sequence is four replacement characters.
    EXPECT_EQ((WStrings{L"\xFFFD\xFFFD\xFFFD\xFFFD"}), WideLines(Cat(mark, {0xF0, 0x9F, 0x98, 0x80})));
    // EF BB without BF is ANSI from the first byte.
    Strings ansi = Lines({0xEF, 0xBB, 0x41});
    ASSERT_EQ(1u, ansi.size());
    EXPECT_EQ("\xEF\xBB" "A", ansi[0]);
    EXPECT_EQ((WStrings{L""}), WideLines(mark)); // only the mark: one empty line
}

TEST_F(FileTextualTest, NarrowAndWideFormsConvert)
{
    // Wide text read narrow: what the code page cannot express becomes "?".
    Bytes utf8 = {0xEF, 0xBB, 0xBF, 0xE2, 0x82, 0xAC, 0xC3, 0xA9};
    EXPECT_EQ((Strings{"?\xE9"}), Lines(utf8)); // the "C" locale knows only the first 256
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, ".1252"));
    EXPECT_EQ((Strings{"\x80\xE9"}), Lines(utf8));
    // ANSI read wide goes through the code page.
    EXPECT_EQ((WStrings{L"\x20AC\x00E9"}), WideLines({0x80, 0xE9}));
}

TEST_F(FileTextualTest, ReadAllJoinsLinesWithCrLf)
{
    FileTextual t(Put(B("a\nb\rc\r\n")), FileTextual::kRead, 0);
    std::wstring all = L"junk";
    t.ReadAll(all, false);
    EXPECT_EQ(L"a\r\nb\r\nc\r\n", all);
    EXPECT_TRUE(t.IsEndOfFile());
    std::wstring line;
    EXPECT_FALSE(t.ReadLine(line, false, false));

    FileTextual c(Put(Cat({0xFF, 0xFE}, {'x', 0, '/', 0, '/', 0, 'y', 0, '\n', 0, 'z', 0})), FileTextual::kRead, 0);
    c.ReadAll(all, true);
    EXPECT_EQ(L"x\r\nz", all);
}

TEST_F(FileTextualTest, LinesAcrossTheReadBuffer)
{
    // A CR LF split by the 1024-byte buffer, and a line longer than the buffer.
    std::string first(1023, 'a');
    std::string second(3000, 'b');
    EXPECT_EQ((Strings{first, second, "c"}), Lines(B(first + "\r\n" + second + "\nc")));
    // The same in UTF-16, where a character never straddles a refill.
    std::wstring wide(1500, L'\x0416');
    Bytes bytes = {0xFF, 0xFE};
    for (wchar_t ch : wide + L"\r\nq") {
        bytes.push_back(static_cast<unsigned char>(ch & 0xFF));
        bytes.push_back(static_cast<unsigned char>(ch >> 8));
    }
    EXPECT_EQ((WStrings{wide, L"q"}), WideLines(bytes));
}

TEST_F(FileTextualTest, RewindStartsAgainAfterTheMark)
{
    FileTextual t(Put(Cat({0xEF, 0xBB, 0xBF}, B("one\ntwo"))), FileTextual::kRead, 0);
    std::wstring line;
    ASSERT_TRUE(t.ReadLine(line, false, false));
    ASSERT_TRUE(t.ReadLine(line, false, false));
    EXPECT_EQ(L"two", line);
    ASSERT_FALSE(t.ReadLine(line, false, false));
    t.Rewind();
    ASSERT_TRUE(t.ReadLine(line, false, false));
    EXPECT_EQ(L"one", line);

    FileTextual a(Put(B("x\ny"), "a.txt"), FileTextual::kRead, 0);
    std::string s;
    a.ReadLine(s, false, false);
    a.Rewind();
    ASSERT_TRUE(a.ReadLine(s, false, false));
    EXPECT_EQ("x", s);
}

TEST_F(FileTextualTest, WritingEachEncoding)
{
    EXPECT_EQ((Bytes{0xEF, 0xBB, 0xBF, 0xC3, 0xA9}), Written(FileTextual::kUtf8, "\xE9"));
    EXPECT_EQ((Bytes{0xFF, 0xFE, 0xE9, 0x00, 0x0D, 0x00, 0x0A, 0x00}),
        Written(FileTextual::kUtf16LittleEndian, "\xE9", true));
    EXPECT_EQ((Bytes{0xFE, 0xFF, 0x00, 0xE9}), Written(FileTextual::kUtf16BigEndian, "\xE9"));
    EXPECT_EQ((Bytes{0xE9, 'a', 0x0D, 0x0A}), Written(FileTextual::kAnsi, "\xE9" "a", true));
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, ".1252"));
    EXPECT_EQ((Bytes{0xEF, 0xBB, 0xBF, 0xE2, 0x82, 0xAC, 'x'}), Written(FileTextual::kUtf8, "\x80x"));
}

TEST_F(FileTextualTest, LongTextRoundTripsInEveryEncoding)
{
    std::string line(700, 'q');
    for (uint32_t encoding = 0; encoding <= 3; ++encoding) {
        std::string path = dir + "\\round.txt";
        {
            FileTextual t(path, FileTextual::kWrite, encoding);
            for (int i = 0; i < 5; ++i) {
                t.Write(line + std::to_string(i) + " = \xE9");
                t.WriteNewLine();
            }
            t.Flush();
        }
        FileTextual in(path, FileTextual::kRead, 0);
        EXPECT_EQ(encoding, in.GetEncoding());
        std::string got;
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(in.ReadLine(got, false, false)) << encoding;
            EXPECT_EQ(line + std::to_string(i) + " = \xE9", got) << encoding;
        }
        ASSERT_TRUE(in.ReadLine(got, false, false));
        EXPECT_EQ("", got);
        EXPECT_FALSE(in.ReadLine(got, false, false));
    }
}

TEST_F(FileTextualTest, OpeningAndMisuse)
{
    try {
        FileTextual t("tmp_file_textual\\missing.ini", FileTextual::kRead, 0);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ("Failed to open \"tmp_file_textual\\missing.ini\" file", e.GetMessage());
    }
    // Relative names are taken from the program folder.
    Put(B("k 1"), "rel.ini");
    FileTextual t("tmp_file_textual\\rel.ini", FileTextual::kRead, 0);
    std::string word;
    ASSERT_TRUE(t.ReadLine(word, false, true));
    EXPECT_EQ("k", word);
    // Writing to a file opened for reading is refused, not silently dropped.
    EXPECT_THROW(t.Write("x"), FileError);
    EXPECT_THROW(t.WriteNewLine(), FileError);
    // A file opened for writing has nothing to read.
    FileTextual w(dir + "\\out.txt", FileTextual::kWrite, 0);
    std::wstring all = L"junk";
    w.ReadAll(all, false);
    EXPECT_EQ(L"", all);
    EXPECT_FALSE(w.ReadLine(word, false, false));
}

TEST_F(FileTextualTest, ReadsThroughAnyFileBinary)
{
    unsigned char block[] = {0xFF, 0xFE, 'h', 0, 'i', 0};
    FileTextual t(new FileBinary("mem", false, 0, sizeof block, block, false), FileTextual::kRead, 0);
    std::wstring line;
    ASSERT_TRUE(t.ReadLine(line, false, false));
    EXPECT_EQ(L"hi", line);
}

// ReadAll decodes the rest of a file in one pass; joining ReadLine's lines is
// its definition. Both are compared over generated files in every encoding,
// with and without a mark, through streamed and cached files, read from the
// start or after some lines, across the read buffer's refills, with cut
// characters at the end, in two code pages.
TEST_F(FileTextualTest, ReadAllMatchesTheJoinedLinesEverywhere)
{
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    // Line breaks, comment slashes, a zero, ASCII, code-page bytes, UTF-8 lead
    // and continuation bytes.
    const unsigned char alphabet[] = {'\r', '\n', '\r', '\n', '/', '/', 0, 'a', 'b', ' ', 0x80, 0xE9, 0xC3,
                                      0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0xFF, 0xFE};
    const Bytes marks[] = {{}, {0xEF, 0xBB, 0xBF}, {0xFF, 0xFE}, {0xFE, 0xFF}};
    // Around the read buffer's 1024 bytes and ReadAll's 65536-byte blocks.
    const size_t lengths[] = {0,    1,    2,    3,     7,     100,   1021,  1022,  1023,  1024,
                              1025, 2047, 2049, 65534, 65535, 65536, 65537, 65538, 131075};
    int compared = 0, locales = 0;
    // A double-byte code page too, where a character may span two blocks.
    for (const char* locale : {"C", ".1252", ".932"}) {
        if (!std::setlocale(LC_ALL, locale)) {
            ASSERT_STRNE(locale, "C");
            continue;
        }
        ++locales;
        for (const Bytes& mark : marks)
            for (size_t length : lengths) {
                Bytes bytes = mark;
                for (size_t k = 0; k < length; ++k)
                    bytes.push_back(alphabet[next() % sizeof alphabet]);
                const std::string path = Put(bytes);
                for (uint32_t cache : {0u, 1u << 20})
                    for (int before = 0; before < 3; ++before)
                        for (bool strip : {false, true}) {
                            auto open = [&] {
                                return new FileTextual(new FileBinary(path, false, cache), FileTextual::kRead, 0);
                            };
                            std::unique_ptr<FileTextual> a(open()), b(open());
                            std::wstring line, expected, all;
                            for (int k = 0; k < before; ++k) {
                                a->ReadLine(line, strip, false);
                                b->ReadLine(line, strip, false);
                            }
                            for (bool first = true; !b->IsEndOfFile() && b->ReadLine(line, strip, false);
                                 first = false)
                                expected += (first ? L"" : L"\r\n") + line;
                            a->ReadAll(all, strip);
                            size_t differ = 0;
                            while (differ < all.size() && differ < expected.size() && all[differ] == expected[differ])
                                ++differ;
                            ASSERT_TRUE(expected == all) << "encoding " << a->GetEncoding() << ", first difference at "
                                                     << differ << ", mark " << mark.size() << ", " << length << " bytes, "
                                                     << locale << ", cache " << cache << ", after " << before
                                                     << " lines, strip " << strip;
                            EXPECT_TRUE(a->IsEndOfFile());
                            EXPECT_FALSE(a->ReadLine(line, false, false));
                            // After a rewind the whole text comes again.
                            if (before == 0) {
                                a->Rewind();
                                a->ReadAll(all, strip);
                                EXPECT_EQ(expected, all);
                            }
                            ++compared;
                        }
            }
    }
    EXPECT_GE(locales, 2);
    EXPECT_EQ(compared, locales * 4 * 19 * 2 * 3 * 2);
}

} // namespace
