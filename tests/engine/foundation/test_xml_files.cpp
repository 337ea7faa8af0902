#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/FileTextual.h"
#include "engine/foundation/PackWriter.h"
#include "engine/foundation/SmallObjectPool.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLQuery.h"
#include "support/TestSupport.h"

using namespace GameTools;
using namespace KorvaneEngine;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes B(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Utf16(const std::wstring& s)
{
    Bytes b{0xFF, 0xFE};
    for (wchar_t c : s) {
        b.push_back(static_cast<unsigned char>(c & 0xFF));
        b.push_back(static_cast<unsigned char>(c >> 8));
    }
    return b;
}

class XMLFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = TestSupport::MakeTempDir("xml_files");
        CreateDirectoryA((root + "\\data").c_str(), nullptr);
        CreateDirectoryA((root + "\\data\\ui").c_str(), nullptr);
        files.reset(new FileManager(root, true, "data", 0));
    }
    void TearDown() override
    {
        files.reset();
        TestSupport::RemoveTree(root);
    }
    void Write(const std::string& name, const Bytes& bytes)
    {
        ASSERT_TRUE(TestSupport::WriteFileBytes(root + "\\" + name, bytes));
    }
    std::string ErrorOf(const std::string& name)
    {
        XMLNode* r = nullptr;
        try {
            XMLParser().ParseFile(r, name);
        } catch (const FileError& e) {
            EXPECT_EQ(r, nullptr);
            return e.GetMessage();
        }
        delete r;
        return "";
    }
    std::string root;
    std::unique_ptr<FileManager> files;
};

} // namespace

TEST_F(XMLFileTest, EncodingsAndBothRootForms)
{
    Write("data\\ui\\ansi.xml", B("<?xml version=\"1.0\"?>\n<window name='main'>\n  <button id=\"ok\"/>\n</window>\n"));
    Write("data\\ui\\utf8.xml", B("\xEF\xBB\xBF<texts><t id='1'>\xE2\x82\xAC 5</t></texts>"));
    Write("data\\ui\\utf16.xml", Utf16(L"<texts><t id='1'>\u00e9t\u00e9</t></texts>"));

    XMLNode* top = nullptr; // the window reader's form: the file's element is the root
    XMLParser().ParseFile(top, "data\\ui\\ansi.xml");
    std::unique_ptr<XMLNode> owner(top);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetName(), "window");
    EXPECT_EQ(FindXMLAttribute(top, "button", "id")->GetString(), "ok");

    XMLNode doc; // the usual form: a default-made root receives the elements
    XMLParser().ParseFile(&doc, "data\\ui\\utf8.xml");
    EXPECT_EQ(FindXMLValue(&doc, "texts/t[id='1']")->GetWideString(), L"\u20ac 5");
    XMLNode doc16;
    XMLParser().ParseFile(&doc16, "DATA\\UI\\utf16.xml");
    EXPECT_EQ(FindXMLValue(&doc16, "texts/t")->GetWideString(), L"\u00e9t\u00e9");

    // A null root handed over by value: parsed, checked, and nothing leaks out.
    XMLParser().ParseFile(static_cast<XMLNode*>(nullptr), "data\\ui\\ansi.xml");
    // An already opened file.
    std::unique_ptr<FileTextual> text(files->OpenTextFile("data\\ui\\ansi.xml", 0, 0));
    XMLNode byFile;
    XMLParser().Parse(&byFile, text.get());
    EXPECT_EQ(byFile.GetChild("window")->GetChild("button")->GetName(), "button");
}

TEST_F(XMLFileTest, FaultsNameTheLineAcrossAnyLineEnds)
{
    // Lines end in LF, CR LF and CR alone; the text layer joins them with CR LF.
    Write("data\\ui\\bad.xml", B("<a>\n<b>\r\n<c/>\r<d>\n</b>\n</a>"));
    EXPECT_EQ(ErrorOf("data\\ui\\bad.xml"), "XML format error at line 5: code 2");
    Write("data\\ui\\empty.xml", B(""));
    EXPECT_EQ(ErrorOf("data\\ui\\empty.xml"), "XML format error at line 1: code 15");
    Write("data\\ui\\cut.xml", B("<a>\r\n<b x='1"));
    EXPECT_EQ(ErrorOf("data\\ui\\cut.xml"), "XML format error at line 2: code 14");
    EXPECT_EQ(ErrorOf("data\\ui\\missing.xml"), "Failed to open \"" + root + "\\data\\ui\\missing.xml\" file");
    // A given root keeps what was read before the fault.
    XMLNode doc;
    EXPECT_THROW(XMLParser().ParseFile(&doc, "data\\ui\\bad.xml"), FileError);
    EXPECT_EQ(doc.GetChild("a")->GetChild("b")->GetChild("c")->GetName(), "c");
}

TEST_F(XMLFileTest, FromAPackAndWithoutAFileManager)
{
    ASSERT_TRUE(WritePackFile(root + "\\data\\ui.pak", {{"ui\\levels.xml", "", B("<levels><level n='1'/></levels>")}}));
    files.reset(new FileManager(root, true, "data", 0));
    XMLNode doc;
    XMLParser().ParseFile(&doc, "data\\ui\\levels.xml");
    EXPECT_EQ(FindXMLAttribute(&doc, "levels/level", "n")->GetInt(), 1);

    files.reset();
    Write("alone.xml", B("<x/>"));
    XMLNode* r = nullptr;
    XMLParser().ParseFile(r, root + "\\alone.xml");
    std::unique_ptr<XMLNode> owner(r);
    EXPECT_EQ(r->GetName(), "x");
}

// Without a root only one top-level element is allowed. Whatever follows it,
// through every entry point, the parse fails and no node is left behind:
// neither attached anywhere nor freed would be a leak of the whole element.
TEST_F(XMLFileTest, WithoutARootASecondTopLevelElementLeavesNothingBehind)
{
    const char* documents[] = {
        "<a/><b/>",
        "<a><c x='1'/></a>\n<b y='2'><d/></b>",
        "<a/>\n<!-- a comment --><b/>",
        "<a></a>text",
        "<?xml version='1.0'?><a/><b/><c/>",
        "<a/><b",
        "<a><b/></a></a>",
    };
    int n = 0;
    for (const char* text : documents) {
        const std::string name = "data\\ui\\two" + std::to_string(n++) + ".xml";
        Write(name, B(text));
        const size_t before = SmallObjectPool::GetLiveBlocks();
        EXPECT_NE(ErrorOf(name), "") << text;
        {
            // The caller's root form through a null pointer.
            XMLNode* const none = nullptr;
            EXPECT_THROW(XMLParser().ParseFile(none, name), FileError) << text;
        }
        {
            XMLNode* r = nullptr;
            EXPECT_THROW(XMLParser().ParseString(r, std::wstring(text, text + std::strlen(text))), FileError) << text;
            EXPECT_EQ(r, nullptr) << text;
        }
        {
            std::unique_ptr<FileTextual> f(files->OpenTextFile(name, FileTextual::kRead, FileTextual::kAnsi));
            EXPECT_THROW(XMLParser().Parse(nullptr, f.get()), FileError) << text;
        }
        EXPECT_EQ(SmallObjectPool::GetLiveBlocks(), before) << text;
    }
}
