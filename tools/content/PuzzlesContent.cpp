// The puzzles of the catalogue: data\puzzles\NN\puzzle_MM.pzf, one jigsaw
// cut for every piece count, in the puzzle's own style, and preview.jpg
// showing that style.
#include <string>

#include "engine/foundation/StringUtils.h"
#include "tools/content/Canvas.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/JigsawCut.h"
#include "tools/content/Modules.h"
#include "tools/content/PictureArt.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/PuzzleFileWriter.h"

namespace Content {

namespace {

// Puzzle 00 is the classic cut; the others wave more or have bolder knobs.
CutStyle StyleOf(int puzzle)
{
    CutStyle s;
    switch (puzzle % 3) {
    case 1:
        s.headRadius = 0.13f;
        s.reach = 0.18f;
        s.neck = 0.06f;
        s.wave = 0.035f;
        s.waves = 1.2f;
        s.skew = 0.05f;
        break;
    case 2:
        s.headRadius = 0.165f;
        s.reach = 0.14f;
        s.neck = 0.09f;
        s.fillet = 0.07f;
        s.wave = 0.01f;
        s.skew = 0.015f;
        s.shift = 0.03f;
        break;
    default:
        break;
    }
    return s;
}

uint32_t SeedOf(int puzzle, int size) { return 5000u + 101u * uint32_t(puzzle) + 7u * uint32_t(size); }

// Two tones of pieces with their cut lines, drawn twice the size and
// scaled down for smooth edges.
Canvas Preview(int puzzle)
{
    const Rgb tones[3][2] = {{Rgb::Bytes(236, 214, 170), Rgb::Bytes(196, 150, 96)},
                             {Rgb::Bytes(176, 210, 230), Rgb::Bytes(90, 140, 190)},
                             {Rgb::Bytes(214, 232, 180), Rgb::Bytes(126, 170, 90)}};
    const int side = 2 * kPreviewSize;
    JigsawCut cut(side, side, 3, 3, StyleOf(puzzle), SeedOf(puzzle, 99));
    Canvas c(side, side);
    const Rgb* tone = tones[puzzle % 3];
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            // The cut's rows count from the bottom, the canvas's from the top.
            const int label = cut.LabelAt(x, side - 1 - y);
            const Rgb base = tone[(label / 3 + label % 3) % 2];
            c.At(x, y) = Mix(base, Rgb::Bytes(50, 40, 36), cut.OutlineAt(x, side - 1 - y) / 255.0f);
        }
    return c.Scaled(kPreviewSize, kPreviewSize);
}

} // namespace

ContentTools::PuzzleFile MakeCataloguePuzzle(int p, int s, const std::string& variant)
{
    int cols, rows;
    JigsawCut::GridFor(Catalogue::PieceCount(s, variant.c_str()), Catalogue::kPictureWidth, Catalogue::kPictureHeight,
                       cols, rows);
    JigsawCut cut(Catalogue::kPictureWidth, Catalogue::kPictureHeight, cols, rows, StyleOf(p), SeedOf(p, s));
    return cut.ToPuzzleFile();
}

void AddPuzzles(ContentSet& set, const Options& options)
{
    for (int p = 0; p < Catalogue::kPuzzleCount; ++p) {
        const std::string folder = "data\\puzzles\\" + KorvaneEngine::UnsignedToString(uint32_t(p), 2) + "\\";
        for (int s = 0; s < Catalogue::kSizeCount; ++s)
            set.Add(folder + "puzzle_" + KorvaneEngine::UnsignedToString(uint32_t(s), 2) + ".pzf",
                    ContentTools::WritePuzzleFile(MakeCataloguePuzzle(p, s, options.variant)));
        Canvas preview = Preview(p);
        ContentTools::JpegOptions o;
        o.quality = 90;
        set.Add(folder + "preview.jpg",
                ContentTools::WriteJpeg(preview.ToBytes().data(), uint32_t(preview.Width()),
                                        uint32_t(preview.Height()), 3, o));
    }
}

} // namespace Content
