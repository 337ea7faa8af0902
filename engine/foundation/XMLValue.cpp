#include "engine/foundation/XMLValue.h"

#include <cwctype>

#include "engine/foundation/StringUtils.h"

using namespace KorvaneEngine;

namespace GameTools {

XMLValue::~XMLValue() {}

const std::string& XMLValue::GetString()
{
    if (form_ == kWide) {
        narrow_ = WideToNarrow(wide_);
        form_ = kBoth;
    }
    return narrow_;
}

const std::wstring& XMLValue::GetWideString()
{
    if (form_ == kNarrow) {
        wide_ = NarrowToWide(narrow_);
        form_ = kBoth;
    }
    return wide_;
}

void XMLValue::SetString(const std::string& text)
{
    narrow_ = text;
    form_ = kNarrow;
}

void XMLValue::SetWideString(const std::wstring& text)
{
    wide_ = text;
    form_ = kWide;
}

void XMLValue::SetWideString(std::wstring&& text)
{
    wide_ = std::move(text);
    form_ = kWide;
}

float XMLValue::GetFloat() const
{
    return form_ == kWide ? StringToFloat(wide_) : StringToFloat(narrow_);
}

int XMLValue::GetInt() const
{
    return form_ == kWide ? StringToInt(wide_, 10) : StringToInt(narrow_, 10);
}

namespace {

inline bool IsNumberChar(wint_t c)
{
    return c == L'+' || c == L'-' || c == L'.' || std::iswalnum(c);
}

template <class T> T ParseToken(const std::string& token);
template <> float ParseToken<float>(const std::string& token) { return StringToFloat(token); }
template <> int ParseToken<int>(const std::string& token) { return StringToInt(token, 10); }
template <class T> T ParseToken(const std::wstring& token);
template <> float ParseToken<float>(const std::wstring& token) { return StringToFloat(token); }
template <> int ParseToken<int>(const std::wstring& token) { return StringToInt(token, 10); }

// A token's value is stored when the token ends (at a separator or at the end
// of the text); that is the last of the values it would have had while growing.
template <class T, class S> void ReadNumberList(const S& text, T* out, int n)
{
    if (n <= 0)
        return;
    S token;
    int k = 0;
    for (auto ch : text) {
        wint_t c = sizeof(ch) == 1 ? static_cast<unsigned char>(ch) : static_cast<wint_t>(ch);
        if (IsNumberChar(c)) {
            token.push_back(ch);
            continue;
        }
        if (!token.empty()) {
            out[k++] = ParseToken<T>(token);
            token.clear();
            if (k == n)
                return;
        }
    }
    if (!token.empty())
        out[k] = ParseToken<T>(token);
}

} // namespace

template <class T> void XMLValue::ReadNumbers(T* out, int n) const
{
    if (form_ == kWide)
        ReadNumberList(wide_, out, n);
    else
        ReadNumberList(narrow_, out, n);
}

void XMLValue::GetFloats(float* out, int n) const
{
    ReadNumbers(out, n);
}

void XMLValue::GetInts(int* out, int n) const
{
    ReadNumbers(out, n);
}

Vector2 XMLValue::GetVector2() const
{
    float f[2] = {0, 0};
    GetFloats(f, 2);
    return Vector2(f[0], f[1]);
}

Vector3 XMLValue::GetVector3() const
{
    float f[3] = {0, 0, 0};
    GetFloats(f, 3);
    return Vector3(f[0], f[1], f[2]);
}

Vector4 XMLValue::GetVector4() const
{
    float f[4] = {0, 0, 0, 0};
    GetFloats(f, 4);
    return Vector4(f[0], f[1], f[2], f[3]);
}

Vector2i XMLValue::GetVector2i() const
{
    int v[2] = {0, 0};
    GetInts(v, 2);
    return Vector2i(v[0], v[1]);
}

} // namespace GameTools
