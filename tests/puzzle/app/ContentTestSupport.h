#pragma once
// A generated data tree for the catalogue tests: the content generator's
// modules, completed with small pictures, previews, colours and puzzle files
// wherever the picture and puzzle modules have not written them.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/foundation/StringUtils.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/PictureSize.h"
#include "tools/formats/PuzzleFileWriter.h"

namespace ContentTest {

namespace Catalogue = ::Content::Catalogue;

inline std::string NN(int n) { return KorvaneEngine::UnsignedToString(static_cast<unsigned>(n), 2); }

// A small colourful picture, different for every seed.
inline std::vector<uint8_t> Jpeg(uint32_t w, uint32_t h, uint32_t seed)
{
    std::vector<uint8_t> pixels(w * h * 3);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &pixels[(y * w + x) * 3];
            p[0] = static_cast<uint8_t>(x * 255 / w);
            p[1] = static_cast<uint8_t>(y * 255 / h);
            p[2] = static_cast<uint8_t>(seed * 53);
        }
    return ContentTools::WriteJpeg(pixels.data(), w, h, 3);
}

inline std::vector<uint8_t> PuzzleFile()
{
    ContentTools::PuzzleFile f;
    f.boardWidth = 8;
    f.boardHeight = 8;
    ContentTools::PuzzlePiece piece;
    piece.w = 8;
    piece.h = 8;
    piece.values = {0};
    piece.shape = ContentTools::PackShapeBits(std::vector<uint8_t>(64, 1));
    f.pieces.push_back(piece);
    f.outline.assign(64, 1);
    return ContentTools::WritePuzzleFile(f);
}

inline void AddIfMissing(::Content::ContentSet& set, const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (!set.Has(path))
        set.Add(path, bytes);
}

// The shipped modules' output, with every catalogue file present.
inline ::Content::ContentSet MakeTree()
{
    ::Content::ContentSet set;
    ::Content::Options options;
    ::Content::Generate(set, options);
    for (int t = 0; t < Catalogue::kThemeCount; ++t) {
        const std::string folder = std::string("data\\themes\\") + Catalogue::kThemes[t].folder + "\\";
        for (int p = 0; p < Catalogue::kThemes[t].pictures; ++p) {
            AddIfMissing(set, folder + NN(p) + ".jpg", Jpeg(56, 42, t * 10 + p));
            AddIfMissing(set, folder + NN(p) + "_preview.jpg", Jpeg(64, 32, t * 10 + p));
            const std::string colours = "<puzzle>\n  <background_color>10 20 30</background_color>\n"
                                        "  <puzzle_color>200 180 40</puzzle_color>\n  <tip_color>255 255 255</tip_color>\n"
                                        "</puzzle>\n";
            if (!set.Has(folder + NN(p) + ".xml"))
                set.AddText(folder + NN(p) + ".xml", colours);
        }
    }
    for (int u = 0; u < Catalogue::kPuzzleCount; ++u) {
        const std::string folder = "data\\puzzles\\" + NN(u) + "\\";
        AddIfMissing(set, folder + "preview.jpg", Jpeg(128, 64, 100 + u));
        for (int sz = 0; sz < Catalogue::kSizeCount; ++sz)
            AddIfMissing(set, folder + "puzzle_" + NN(sz) + ".pzf", PuzzleFile());
    }
    return set;
}

// Width and height from a JPEG's frame header, or (0, 0).
inline std::pair<uint32_t, uint32_t> JpegSize(const std::vector<uint8_t>& b)
{
    uint32_t w = 0, h = 0;
    if (!ContentTools::ReadPictureSize("jpg", b, &w, &h))
        return {0, 0};
    return {w, h};
}

} // namespace ContentTest
