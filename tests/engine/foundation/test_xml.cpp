#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/SmallObjectPool.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLQuery.h"

using namespace GameTools;
using KorvaneEngine::FileError;

namespace {

std::wstring W(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// Parses with a null root; the result owns the tree.
std::unique_ptr<XMLNode> ParseRoot(const std::string& text)
{
    XMLNode* root = nullptr;
    try {
        XMLParser().ParseString(root, W(text));
    } catch (const FileError& e) {
        ADD_FAILURE() << text << ": " << e.GetMessage();
        return std::unique_ptr<XMLNode>(new XMLNode());
    }
    return std::unique_ptr<XMLNode>(root);
}

// The message of the FileError a parse raises ("" when it succeeds).
std::string ParseError(const std::string& text, bool giveRoot = false)
{
    XMLParser parser;
    std::unique_ptr<XMLNode> given(giveRoot ? new XMLNode() : nullptr);
    XMLNode* root = given.get();
    try {
        parser.ParseString(root, W(text));
    } catch (const FileError& e) {
        if (!giveRoot) {
            EXPECT_EQ(root, nullptr) << "a failed parse must free the tree it made";
        }
        return e.GetMessage();
    }
    if (!giveRoot)
        delete root;
    return "";
}

std::string Code(int line, int code)
{
    return "XML format error at line " + std::to_string(line) + ": code " + std::to_string(code);
}

std::string Attr(XMLNode* n, const std::string& name)
{
    XMLValue* v = n->GetAttribute(name);
    return v ? v->GetString() : "<none>";
}

// Parent links and both child lists agree everywhere below n.
void CheckTree(XMLNode* n, int depth = 0)
{
    std::vector<XMLNode*> kids;
    n->GetChildren(kids);
    for (XMLNode* c : kids) {
        ASSERT_EQ(c->GetParent(), n);
        std::vector<XMLNode*> same;
        n->GetChildrenByName(c->GetName(), same);
        ASSERT_NE(std::find(same.begin(), same.end(), c), same.end());
        if (depth < 200)
            CheckTree(c, depth + 1);
    }
}

} // namespace

TEST(XMLParser, RootsMadeOrGiven)
{
    auto r = ParseRoot("<a x='1' y=\"2\"/>");
    EXPECT_EQ(r->GetName(), "a");
    ASSERT_EQ(r->GetAttributes().size(), 2u);
    EXPECT_EQ(r->GetAttributes()[0]->name, "x");
    EXPECT_EQ(r->GetAttributes()[1]->name, "y");
    EXPECT_EQ(Attr(r.get(), "x"), "1");
    EXPECT_EQ(Attr(r.get(), "y"), "2");
    EXPECT_EQ(r->GetParent(), nullptr);

    EXPECT_EQ(ParseError("<a x='1'/><b/>"), Code(1, 12));
    EXPECT_EQ(ParseError("<a/>\n\n<!-- c -->"), Code(3, 12));

    XMLNode given;
    XMLNode* p = &given;
    XMLParser().ParseString(p, L"<?xml version=\"1.0\"?>\r\n<a/>\r\n<!-- note -->\r\n<b><c/></b>");
    EXPECT_EQ(p, &given);
    ASSERT_EQ(given.GetChildList().size(), 2u);
    EXPECT_EQ(given.GetChildList()[0]->GetName(), "a");
    EXPECT_EQ(given.GetChildList()[1]->GetName(), "b");
    EXPECT_EQ(given.GetChildList()[1]->GetChildList()[0]->GetName(), "c");
}

TEST(XMLParser, ElementText)
{
    auto r = ParseRoot("<a>\r\n  hello\r\n</a>");
    EXPECT_EQ(r->GetValue().GetForm(), XMLValue::kWide);
    EXPECT_EQ(r->GetValue().GetWideString(), L"\r\n  hello\r\n");
    r = ParseRoot("<a>  </a>");
    EXPECT_TRUE(r->GetValue().GetWideString().empty());
    // The later text wins; blanks after a closing tag stay in front of the next text.
    r = ParseRoot("<a>first<b/>second</a>");
    EXPECT_EQ(r->GetValue().GetString(), "second");
    r = ParseRoot("<a><b>in</b>  tail</a>");
    EXPECT_EQ(r->GetValue().GetString(), "  tail");
    EXPECT_EQ(r->GetChild("b")->GetValue().GetString(), "in");
    // No entities, verbatim values with line breaks, the other quote and '>'.
    r = ParseRoot("<a v='say \"hi\" &amp; >\nbye'>x &lt; y</a>");
    EXPECT_EQ(Attr(r.get(), "v"), "say \"hi\" &amp; >\nbye");
    EXPECT_EQ(r->GetValue().GetString(), "x &lt; y");
    r = ParseRoot("<a v=\"it's\"/>");
    // Values made by the parser are wide until asked for narrow text.
    EXPECT_EQ(r->GetAttribute("v")->GetForm(), XMLValue::kWide);
    EXPECT_EQ(Attr(r.get(), "v"), "it's");
}

TEST(XMLParser, StructuralFaults)
{
    EXPECT_EQ(ParseError("<a></b>"), Code(1, 2));
    EXPECT_EQ(ParseError("<a>\n<b>\n</a>"), Code(3, 2));
    EXPECT_EQ(ParseError("<a"), Code(1, 14));
    EXPECT_EQ(ParseError("<a></"), Code(1, 14));
    EXPECT_EQ(ParseError(""), Code(1, 15));
    EXPECT_EQ(ParseError("  \r\n\t "), Code(2, 15));
    EXPECT_EQ(ParseError("<?xml only?>"), Code(1, 15));
    EXPECT_EQ(ParseError("x<a/>"), Code(1, 13));
    EXPECT_EQ(ParseError("</a>"), Code(1, 0));
    EXPECT_EQ(ParseError("<>"), Code(1, 1));
    EXPECT_EQ(ParseError("<a>< \n></a>"), Code(2, 1));
    EXPECT_EQ(ParseError("<a x=1/>"), Code(1, 8));
    EXPECT_EQ(ParseError("<a x/>"), Code(1, 6));
    EXPECT_EQ(ParseError("<a x>"), Code(1, 10));
    EXPECT_EQ(ParseError("<a x=>"), Code(1, 11));
    EXPECT_EQ(ParseError("<a x='1>"), Code(1, 14)); // the quote runs to the end
    EXPECT_EQ(ParseError("<a =1>"), Code(1, 4));
    EXPECT_EQ(ParseError("<a x='1' x='2'/>"), Code(1, 7));
    EXPECT_EQ(ParseError("<a / x='1'>"), Code(1, 5));
    EXPECT_EQ(ParseError("<a x='1'/ >"), Code(1, 5));
    // A line feed inside an attribute value still counts.
    EXPECT_EQ(ParseError("<a v='1\n2\n'>\n</b>"), Code(4, 2));
    // With a root given, nodes before the fault stay attached to it.
    XMLNode given;
    XMLNode* p = &given;
    EXPECT_THROW(XMLParser().ParseString(p, L"<a/><b x=></b>"), FileError);
    ASSERT_EQ(given.GetChildList().size(), 2u);
    EXPECT_EQ(given.GetChildList()[1]->GetName(), "b");
    // Text outside the elements belongs to a given root: no fault.
    EXPECT_EQ(ParseError("<a/>x", true), "");
    EXPECT_EQ(ParseError("</a>", true), Code(1, 2)); // the given root has no name
}

TEST(XMLParser, DialectQuirks)
{
    // Unclosed elements are no error.
    auto r = ParseRoot("<a><b>");
    ASSERT_EQ(r->GetChildList().size(), 1u);
    EXPECT_EQ(r->GetChildList()[0]->GetName(), "b");
    // A comment needs the blank; without it, it is an element that stays open.
    EXPECT_EQ(ParseError("<a><!--x--><b/></a>"), Code(1, 2));
    r = ParseRoot("<a><!--x--><b/>");
    ASSERT_EQ(r->GetChildList().size(), 1u);
    EXPECT_EQ(r->GetChildList()[0]->GetName(), "!--x--");
    EXPECT_EQ(r->GetChildList()[0]->GetChildList()[0]->GetName(), "b");
    // A comment ends at the first '>' outside quotes; its quotes pair up.
    r = ParseRoot("<a><!-- it's > still' --><b/></a>");
    ASSERT_EQ(r->GetChildList().size(), 1u);
    EXPECT_EQ(r->GetChildList()[0]->GetName(), "b");
    EXPECT_EQ(ParseError("<a><!-- it's > still 'odd' --><b/></a>"), Code(1, 14));
    r = ParseRoot("<a><!-- no end needed ><b/></a>");
    EXPECT_EQ(r->GetChildList()[0]->GetName(), "b");
    // Blanks inside attribute names are dropped; names are case-sensitive.
    r = ParseRoot("<a b c = '1' B='2'/>");
    EXPECT_EQ(Attr(r.get(), "bc"), "1");
    EXPECT_EQ(Attr(r.get(), "B"), "2");
    EXPECT_EQ(ParseError("<a></A>"), Code(1, 2));
    // Closing tags may carry blanks after the name and between '<' and '/'.
    r = ParseRoot("<a>< /a  >");
    EXPECT_EQ(r->GetName(), "a");
    r = ParseRoot("<a><b></b \r\n></a>");
    EXPECT_EQ(r->GetChildList().size(), 1u);
    // Characters after a '/' inside the name still extend it.
    r = ParseRoot("<a/b>");
    EXPECT_EQ(r->GetName(), "ab");
    EXPECT_TRUE(r->GetChildList().empty());
    // An unterminated declaration runs to the end of the text.
    r = ParseRoot("<a><?never closed <b/>");
    EXPECT_TRUE(r->GetChildList().empty());
    // Tabs and line breaks between attributes.
    r = ParseRoot("<a\tx\n=\r\n'1'\ty='2'\n/>");
    EXPECT_EQ(Attr(r.get(), "x"), "1");
    EXPECT_EQ(Attr(r.get(), "y"), "2");
    // Non-ASCII names and values pass through.
    XMLNode* root = nullptr;
    XMLParser().ParseString(root, L"<a t='\u00e9\u4e2d'>\u00fc</a>");
    std::unique_ptr<XMLNode> owner(root);
    EXPECT_EQ(root->GetAttribute("t")->GetWideString(), L"\u00e9\u4e2d");
    EXPECT_EQ(root->GetValue().GetWideString(), L"\u00fc");
}

TEST(XMLParser, DeepNestingAndLargeInputs)
{
    // Unclosed elements may nest as deep as the file is long.
    const size_t liveBefore = KorvaneEngine::SmallObjectPool::GetLiveBlocks();
    std::wstring deep;
    for (int i = 0; i < 200000; ++i)
        deep += L"<a>";
    XMLNode* root = nullptr;
    XMLParser().ParseString(root, deep);
    int depth = 0;
    for (XMLNode* n = root; n; n = n->GetChildList().empty() ? nullptr : n->GetChildList()[0])
        ++depth;
    EXPECT_EQ(depth, 200000);
    delete root; // must not overflow the stack

    // The same depth with a fault at the end frees the partial tree.
    deep += L"</b>";
    root = nullptr;
    EXPECT_THROW(XMLParser().ParseString(root, deep), FileError);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(KorvaneEngine::SmallObjectPool::GetLiveBlocks(), liveBefore);
}

TEST(XMLParser, RoundTripOfGeneratedTrees)
{
    // Random trees written in the dialect read back exactly.
    KorvaneEngine::SetRandomSeed(99);
    for (int doc = 0; doc < 300; ++doc) {
        std::string text;
        std::function<void(int)> write = [&](int depth) {
            std::string name = "n" + std::to_string(KorvaneEngine::RandomInt(0, 3));
            text += "<" + name;
            int attrs = KorvaneEngine::RandomInt(0, 3);
            for (int i = 0; i < attrs; ++i) {
                char q = KorvaneEngine::RandomInt(0, 1) ? '\'' : '"';
                char other = q == '\'' ? '"' : '\'';
                text += std::string(KorvaneEngine::RandomInt(1, 2), ' ') + "k" + std::to_string(i) + " = " + q + "v" +
                        other + std::to_string(KorvaneEngine::Random()) + ">" + q;
            }
            int kids = depth < 4 ? KorvaneEngine::RandomInt(0, 3) : 0;
            if (!kids && KorvaneEngine::RandomInt(0, 1)) {
                text += "/>";
                return;
            }
            text += ">";
            for (int i = 0; i < kids; ++i) {
                text += "\r\n  ";
                write(depth + 1);
            }
            text += "\r\n<!-- c -->t" + std::to_string(depth) + "</" + name + " >";
        };
        write(0);
        SCOPED_TRACE(text);
        auto r = ParseRoot(text);
        // Re-serialise what was read and compare with the generated text.
        std::string back;
        std::function<void(XMLNode*)> print = [&](XMLNode* n) {
            back += "<" + n->GetName();
            for (XMLAttribute* a : n->GetAttributes())
                back += " " + a->name + "=" + a->value.GetString();
            back += ">";
            for (XMLNode* c : n->GetChildList())
                print(c);
            back += n->GetValue().GetString() + "</>";
        };
        print(r.get());
        std::string expect;
        // The same projection of the generated text, by a second reading of the
        // generator's rules: strip quotes, blanks and comments.
        {
            std::string s = text;
            size_t pos;
            while ((pos = s.find("\r\n<!-- c -->")) != std::string::npos)
                s.erase(pos, 12);
            while ((pos = s.find("\r\n  ")) != std::string::npos)
                s.erase(pos, 4);
            std::string out;
            bool inQ = false;
            char q = 0;
            for (size_t i = 0; i < s.size(); ++i) {
                char c = s[i];
                if (inQ) {
                    if (c == q)
                        inQ = false;
                    else
                        out += c;
                    continue;
                }
                if (c == '\'' || c == '"') {
                    inQ = true;
                    q = c;
                    continue;
                }
                if (c == '=' ) {
                    while (!out.empty() && out.back() == ' ')
                        out.pop_back();
                    out += '=';
                    while (i + 1 < s.size() && s[i + 1] == ' ')
                        ++i;
                    continue;
                }
                if (c == ' ' && !out.empty() && out.back() == ' ')
                    continue;
                out += c;
            }
            // Self-closing and closing tags both end an element.
            size_t from = 0;
            while ((pos = out.find("/>", from)) != std::string::npos) {
                out.replace(pos, 2, "></>");
                from = pos + 4;
            }
            from = 0;
            while ((pos = out.find("</n", from)) != std::string::npos) {
                size_t end = out.find('>', pos);
                out.replace(pos, end - pos + 1, "</>");
                from = pos + 3;
            }
            expect = out;
        }
        ASSERT_EQ(back, expect);
        CheckTree(r.get());
    }
}

TEST(XMLParser, TruncatedDocumentsAndGarbageNeverCrash)
{
    const std::string doc =
        "<?xml version=\"1.0\"?>\r\n<window name='main' size=\"800 600\">\r\n  <!-- buttons -->\r\n"
        "  <button id=\"ok\" text='O\"K'/>\r\n  <text>Hello &amp; bye</text>\r\n  <list><i/><i v='2'/></list>\r\n"
        "</window>\r\n";
    int failures = 0, successes = 0;
    // Every node and attribute comes from the pool: its count shows leaks.
    const size_t liveBefore = KorvaneEngine::SmallObjectPool::GetLiveBlocks();
    auto check = [&](const std::wstring& text) {
        for (int given = 0; given < 2; ++given) {
            std::unique_ptr<XMLNode> owner(given ? new XMLNode() : nullptr);
            XMLNode* root = owner.get();
            try {
                XMLParser().ParseString(root, text);
                ++successes;
                ASSERT_NE(root, nullptr);
                CheckTree(root);
                if (!given)
                    owner.reset(root);
            } catch (const FileError& e) {
                ++failures;
                const std::string& m = e.GetMessage();
                const std::string prefix = "XML format error at line ";
                ASSERT_EQ(m.compare(0, prefix.size(), prefix), 0) << m;
                size_t colon = m.find(": code ");
                ASSERT_NE(colon, std::string::npos) << m;
                int line = std::stoi(m.substr(prefix.size(), colon - prefix.size()));
                int code = std::stoi(m.substr(colon + 7));
                int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
                ASSERT_GE(line, 1);
                ASSERT_LE(line, lines);
                ASSERT_TRUE(code >= 0 && code <= 15 && code != 3) << m;
                if (!given)
                    ASSERT_EQ(root, nullptr);
                else
                    ASSERT_EQ(root, owner.get());
            }
        }
    };
    // Every prefix of a real document.
    for (size_t n = 0; n <= doc.size(); ++n)
        check(W(doc.substr(0, n)));
    EXPECT_EQ(ParseError(doc.substr(0, doc.size() - 3)), Code(7, 14));

    // Random mixtures of the dialect's own pieces, and random 16-bit garbage.
    const char* pieces[] = {"<", ">", "/", "=", "'", "\"", "a", "b", " ", "\r\n", "?", "!--", "<a>", "</a>", "<b/>",
                            "<!-- ", "x='1'", "<?", "?>", "\t", "<a x='", "/>"};
    const int pieceCount = sizeof(pieces) / sizeof(pieces[0]);
    KorvaneEngine::SetRandomSeed(2024);
    for (int i = 0; i < 3000; ++i) {
        std::string s;
        int len = KorvaneEngine::RandomInt(0, 40);
        for (int k = 0; k < len; ++k)
            s += pieces[KorvaneEngine::RandomInt(0, pieceCount - 1)];
        check(W(s));
    }
    for (int i = 0; i < 1000; ++i) {
        std::wstring s;
        int len = KorvaneEngine::RandomInt(0, 60);
        for (int k = 0; k < len; ++k)
            s += static_cast<wchar_t>(KorvaneEngine::RandomInt(0, 1) ? KorvaneEngine::RandomInt(0, 127)
                                                                      : KorvaneEngine::RandomInt(1, 65535));
        check(s);
    }
    // Random bit flips of the real document.
    for (int i = 0; i < 1000; ++i) {
        std::string s = doc;
        int flips = KorvaneEngine::RandomInt(1, 4);
        for (int k = 0; k < flips; ++k)
            s[KorvaneEngine::RandomInt(0, static_cast<int>(s.size()) - 1)] ^= 1 << KorvaneEngine::RandomInt(0, 6);
        check(W(s));
    }
    EXPECT_GT(failures, 1000);
    EXPECT_GT(successes, 100);
    EXPECT_EQ(KorvaneEngine::SmallObjectPool::GetLiveBlocks(), liveBefore);
}

TEST(XMLNode, ChildrenAndOwnership)
{
    XMLNode root;
    XMLNode* a = new XMLNode("item", &root);
    XMLNode* b = new XMLNode("other", &root);
    XMLNode* c = new XMLNode("item", &root);
    XMLNode* d = new XMLNode("item", "v", &root);
    EXPECT_EQ(d->GetValue().GetString(), "v");
    EXPECT_EQ(root.GetChild("item"), a);
    std::vector<XMLNode*> out{b};
    root.GetChildrenByName("item", out);
    EXPECT_EQ(out, (std::vector<XMLNode*>{a, c, d}));
    root.GetChildren(out);
    EXPECT_EQ(out, (std::vector<XMLNode*>{a, b, c, d}));

    // Deleting a child that still has its parent takes it out of both lists.
    delete a;
    EXPECT_EQ(root.GetChild("item"), c);
    root.GetChildren(out);
    EXPECT_EQ(out, (std::vector<XMLNode*>{b, c, d}));

    // Moving a child between parents.
    XMLNode other;
    other.AddChild(c);
    EXPECT_EQ(c->GetParent(), &other);
    root.GetChildrenByName("item", out);
    EXPECT_EQ(out, (std::vector<XMLNode*>{d}));
    // A node is never made a child of itself or of its own subtree.
    XMLNode* e = c->CreateChild();
    e->AddChild(c);
    e->AddChild(e);
    EXPECT_EQ(c->GetParent(), &other);
    EXPECT_EQ(e->GetParent(), c);

    // RemoveChild ignores strangers and null, deletes its own.
    root.RemoveChild(nullptr);
    root.RemoveChild(c);
    EXPECT_EQ(c->GetParent(), &other);
    root.RemoveChild(b);
    root.GetChildren(out);
    EXPECT_EQ(out, (std::vector<XMLNode*>{d}));
    EXPECT_EQ(root.GetChild("other"), nullptr);

    // Attributes: set, overwrite, find.
    d->SetAttribute("k", L"1");
    d->SetAttribute("j", L"2");
    d->SetAttribute("k", L"3");
    ASSERT_EQ(d->GetAttributes().size(), 2u);
    EXPECT_EQ(d->GetAttributes()[0]->value.GetWideString(), L"3");
    EXPECT_TRUE(d->HasAttribute("j"));
    EXPECT_FALSE(d->HasAttribute("J"));
    EXPECT_EQ(d->FindAttribute("zz"), nullptr);
    EXPECT_EQ(d->FindAttribute("j")->name, "j");
}

TEST(XMLNode, MissingNamesAreReportedWithTheirPath)
{
    KorvaneEngine::MessageManager log("xmltest", false, false, "", "");
    XMLNode root; // unnamed: adds nothing to paths
    XMLNode* a = new XMLNode("a", &root);
    XMLNode* b = new XMLNode("b", a);
    EXPECT_EQ(b->GetAttribute("x", kReportError), nullptr);
    ASSERT_EQ(log.GetHistorySize(), 1);
    EXPECT_EQ(log.GetHistoryRecord(0)->level, 3u);
    EXPECT_EQ(log.GetHistoryRecord(0)->text, "\nError: Failed to find \"x\" attribute in \"/a/b\" node!\n\n");
    EXPECT_EQ(a->GetChild("size", kReportWarning), nullptr);
    ASSERT_EQ(log.GetHistorySize(), 2);
    EXPECT_EQ(log.GetHistoryRecord(1)->level, 2u);
    EXPECT_EQ(log.GetHistoryRecord(1)->text, "\nWarning: Failed to find \"/a/size\" node!\n\n");
    EXPECT_EQ(b->GetChild("q", kReportSilent), nullptr);
    EXPECT_EQ(b->GetChild("q", 7), nullptr);
    EXPECT_EQ(log.GetHistorySize(), 2);
    EXPECT_THROW(b->GetChild("q", kReportFatal), KorvaneEngine::FatalError);
    EXPECT_EQ(log.GetHistorySize(), 3);
    EXPECT_EQ(log.GetHistoryRecord(2)->level, 4u);
}

TEST(XMLValue, NumbersFlagsAndLists)
{
    XMLValue v;
    EXPECT_EQ(v.GetForm(), XMLValue::kBoth);
    v.SetWideString(L"  12.5xyz");
    EXPECT_EQ(v.GetForm(), XMLValue::kWide);
    EXPECT_FLOAT_EQ(v.GetFloat(), 12.5f);
    EXPECT_EQ(v.GetInt(), 12);
    v.SetString("true");
    EXPECT_FALSE(v.GetBool());
    v.SetString("yes");
    EXPECT_FALSE(v.GetBool());
    v.SetString("2");
    EXPECT_TRUE(v.GetBool());
    v.SetString("0");
    EXPECT_FALSE(v.GetBool());

    v.SetString("1 2");
    KorvaneEngine::Vector3 v3 = v.GetVector3();
    EXPECT_EQ(v3.x, 1);
    EXPECT_EQ(v3.y, 2);
    EXPECT_EQ(v3.z, 0);
    v.SetString("1, 2, 3, 4");
    v3 = v.GetVector3();
    EXPECT_EQ(v3.z, 3);
    v.SetString("");
    v3 = v.GetVector3();
    EXPECT_EQ(v3.x + v3.y + v3.z, 0);
    v.SetWideString(L"255;128;0;255");
    KorvaneEngine::Vector4 c = v.GetVector4();
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 128);
    EXPECT_EQ(c.b, 0);
    EXPECT_EQ(c.a, 255);
    v.SetString("1e3 word -2.5,,+4");
    float f[5] = {9, 9, 9, 9, 9};
    v.GetFloats(f, 5);
    EXPECT_EQ(f[0], 1000);
    EXPECT_EQ(f[1], 0);
    EXPECT_EQ(f[2], -2.5f);
    EXPECT_EQ(f[3], 4);
    EXPECT_EQ(f[4], 9); // past the last number: untouched
    v.SetString("(7 | -8)");
    KorvaneEngine::Vector2i i2 = v.GetVector2i();
    EXPECT_EQ(i2.x, 7);
    EXPECT_EQ(i2.y, -8);
    KorvaneEngine::Vector2 v2 = v.GetVector2();
    EXPECT_EQ(v2.y, -8);
    int ints[2] = {5, 5};
    v.SetString("3.9");
    v.GetInts(ints, 2);
    EXPECT_EQ(ints[0], 3);
    EXPECT_EQ(ints[1], 5);
}

