#include "engine/foundation/ExecutableDirectory.h"

#include <windows.h>
#include <vector>

namespace KorvaneEngine {

std::string DirectoryOfPath(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos)
        return path;
    return path.substr(0, slash);
}

std::string GetExecutableDirectory()
{
    // Grow the buffer until the whole path fits: deep install folders exceed MAX_PATH.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size())
            return DirectoryOfPath(std::string(buffer.data(), n));
        if (buffer.size() >= 32768)
            return DirectoryOfPath(std::string(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace KorvaneEngine
