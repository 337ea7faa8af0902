#include "engine/foundation/StringUtils.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace KorvaneEngine {

namespace {

// printf into a string sized to fit the result.
std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&out[0], out.size(), format, args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

// Builds "%0.<count><conv>" (or the plain "%<conv>" for a count of 0).
std::string CountedFormat(int count, const char* conversion, bool plainWhenZero)
{
    if (count == 0 && plainWhenZero)
        return std::string("%") + conversion;
    return "%0." + Format("%i", count) + conversion;
}

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

} // namespace

float StringToFloat(const std::string& text) { return static_cast<float>(std::atof(text.c_str())); }
float StringToFloat(const std::wstring& text) { return static_cast<float>(std::wcstod(text.c_str(), nullptr)); }

int StringToInt(const std::string& text, int base)
{
    if (base == 10)
        return std::atoi(text.c_str());
    return static_cast<int>(std::strtol(text.c_str(), nullptr, base));
}

int StringToInt(const std::wstring& text, int base)
{
    if (base == 10)
        return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, base));
}

unsigned StringToUnsigned(const std::string& text, int base)
{
    return static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, base));
}

bool StringToBool(const std::string& text) { return StringToInt(text, 10) != 0; }
bool StringToBool(const std::wstring& text) { return StringToInt(text, 10) != 0; }

std::string FloatToString(float value, int decimals)
{
    return Format(CountedFormat(decimals, "f", false).c_str(), static_cast<double>(value));
}
std::wstring FloatToWideString(float value, int decimals) { return Widen(FloatToString(value, decimals)); }

std::string UnsignedToString(unsigned value, int digits)
{
    return Format(CountedFormat(digits, "u", true).c_str(), value);
}
std::wstring UnsignedToWideString(unsigned value, int digits) { return Widen(UnsignedToString(value, digits)); }

std::string IntToString(int value, int digits)
{
    return Format(CountedFormat(digits, "i", true).c_str(), value);
}
std::wstring IntToWideString(int value, int digits) { return Widen(IntToString(value, digits)); }

std::string UnsignedToHexString(unsigned value, int digits)
{
    return Format(CountedFormat(digits, "X", true).c_str(), value);
}

std::string BoolToString(bool value) { return value ? "1" : "0"; }

void ToUpper(std::string& text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
void ToUpper(std::wstring& text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
}
void ToLower(std::string& text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
void ToLower(std::wstring& text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
}
std::string ToUpperCopy(const std::string& text) { std::string t = text; ToUpper(t); return t; }
std::string ToLowerCopy(const std::string& text) { std::string t = text; ToLower(t); return t; }
std::wstring ToLowerCopy(const std::wstring& text) { std::wstring t = text; ToLower(t); return t; }

namespace {
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsSpace(wchar_t c) { return std::iswspace(c) != 0; }

template <class S> void TrimLeftT(S& text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    text.erase(0, i);
}
template <class S> void TrimRightT(S& text)
{
    size_t n = text.size();
    while (n > 0 && IsSpace(text[n - 1]))
        --n;
    text.erase(n);
}
template <class S> void ReplaceAllT(S& text, const S& from, const S& to)
{
    if (from.empty())
        return;
    size_t p = 0;
    for (;;) {
        size_t found = text.find(from, p);
        if (found == S::npos)
            return;
        text.replace(found, from.size(), to);
        p = found + to.size();
    }
}
} // namespace

void TrimLeft(std::string& text) { TrimLeftT(text); }
void TrimLeft(std::wstring& text) { TrimLeftT(text); }
void TrimRight(std::string& text) { TrimRightT(text); }
void TrimRight(std::wstring& text) { TrimRightT(text); }
void Trim(std::string& text) { TrimLeft(text); TrimRight(text); }

void TrimLeft(std::string& text, char character)
{
    size_t i = 0;
    while (i < text.size() && text[i] == character)
        ++i;
    text.erase(0, i);
}

std::string TrimRightCopy(const std::string& text) { std::string t = text; TrimRight(t); return t; }
std::wstring TrimRightCopy(const std::wstring& text) { std::wstring t = text; TrimRight(t); return t; }
std::wstring TrimLeftCopy(const std::wstring& text) { std::wstring t = text; TrimLeft(t); return t; }
std::wstring TrimCopy(const std::wstring& text) { return TrimLeftCopy(TrimRightCopy(text)); }

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) { ReplaceAllT(text, from, to); }
void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) { ReplaceAllT(text, from, to); }

