#include "tools/formats/PictureSize.h"

#include <algorithm>
#include <cctype>

namespace ContentTools {

namespace {

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }
uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return Be16(p) << 16 | Be16(p + 2); }

// The first frame header's size: markers are walked by their lengths up to
// a start-of-frame (any C0..CF but the tables C4, C8 and CC).
bool JpegSize(const std::vector<uint8_t>& b, uint32_t* w, uint32_t* h)
{
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return false;
    for (size_t i = 2; i + 4 <= b.size();) {
        if (b[i] != 0xFF)
            return false;
        const uint8_t marker = b[i + 1];
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        const size_t length = Be16(&b[i + 2]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (i + 9 > b.size() || length < 7)
                return false;
            *h = Be16(&b[i + 5]);
            *w = Be16(&b[i + 7]);
            return true;
        }
        if (length < 2)
            return false;
        i += 2 + length;
    }
    return false;
}

} // namespace

bool ReadPictureSize(const std::string& extension, const std::vector<uint8_t>& b, uint32_t* width,
                     uint32_t* height)
{
    std::string e = extension;
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    uint32_t w = 0, h = 0;
    if (e == "jpg" || e == "jpeg") {
        if (!JpegSize(b, &w, &h))
            return false;
    } else if (e == "png") {
        static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        if (b.size() < 24 || !std::equal(kSignature, kSignature + 8, b.begin()) ||
            !std::equal(b.begin() + 12, b.begin() + 16, "IHDR"))
            return false;
        w = Be32(&b[16]);
        h = Be32(&b[20]);
    } else if (e == "bmp") {
        if (b.size() < 26 || b[0] != 'B' || b[1] != 'M')
            return false;
        w = Le32(&b[18]);
        // A negative height is a picture stored from its top line down.
        const int32_t rows = int32_t(Le32(&b[22]));
        h = rows < 0 ? 0u - uint32_t(rows) : uint32_t(rows);
    } else if (e == "tga") {
        if (b.size() < 18)
            return false;
        w = Le16(&b[12]);
        h = Le16(&b[14]);
    } else {
        return false;
    }
    if (w == 0 || h == 0)
        return false;
    *width = w;
    *height = h;
    return true;
}

} // namespace ContentTools
