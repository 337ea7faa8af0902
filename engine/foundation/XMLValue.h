#pragma once
#include <cstdint>
#include <string>
#include <utility>

#include "engine/foundation/Vector.h"

namespace GameTools {

// Text of an XML attribute or element, kept narrow, wide or both; the other
// form is converted once when first asked for. Numbers are read leniently:
// malformed text gives 0 or its leading number, never an error.
class XMLValue {
public:
    // Which texts are valid.
    enum Form : uint32_t { kNarrow = 0, kWide = 1, kBoth = 2 };

    virtual ~XMLValue();
    XMLValue() {}
    explicit XMLValue(const std::wstring& text) : form_(kWide), wide_(text) {}
    explicit XMLValue(std::wstring&& text) : form_(kWide), wide_(std::move(text)) {}

    const std::string& GetString();
    const std::wstring& GetWideString();
    float GetFloat() const;
    int GetInt() const;
    // GetInt() != 0: "1" is true, "true" is false (the data is written as 0/1).
    bool GetBool() const { return GetInt() != 0; }
    // Up to n numbers separated by anything that is not a letter, digit, '+',
    // '-' or '.'; entries past the last number keep what the caller put there.
    void GetFloats(float* out, int n) const;
    void GetInts(int* out, int n) const;
    KorvaneEngine::Vector2 GetVector2() const;
    KorvaneEngine::Vector3 GetVector3() const;
    // Also the colours (r, g, b, a), unscaled.
    KorvaneEngine::Vector4 GetVector4() const;
    KorvaneEngine::Vector2i GetVector2i() const;

    void SetString(const std::string& text);
    void SetWideString(const std::wstring& text);
    void SetWideString(std::wstring&& text);

    Form GetForm() const { return form_; }
    // Whether the text is empty, in whichever form is valid.
    bool IsEmpty() const { return form_ == kNarrow ? narrow_.empty() : wide_.empty(); }

private:
    template <class T> void ReadNumbers(T* out, int n) const;

    Form form_ = kBoth;
    std::string narrow_;
    std::wstring wide_;
};

} // namespace GameTools
