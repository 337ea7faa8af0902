#pragma once
#include <string>
#include <vector>

namespace TestSupport {

// A fresh folder beside the test executable, emptied when created.
std::string MakeTempDir(const std::string& name);
// Whole-file helpers over Win32 paths (backslashes).
bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool WriteFileText(const std::string& path, const std::string& text);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);

} // namespace TestSupport
