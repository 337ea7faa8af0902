#include "tools/formats/ByteWriter.h"

#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#endif

namespace ContentTools {

bool SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (ok) {
#ifdef _WIN32
        ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
        ok = std::rename(temp.c_str(), path.c_str()) == 0;
#endif
    }
    if (!ok)
        std::remove(temp.c_str());
    return ok;
}

} // namespace ContentTools
