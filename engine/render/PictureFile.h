#pragma once
// Shared by the picture readers: opening through the engine's file layer,
// logging, and little-endian field access.
#include <cstdint>
#include <string>

namespace KorvaneEngine {

class FileBinary;

// Opens a picture for reading, streamed (images are never cached whole).
// Throws FileError when it cannot be opened.
FileBinary* OpenPictureFile(const std::string& name);

// Log through the engine log when one exists.
void LogPictureError(const std::string& message);
void LogPictureWarning(const std::string& message);
void LogPictureMessage(const std::string& message);

std::string IncorrectFormat(const std::string& file);
std::string UnsupportedFormat(const std::string& file);

inline uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace KorvaneEngine
