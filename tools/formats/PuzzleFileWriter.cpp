#include "tools/formats/PuzzleFileWriter.h"

#include <cstring>

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

std::vector<uint8_t> RunLengthEncode(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(size / 4 + 16);
    size_t i = 0;
    while (i < size) {
        size_t run = 1;
        while (i + run < size && run < 129 && data[i + run] == data[i])
            ++run;
        if (run >= 2) {
            out.push_back(uint8_t(128 + run - 2));
            out.push_back(data[i]);
            i += run;
            continue;
        }
        // Literals until the next pair of equal bytes, at most 128 (at least
        // one: the byte here differs from the next).
        size_t start = i, n = 0;
        while (i < size && n < 128 && !(i + 1 < size && data[i + 1] == data[i])) {
            ++i;
            ++n;
        }
        out.push_back(uint8_t(n - 1));
        out.insert(out.end(), data + start, data + start + n);
    }
    return out;
}

bool RunLengthDecode(const std::vector<uint8_t>& block, std::vector<uint8_t>& out)
{
    out.clear();
    size_t i = 0;
    while (i < block.size()) {
        uint8_t k = block[i++];
        if (k < 128) {
            if (block.size() - i < size_t(k) + 1)
                return false;
            out.insert(out.end(), block.begin() + i, block.begin() + i + k + 1);
            i += size_t(k) + 1;
        } else {
            if (i >= block.size())
                return false;
            out.insert(out.end(), size_t(k - 128) + 2, block[i++]);
        }
    }
    return true;
}

std::vector<uint8_t> PackShapeBits(const std::vector<uint8_t>& flags)
{
    std::vector<uint8_t> bytes((flags.size() + 7) / 8, 0);
    for (size_t k = 0; k < flags.size(); ++k)
        if (flags[k])
            bytes[k / 8] |= uint8_t(1u << (k % 8));
    return bytes;
}

std::vector<uint8_t> WritePuzzleFile(const PuzzleFile& file)
{
    ByteWriter w;
    w.U32(0);
    w.Bytes("PZPZF", 5);
    w.U32(file.version);
    w.F32(file.boardWidth);
    w.F32(file.boardHeight);
    w.U32(file.storedPieceCount != PuzzleFile::kAuto ? file.storedPieceCount : uint32_t(file.pieces.size()));
    for (const PuzzlePiece& p : file.pieces) {
        w.U32(uint32_t(p.x));
        w.U32(uint32_t(p.y));
        w.U32(uint32_t(p.w));
        w.U32(uint32_t(p.h));
        w.U32(p.storedValueCount != PuzzlePiece::kAuto ? p.storedValueCount : uint32_t(p.values.size()));
        for (uint32_t v : p.values)
            w.U32(v);
        std::vector<uint8_t> block = p.shapeIsCoded ? p.shape : RunLengthEncode(p.shape);
        w.U32(p.storedShapeLength != PuzzlePiece::kAuto ? p.storedShapeLength : uint32_t(block.size()));
        w.Bytes(block.data(), block.size());
    }
    std::vector<uint8_t> outline = file.outlineIsCoded ? file.outline : RunLengthEncode(file.outline);
    w.U32(file.storedOutlineLength != PuzzleFile::kAuto ? file.storedOutlineLength : uint32_t(outline.size()));
    w.Bytes(outline.data(), outline.size());
    w.Bytes(file.trailing.data(), file.trailing.size());
    w.PatchU32(0, file.storedTotalSize != PuzzleFile::kAuto ? file.storedTotalSize : uint32_t(w.Size()));
    return std::move(w.Data());
}

namespace {

struct Reader {
    const std::vector<uint8_t>& b;
    size_t at = 0;
    bool ok = true;
    uint32_t U32()
    {
        if (b.size() - at < 4) {
            ok = false;
            at = b.size();
            return 0;
        }
        uint32_t v = uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
        at += 4;
        return v;
    }
    float F32()
    {
        uint32_t v = U32();
        float f;
        std::memcpy(&f, &v, 4);
        return f;
    }
    bool Block(std::vector<uint8_t>& out)
    {
        uint32_t n = U32();
        if (!ok || b.size() - at < n)
            return ok = false;
        std::vector<uint8_t> coded(b.begin() + at, b.begin() + at + n);
        at += n;
        return ok = RunLengthDecode(coded, out);
    }
};

} // namespace

bool ParsePuzzleFile(const std::vector<uint8_t>& bytes, PuzzleFile& file)
{
    file = PuzzleFile();
    Reader r{bytes};
    if (bytes.size() < 13 || std::memcmp(bytes.data() + 4, "PZPZF", 5) != 0)
        return false;
    if (r.U32() != bytes.size())
        return false;
    r.at = 9;
    file.version = r.U32();
    file.boardWidth = r.F32();
    file.boardHeight = r.F32();
    uint32_t n = r.U32();
    if (!r.ok || n > bytes.size() / 24)
        return false;
    for (uint32_t i = 0; i < n && r.ok; ++i) {
        PuzzlePiece p;
        p.x = int32_t(r.U32());
        p.y = int32_t(r.U32());
        p.w = int32_t(r.U32());
        p.h = int32_t(r.U32());
        uint32_t m = r.U32();
        if (!r.ok || m > (bytes.size() - r.at) / 4)
            return false;
        for (uint32_t k = 0; k < m; ++k)
            p.values.push_back(r.U32());
        if (!r.Block(p.shape))
            return false;
        file.pieces.push_back(std::move(p));
    }
    return r.ok && r.Block(file.outline) && r.at == bytes.size();
}

bool SavePuzzleFile(const std::string& path, const PuzzleFile& file)
{
    return SaveBytes(path, WritePuzzleFile(file));
}

} // namespace ContentTools
