#pragma once
#include <string>

namespace KorvaneEngine {

// Text to value.
float StringToFloat(const std::string& text);
float StringToFloat(const std::wstring& text);
int StringToInt(const std::string& text, int base = 10);
int StringToInt(const std::wstring& text, int base = 10);
unsigned StringToUnsigned(const std::string& text, int base = 10);
bool StringToBool(const std::string& text);
bool StringToBool(const std::wstring& text);

// Value to text.
std::string FloatToString(float value, int decimals);
std::wstring FloatToWideString(float value, int decimals);
std::string UnsignedToString(unsigned value, int digits = 0);
std::wstring UnsignedToWideString(unsigned value, int digits = 0);
std::string IntToString(int value, int digits = 0);
std::wstring IntToWideString(int value, int digits = 0);
std::string UnsignedToHexString(unsigned value, int digits = 0);
std::string BoolToString(bool value);

// Case and white space.
void ToUpper(std::string& text);
void ToUpper(std::wstring& text);
void ToLower(std::string& text);
void ToLower(std::wstring& text);
std::string ToUpperCopy(const std::string& text);
std::string ToLowerCopy(const std::string& text);
std::wstring ToLowerCopy(const std::wstring& text);
void TrimLeft(std::string& text);
void TrimLeft(std::wstring& text);
void TrimRight(std::string& text);
void TrimRight(std::wstring& text);
void Trim(std::string& text);
void TrimLeft(std::string& text, char character);
std::string TrimRightCopy(const std::string& text);
std::wstring TrimRightCopy(const std::wstring& text);
std::wstring TrimLeftCopy(const std::wstring& text);
std::wstring TrimCopy(const std::wstring& text);

// Search and replace.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to);
// A loop variable in a resource name: the first "%" + name + optional width +
// "%" in text, and every copy of that token, becomes value padded with zeros
// to the width, cut to kMaxNameVariableDigits (a name is not a buffer to fill).
const unsigned kMaxNameVariableDigits = 32;
void ReplaceNameVariable(std::string& text, const std::string& name, int value);
void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to);
std::wstring ReplaceAllCopy(const std::wstring& text, const std::wstring& from, const std::wstring& to);
void ReplaceAllNoCase(std::wstring& text, const std::wstring& from, const std::wstring& to);
void RemoveAll(std::string& text, const std::string& what);
std::wstring RemoveAllCopy(const std::wstring& text, const std::wstring& what);

// Between the runtime locale's multibyte text and UTF-16. The conversion
// stops at a zero byte; bytes that are no character are skipped.
std::wstring NarrowToWide(const std::string& text);
// The same for size bytes at text, appended to out.
void AppendNarrowToWide(const char* text, size_t size, std::wstring& out);
std::string WideToNarrow(const std::wstring& text);

} // namespace KorvaneEngine
