#pragma once
#include <string>

namespace KorvaneEngine {

// Folder of the running program, without a trailing backslash. Every relative
// path of the engine is taken from here, never from the current directory.
std::string GetExecutableDirectory();

// Cuts a full program path before its last backslash.
std::string DirectoryOfPath(const std::string& path);

} // namespace KorvaneEngine
