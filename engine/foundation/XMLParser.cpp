#include "engine/foundation/XMLParser.h"

#include <cwctype>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/FileTextual.h"
#include "engine/foundation/StringUtils.h"

using namespace KorvaneEngine;

namespace GameTools {

namespace {

// ASCII is answered here (the runtime gives the same answers in every locale);
// other characters go to the runtime's classification.
inline bool IsVisible(wchar_t c)
{
    return c < 128 ? (c > 0x20 && c < 0x7F) : std::iswgraph(c) != 0;
}

inline bool IsBlank(wchar_t c)
{
    return c < 128 ? (c == 0x20 || (c >= 0x09 && c <= 0x0D)) : std::iswspace(c) != 0;
}

inline bool IsQuote(wchar_t c)
{
    return c == L'"' || c == L'\'';
}

// Names are nearly always ASCII, which every code page maps to itself.
std::string ToNarrowName(const std::wstring& w)
{
    for (wchar_t c : w)
        if (c >= 128)
            return WideToNarrow(w);
    return std::string(w.begin(), w.end());
}

struct Fault {
    int code;
};

// One run of the state machine. Tag text and element text are contiguous
// stretches of the input, so they are kept as index ranges and copied only
// when they become names or values.
class Run {
public:
    explicit Run(XMLNode*& root) : root_(root), current_(root) {}

    void Parse(const std::wstring& text);
    unsigned GetLine() const { return line_; }

private:
    static const size_t kNone = static_cast<size_t>(-1);

    bool ClosingNameMatches(const wchar_t* tag, size_t n) const;
    void OpeningTag(const wchar_t* tag, size_t n);
    void CreateElement(XMLNode* parent);

