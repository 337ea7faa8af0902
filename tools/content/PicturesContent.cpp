// The pictures of every theme of the catalogue, drawn from a seed:
// data\themes\<theme>\NN.jpg, its square preview NN_preview.jpg and its
// colours NN.xml (the board's tint, the cut lines, the tip blink).
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "engine/foundation/StringUtils.h"
#include "tools/content/Canvas.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/PictureArt.h"
#include "tools/formats/JpegWriter.h"

namespace Content {

namespace {

std::vector<uint8_t> Jpeg(const Canvas& c, int quality)
{
    ContentTools::JpegOptions o;
    o.quality = quality;
    std::vector<uint8_t> bytes = ContentTools::WriteJpeg(c.ToBytes().data(), uint32_t(c.Width()),
                                                         uint32_t(c.Height()), 3, o);
    if (bytes.empty())
        throw std::runtime_error("a picture could not be written as JPEG");
    return bytes;
}

std::string ColourText(const Rgb& c)
{
    auto b = [](float v) { return std::to_string(int(std::lround(Clamp01(v) * 255))); };
    return b(c.r) + " " + b(c.g) + " " + b(c.b);
}

// The colours a picture's board uses: a tint near white taken from the
// picture, cut lines that stand out against it, and a tip colour far from
// the picture's own.
std::string ColoursXml(const Canvas& picture)
{
    const Rgb mean = picture.Average();
    const Rgb background = Mix(mean, Rgb(1, 1, 1), 0.45f);
    const Rgb lines = mean.Luminance() > 0.45f ? Rgb::Bytes(52, 44, 40) : Rgb::Bytes(250, 244, 226);
    // The hue opposite the picture's, vivid: the tip blinks over the board
    // at less than half strength.
    const float top = std::max(mean.r, std::max(mean.g, mean.b)), low = std::min(mean.r, std::min(mean.g, mean.b));
    float hue = 0;  // in sixths of a turn
    if (top - low > 1e-4f) {
        if (top == mean.r)
            hue = std::fmod((mean.g - mean.b) / (top - low) + 6, 6.0f);
        else if (top == mean.g)
            hue = (mean.b - mean.r) / (top - low) + 2;
        else
            hue = (mean.r - mean.g) / (top - low) + 4;
    }
    hue = std::fmod(hue + 3, 6.0f);
    auto channel = [hue](float offset) {
        const float k = std::fmod(offset + hue, 6.0f);
        return 1.0f - 0.8f * std::max(0.0f, std::min(std::min(k, 4 - k), 1.0f));
    };
    const Rgb tip(channel(5), channel(3), channel(1));
    return "<?xml version=\"1.0\"?>\r\n<puzzle>\r\n"
           "  <background_color>" + ColourText(background) + "</background_color>\r\n"
           "  <puzzle_color>" + ColourText(lines) + "</puzzle_color>\r\n"
           "  <tip_color>" + ColourText(tip) + "</tip_color>\r\n"
           "</puzzle>\r\n";
}

} // namespace

Canvas DrawCataloguePicture(int theme, int picture)
{
    const int w = Catalogue::kPictureWidth, h = Catalogue::kPictureHeight;
    const uint32_t seed = 1000u * uint32_t(theme + 1) + 37u * uint32_t(picture);
    const std::string folder = Catalogue::kThemes[theme].folder;
    if (folder == "landscapes")
        return DrawLandscape(w, h, picture, seed);
    if (folder == "mosaics")
        return DrawMosaic(w, h, picture, seed);
    if (folder == "gardens")
        return DrawGarden(w, h, picture, seed);
    throw std::runtime_error("no pictures are drawn for the theme \"" + folder + "\"");
}

Canvas DrawPlayTestPicture()
{
    const int w = Catalogue::kPictureWidth, h = Catalogue::kPictureHeight;
    Canvas c(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Catalogue::Rgb8& q = Catalogue::kPlayTestQuadrants[(y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1)];
            c.At(x, y) = Rgb::Bytes(q.r, q.g, q.b);
        }
    return c;
}

void AddPictures(ContentSet& set, const Options& options)
{
    const bool flat = options.variant == Catalogue::kPlayTestVariant;
    for (int t = 0; t < Catalogue::kThemeCount; ++t)
        for (int p = 0; p < Catalogue::kThemes[t].pictures; ++p) {
            const std::string base = std::string("data\\themes\\") + Catalogue::kThemes[t].folder + "\\" +
                                     KorvaneEngine::UnsignedToString(uint32_t(p), 2);
            Canvas picture = flat ? DrawPlayTestPicture() : DrawCataloguePicture(t, p);
            set.Add(base + ".jpg", Jpeg(picture, 92));
            // The preview is square and a power of two, as textures want:
            // the picture's middle.
            const int side = picture.Height();
            Canvas middle = picture.Cropped((picture.Width() - side) / 2, 0, side, side);
            set.Add(base + "_preview.jpg", Jpeg(middle.Scaled(kPreviewSize, kPreviewSize), 90));
            set.AddText(base + ".xml", ColoursXml(picture));
        }
}

} // namespace Content
