// The console panel's picture: one dark colour, so the console's coloured
// text reads on it and the panel is told apart from the menus behind it.
#include <stdexcept>

#include "tools/content/Canvas.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/UiArt.h"
#include "tools/formats/JpegWriter.h"

namespace Content {

void AddConsole(ContentSet& set, const Options&)
{
    // A flat picture: the panel is stretched over the whole screen, and a
    // flat colour is what the console's look and its tests rely on.
    const int kSide = 64;
    const Canvas c(kSide, kSide, Rgb::Bytes(kConsoleColour[0], kConsoleColour[1], kConsoleColour[2]));
    ContentTools::JpegOptions o;
    o.quality = 95;
    o.fullColour = true;
    std::vector<uint8_t> bytes = ContentTools::WriteJpeg(c.ToBytes().data(), kSide, kSide, 3, o);
    if (bytes.empty())
        throw std::runtime_error("the console picture could not be written as JPEG");
    set.Add("data\\ui\\console\\console.jpg", bytes);
}

} // namespace Content