    XMLNode*& root_;
    XMLNode* current_;
    std::wstring elementText_;
    bool elementHasText_ = false; // elementText_ holds a character that is not white space
    unsigned line_ = 1;
    // Buffers of the tag scan, kept between tags.
    std::wstring name_, attrName_;
    std::string narrow_;
};

void Run::Parse(const std::wstring& text)
{
    const wchar_t* s = text.data();
    const size_t n = text.size();
    bool inTag = false, closing = false, inQuotes = false;
    wchar_t quoteChar = 0;
    size_t tagStart = kNone; // first character of the tag text; kNone while it is empty
    size_t runStart = 0;     // first character of the text since the last tag
    for (size_t i = 0; i < n; ++i) {
        const wchar_t ch = s[i];
        if (ch == L'\n')
            ++line_;

        if (!inTag) {
            if (ch == L'<') {
                inTag = true;
                if (current_) {
                    elementText_.append(s + runStart, i - runStart);
                    if (elementHasText_) {
                        current_->GetValue().SetWideString(elementText_);
                        elementText_.clear();
                        elementHasText_ = false;
                    }
                }
                if (!current_ && root_)
                    throw Fault{12};
            } else if (current_) {
                if (!elementHasText_ && !IsBlank(ch))
                    elementHasText_ = true;
            } else if (IsVisible(ch)) {
                throw Fault{13};
            }
            continue;
        }

        if (tagStart == kNone) {
            if (ch == L'/') {
                if (!current_)
                    throw Fault{0};
                closing = true;
            } else if (ch == L'?') {
                // A declaration: skipped through the next '>' (or to the end).
                for (++i; i < n; ++i) {
                    if (s[i] == L'\n')
                        ++line_;
                    if (s[i] == L'>')
                        break;
                }
                inTag = false;
                closing = false;
                runStart = i + 1;
            } else if (ch == L'>') {
                throw Fault{1};
            } else if (IsVisible(ch)) {
                // Even a quote only starts the text here; it opens no value.
                tagStart = i;
            }
            // Blanks right after '<' (or "</") are dropped.
            continue;
        }

        if (IsQuote(ch)) {
            if (!inQuotes) {
                inQuotes = true;
                quoteChar = ch;
            } else if (ch == quoteChar) {
                inQuotes = false;
            }
            continue;
        }
        if (inQuotes || ch != L'>')
            continue;

        const wchar_t* tag = s + tagStart;
        const size_t tagLength = i - tagStart;
        if (closing) {
            if (!ClosingNameMatches(tag, tagLength))
                throw Fault{2};
            current_ = current_->GetParent();
            closing = false;
        } else {
            OpeningTag(tag, tagLength);
            elementText_.clear();
            elementHasText_ = false;
        }
        tagStart = kNone;
        inTag = false;
        runStart = i + 1;
    }
    if (inTag || closing)
        throw Fault{14};
    if (!root_)
        throw Fault{15};
}

bool Run::ClosingNameMatches(const wchar_t* tag, size_t n) const
{
    const std::string& name = current_->GetName();
    size_t end = n;
    bool ascii = true;
    for (size_t k = 0; k < n; ++k)
        if (tag[k] >= 128)
            ascii = false;
    if (!ascii)
        return TrimRightCopy(WideToNarrow(std::wstring(tag, n))) == name;
    while (end > 0 && IsBlank(tag[end - 1]))
        --end;
    if (end != name.size())
        return false;
    for (size_t k = 0; k < end; ++k)
        if (static_cast<unsigned char>(name[k]) != tag[k])
            return false;
    return true;
}

void Run::CreateElement(XMLNode* parent)
{
    current_ = new XMLNode(ToNarrowName(name_), parent);
    // Only the first element of a file read without a root has no parent; it is
    // the root from now on, so a fault later in its own tag still frees it.
    if (!root_)
        root_ = current_;
}

void Run::OpeningTag(const wchar_t* tag, size_t n)
{
    XMLNode* const parent = current_;
    current_ = nullptr;
    name_.clear();
    attrName_.clear();
    size_t valueStart = 0;
    bool nameDone = false, expectName = false, afterEquals = false, inValue = false, selfClosing = false;
    wchar_t quote = 0;
    for (size_t j = 0; j < n; ++j) {
        const wchar_t d = tag[j];
        const bool visible = IsVisible(d);
        if (name_.empty()) {
            if (visible)
                name_.push_back(d);
            continue;
        }
        if (!visible) {
            if (!nameDone) {
                if (name_ == L"!--") {
                    current_ = parent; // a comment: nothing else of the tag counts
                    return;
                }
                nameDone = true;
                expectName = true;
                CreateElement(parent);
            }
            // Blanks inside a value stay in it; elsewhere they do not count.
            continue;
        }
        if (!nameDone) {
            if (d == L'/')
                selfClosing = true;
            else
                name_.push_back(d);
            continue;
        }
        if (expectName) {
            if (d == L'=') {
                if (attrName_.empty())
                    throw Fault{4};
                expectName = false;
                afterEquals = true;
            } else if (d == L'/') {
                if (!attrName_.empty())
                    throw Fault{6};
                if (j + 1 != n)
                    throw Fault{5};
                selfClosing = true;
            } else {
                attrName_.push_back(d);
            }
            continue;
        }
        if (inValue) {
            if (d == quote) {
                if (!current_->AddNewAttribute(ToNarrowName(attrName_), std::wstring(tag + valueStart, j - valueStart)))
                    throw Fault{7};
                attrName_.clear();
                afterEquals = false;
                inValue = false;
                expectName = true;
            }
            continue;
        }
        if (afterEquals) {
            if (!IsQuote(d))
                throw Fault{8};
            inValue = true;
            quote = d;
            valueStart = j + 1;
        }
    }
    if (name_.empty())
        throw Fault{9};
    if (expectName && !attrName_.empty())
        throw Fault{10};
    if (afterEquals)
        throw Fault{11};
    if (!nameDone)
        CreateElement(parent);
    if (selfClosing)
        current_ = parent;
}

} // namespace

XMLParser::XMLParser() {}

XMLParser::~XMLParser() {}

void XMLParser::ParseFile(XMLNode*& root, const std::string& fileName)
{
    FileManager* files = FileManager::Instance();
    // Without an engine (tools, tests) the file is read from disk alone.
    std::unique_ptr<FileTextual> file(files ? files->OpenTextFile(fileName, FileTextual::kRead, FileTextual::kAnsi)
                                            : new FileTextual(fileName, FileTextual::kRead, FileTextual::kAnsi));
    ParseText(root, file.get());
}

void XMLParser::ParseFile(XMLNode* const& root, const std::string& fileName)
{
    XMLNode* r = root;
    ParseFile(r, fileName);
    if (!root)
        delete r;
}

void XMLParser::Parse(XMLNode* root, FileTextual* file)
{
    XMLNode* r = root;
    ParseText(r, file);
    if (!root)
        delete r;
}

void XMLParser::ParseText(XMLNode*& root, FileTextual* file)
{
    std::wstring text;
    file->ReadAll(text, false);
    ParseString(root, text);
}

void XMLParser::ParseString(XMLNode*& root, const std::wstring& text)
{
    const bool createdRoot = root == nullptr;
    Run run(root);
    try {
        run.Parse(text);
    } catch (const Fault& f) {
        if (createdRoot) {
            delete root;
            root = nullptr;
        }
        throw FileError("XML format error at line " + std::to_string(run.GetLine()) + ": code " +
                        std::to_string(f.code));
    } catch (...) {
        // Out of memory on a huge file: the tree the caller cannot see is freed.
        if (createdRoot) {
            delete root;
            root = nullptr;
        }
        throw;
    }
}

} // namespace GameTools