void ReplaceNameVariable(std::string& text, const std::string& name, int value)
{
    const std::string opening = "%" + name;
    const size_t start = text.find(opening);
    if (start == std::string::npos)
        return;
    const size_t widthStart = start + opening.size();
    const size_t end = text.find('%', widthStart);
    if (end == std::string::npos)
        return;
    const std::string token = text.substr(start, end - start + 1);
    const std::string widthText = text.substr(widthStart, end - widthStart);
    unsigned width = widthText.empty() ? 0u : StringToUnsigned(widthText, 10);
    if (width > kMaxNameVariableDigits)
        width = kMaxNameVariableDigits;
    const int digits = static_cast<int>(width);
    ReplaceAll(text, token, value >= 0 ? UnsignedToString(static_cast<unsigned>(value), digits) : IntToString(value, digits));
}

std::wstring ReplaceAllCopy(const std::wstring& text, const std::wstring& from, const std::wstring& to)
{
    std::wstring t = text;
    ReplaceAll(t, from, to);
    return t;
}

void ReplaceAllNoCase(std::wstring& text, const std::wstring& from, const std::wstring& to)
{
    if (from.empty())
        return;
    // The lower-case copy is edited alongside so positions stay aligned.
    std::wstring lower = ToLowerCopy(text);
    const std::wstring pattern = ToLowerCopy(from);
    size_t p = 0;
    for (;;) {
        size_t found = lower.find(pattern, p);
        if (found == std::wstring::npos)
            return;
        text.replace(found, from.size(), to);
        lower.replace(found, pattern.size(), to);
        p = found + to.size();
    }
}

void RemoveAll(std::string& text, const std::string& what) { ReplaceAll(text, what, std::string()); }
std::wstring RemoveAllCopy(const std::wstring& text, const std::wstring& what)
{
    return ReplaceAllCopy(text, what, std::wstring());
}

void AppendNarrowToWide(const char* text, size_t size, std::wstring& out)
{
    std::mbtowc(nullptr, nullptr, 0); // reset the shift state
    const char* p = text;
    const char* end = p + size;
    while (p < end) {
        // ASCII is itself in every code page and never part of a longer
        // character here; skipping the runtime call for it makes text files
        // several times faster to read.
        const unsigned char b = static_cast<unsigned char>(*p);
        if (b < 0x80) {
            if (b == 0)
                break;
            out += static_cast<wchar_t>(b);
            ++p;
            continue;
        }
        wchar_t wc = 0;
        const size_t left = static_cast<size_t>(end - p), most = static_cast<size_t>(MB_CUR_MAX);
        int n = std::mbtowc(&wc, p, left < most ? left : most);
        if (n == 0)
            break;
        if (n < 0) {
            std::mbtowc(nullptr, nullptr, 0);
            ++p;
            continue;
        }
        out += wc;
        p += n;
    }
}

std::wstring NarrowToWide(const std::string& text)
{
    std::wstring result;
    result.reserve(text.size());
    AppendNarrowToWide(text.c_str(), text.size(), result);
    return result;
}

std::string WideToNarrow(const std::wstring& text)
{
    std::string result;
    std::vector<char> buffer(MB_CUR_MAX > 0 ? MB_CUR_MAX : 1);
    std::wctomb(nullptr, 0);
    for (wchar_t wc : text) {
        if (wc == 0)
            break;
        int n = std::wctomb(buffer.data(), wc);
        if (n == 0)
            break;
        if (n < 0)
            continue;
        result.append(buffer.data(), static_cast<size_t>(n));
    }
    return result;
}

} // namespace KorvaneEngine
