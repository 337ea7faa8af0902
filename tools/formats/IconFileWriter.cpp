#include "tools/formats/IconFileWriter.h"

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

std::vector<uint8_t> WriteIconFile(const std::vector<IconImage>& images)
{
    if (images.empty() || images.size() > 0xFFFF)
        return {};
    for (const IconImage& image : images)
        if (image.size == 0 || image.size > 256 || image.rgba.size() != size_t(image.size) * image.size * 4)
            return {};
    ByteWriter w;
    w.U16(0);
    w.U16(1); // icon
    w.U16(static_cast<uint16_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    std::vector<uint32_t> sizes;
    for (const IconImage& image : images) {
        const uint32_t maskRow = ((image.size + 31) / 32) * 4;
        const uint32_t bytes = 40 + image.size * image.size * 4 + maskRow * image.size;
        sizes.push_back(bytes);
        // 256 is written as 0 in the byte-wide fields.
        w.U8(static_cast<uint8_t>(image.size & 0xFF));
        w.U8(static_cast<uint8_t>(image.size & 0xFF));
        w.U8(0);  // no palette
        w.U8(0);
        w.U16(1); // planes
        w.U16(32);
        w.U32(bytes);
        w.U32(offset);
        offset += bytes;
    }
    for (const IconImage& image : images) {
        const uint32_t n = image.size;
        w.U32(40);
        w.U32(n);
        w.U32(n * 2); // the colour picture and the mask, stacked
        w.U16(1);
        w.U16(32);
        w.U32(0);     // uncompressed
        w.U32(0);
        w.U32(0);
        w.U32(0);
        w.U32(0);
        w.U32(0);
        for (uint32_t row = 0; row < n; ++row) {
            const uint8_t* p = &image.rgba[size_t(n - 1 - row) * n * 4];
            for (uint32_t x = 0; x < n; ++x, p += 4) {
                w.U8(p[2]);
                w.U8(p[1]);
                w.U8(p[0]);
                w.U8(p[3]);
            }
        }
        const uint32_t maskRow = ((n + 31) / 32) * 4;
        for (uint32_t row = 0; row < n; ++row) {
            const uint8_t* p = &image.rgba[size_t(n - 1 - row) * n * 4];
            std::vector<uint8_t> bits(maskRow, 0);
            for (uint32_t x = 0; x < n; ++x)
                if (p[x * 4 + 3] < 128)
                    bits[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            w.Bytes(bits.data(), bits.size());
        }
    }
    return w.Data();
}

} // namespace ContentTools

namespace ContentTools {

std::vector<uint8_t> WriteCursorFile(const std::vector<CursorImage>& cursors)
{
    std::vector<IconImage> images;
    for (const CursorImage& c : cursors)
        images.push_back(c.image);
    std::vector<uint8_t> bytes = WriteIconFile(images);
    if (bytes.empty())
        return bytes;
    auto put16 = [&](size_t at, uint16_t v) {
        bytes[at] = static_cast<uint8_t>(v & 0xFF);
        bytes[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(2, 2);
    for (size_t i = 0; i < cursors.size(); ++i) {
        put16(6 + 16 * i + 4, cursors[i].hotSpotX);
        put16(6 + 16 * i + 6, cursors[i].hotSpotY);
    }
    return bytes;
}

} // namespace ContentTools
