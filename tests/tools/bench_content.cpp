// How long the content generator takes, module by module and for the
// pictures and cuts inside them (it runs before every game start and in the
// tests' fixtures). Prints milliseconds; runs each part once, then the whole
// and its check alone.
#include <chrono>
#include <cstdio>

#include "tools/content/Catalogue.h"
#include "tools/content/ContentCheck.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/JigsawCut.h"
#include "tools/content/Modules.h"
#include "tools/content/PictureArt.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/PuzzleFileWriter.h"

namespace {

double Now() { return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

} // namespace

int main()
{
    namespace C = Content::Catalogue;
    double t = Now();
    for (int theme = 0; theme < C::kThemeCount; ++theme) {
        double start = Now();
        for (int p = 0; p < C::kThemes[theme].pictures; ++p)
            Content::DrawCataloguePicture(theme, p);
        std::printf("%-12s %d pictures drawn: %6.0f ms\n", C::kThemes[theme].folder, C::kThemes[theme].pictures, Now() - start);
    }
    {
        Content::Canvas picture = Content::DrawCataloguePicture(0, 0);
        double start = Now();
        std::vector<uint8_t> rgb = picture.ToBytes();
        const double bytes = Now();
        ContentTools::WriteJpeg(rgb.data(), uint32_t(picture.Width()), uint32_t(picture.Height()), 3);
        const double jpeg = Now();
        const int side = picture.Height();
        picture.Cropped((picture.Width() - side) / 2, 0, side, side).Scaled(Content::kPreviewSize, Content::kPreviewSize);
        std::printf("one picture: to bytes %.0f ms, JPEG %.0f ms, preview %.0f ms\n", bytes - start, jpeg - bytes, Now() - jpeg);
    }
    for (int s = 0; s < C::kSizeCount; ++s) {
        double start = Now();
        int cols, rows;
        Content::JigsawCut::GridFor(C::kPieceCounts[s], C::kPictureWidth, C::kPictureHeight, cols, rows);
        Content::JigsawCut cut(C::kPictureWidth, C::kPictureHeight, cols, rows, Content::CutStyle(), 1);
        const double made = Now();
        ContentTools::WritePuzzleFile(cut.ToPuzzleFile());
        std::printf("cut of %3d pieces: %6.0f ms, file %4.0f ms\n", C::kPieceCounts[s], made - start, Now() - made);
    }
    Content::Options options;
    for (auto module : {Content::AddPictures, Content::AddPuzzles}) {
        Content::ContentSet set;
        double start = Now();
        module(set, options);
        std::printf("module: %6.0f ms\n", Now() - start);
    }
    double start = Now();
    Content::ContentSet set;
    Content::Generate(set, options);
    std::printf("whole content in memory: %6.0f ms (all parts above: %.0f ms)\n", Now() - start, start - t);
    start = Now();
    const size_t faults = Content::FindContentFaults(set).size();
    std::printf("its check (part of the whole): %6.1f ms, %u faults over %u files\n", Now() - start, unsigned(faults),
                unsigned(set.Paths().size()));
    return 0;
}