TEST(XMLValue, FormsConvertOnce)
{
    auto r = ParseRoot("<a v='1.5'>x</a>");
    XMLValue* v = r->GetAttribute("v");
    EXPECT_EQ(v->GetForm(), XMLValue::kWide);
    EXPECT_EQ(v->GetString(), "1.5");
    EXPECT_EQ(v->GetForm(), XMLValue::kBoth);
    EXPECT_FLOAT_EQ(v->GetFloat(), 1.5f);
    XMLValue n;
    n.SetString("abc");
    EXPECT_EQ(n.GetWideString(), L"abc");
    EXPECT_EQ(n.GetForm(), XMLValue::kBoth);
}

TEST(XMLQuery, StepsAndPredicates)
{
    XMLNode doc;
    XMLNode* p = &doc;
    XMLParser().ParseString(p, L"<faders><fader name='y' t='1'/><fader name='x' t='2'/><fader name='x' t='3' k='z'/>"
                               L"<other name='x'/></faders>"
                               L"<a><p name='t' n='1'/><q name='t' n='2'>text</q></a><a><r name='t' n='3'/></a>"
                               L"<d><e><f name='x/y'/></e></d>");
    XMLNode* f = FindXMLNode(&doc, "/faders/fader[name='x']");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Attr(f, "t"), "2");
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[name='X']"), nullptr);
    // Every child of every "a" whatever its name, in document order.
    XMLValue* n = FindXMLAttribute(&doc, "a/[name=\"t\"]", "n");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->GetString(), "1");
    // The first matching node that has the attribute.
    XMLValue* k = FindXMLAttribute(&doc, "faders/fader[name='x']", "k");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->GetString(), "z");
    EXPECT_EQ(FindXMLAttribute(&doc, "faders/fader", "nope"), nullptr);
    XMLValue* text = FindXMLValue(&doc, "a/q");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetString(), "text");
    XMLValue* empty = FindXMLValue(&doc, "a/p");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->GetString().empty());
    EXPECT_EQ(FindXMLValue(&doc, "a/zz"), nullptr);
    // A result in the second "a": depth-first order across branches.
    EXPECT_EQ(Attr(FindXMLNode(&doc, "a/[n='3']"), "name"), "t");

    // Empty query and "/" give the start node; null start gives nothing.
    EXPECT_EQ(FindXMLNode(&doc, ""), &doc);
    EXPECT_EQ(FindXMLNode(&doc, "/"), &doc);
    EXPECT_EQ(FindXMLNode(&doc, "//faders//"), doc.GetChild("faders"));
    EXPECT_EQ(FindXMLNode(nullptr, "faders"), nullptr);

    // Malformed queries find nothing.
    EXPECT_EQ(FindXMLNode(&doc, "a[name='x/y']/b"), nullptr);
    EXPECT_EQ(FindXMLNode(&doc, "d/e/f[name='x/y']"), nullptr); // the slash splits the last step too
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[name]"), nullptr);
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[name='x"), nullptr);
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[name=x]"), nullptr);
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[=x]"), nullptr);
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[name,='x']"), nullptr);
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader]name='x'["), nullptr);
    EXPECT_EQ(FindXMLNode(&doc, "faders]"), nullptr);

    // Two conditions, with blanks and separators, or simply following each other.
    f = FindXMLNode(&doc, "faders/fader[ name = 'x' ; t = \"3\" ]");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Attr(f, "k"), "z");
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[name='x't='3']"), f);
    EXPECT_EQ(FindXMLNode(&doc, "faders/fader[,name='x',,t='3',]"), f);
    // No conditions at all parses and matches every candidate.
    EXPECT_EQ(Attr(FindXMLNode(&doc, "faders/fader[]"), "name"), "y");
    // Text between ']' and the next '/' is ignored.
    EXPECT_EQ(FindXMLNode(&doc, "faders[]junk/other"), doc.GetChild("faders")->GetChild("other"));
    // Values keep blanks and the other quote.
    XMLNode* leaf = doc.CreateChild();
    leaf->SetAttribute("v", L"a \"b\"");
    EXPECT_EQ(FindXMLNode(&doc, "[v='a \"b\"']"), leaf);
}
