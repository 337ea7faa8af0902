#pragma once
// Widget models for the tests: a unit quad with one morph frame a state whose
// texture coordinates pick band k (counted from the picture's bottom) of a
// picture of bands, each band in its own colour.
#include <string>
#include <vector>

#include "engine/render/PictureWriters.h"
#include "tools/formats/ModelFileWriter.h"
#include "tools/formats/ShaderFileWriter.h"

namespace GUITest {

struct Rgb {
    uint8_t r, g, b;
};

// Frame k's colour.
inline Rgb BandColour(uint32_t k)
{
    static const Rgb colours[8] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {200, 200, 40},
        {40, 200, 200}, {200, 40, 200}, {120, 120, 120}, {240, 140, 20}};
    return colours[k % 8];
}

inline ContentTools::ModelFile BandQuad(uint32_t frames)
{
    ContentTools::ModelFile m;
    m.flags = ContentTools::ModelFile::kMorph | ContentTools::ModelFile::kTriangleList;
    m.frameCount = frames;
    const float corners[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (uint32_t f = 0; f < frames; ++f) {
        // Inside the band, away from its edges, so filtering keeps to it.
        const float v0 = (f + 0.25f) / frames, v1 = (f + 0.75f) / frames;
        for (const auto& c : corners) {
            ContentTools::ModelVertex v;
            v.position = {c[0], c[1], 0};
            v.normal = {0, 0, 1};
            v.u = c[0];
            v.v = c[1] == 0 ? v0 : v1;
            m.vertices.push_back(v);
        }
        ContentTools::ModelBox box;
        box.max = {1, 1, 0.001f};
        m.boxes.push_back(box);
    }
    m.indices = {0, 1, 2, 2, 3, 0};
    return m;
}

// The picture file's lines are top first: band k lies k bands above the bottom.
inline std::vector<uint8_t> BandPicture(uint32_t frames)
{
    PictureWriters::Picture p;
    p.width = 16;
    p.height = 16 * frames;
    p.channels = 3;
    p.data.resize(size_t(p.width) * p.height * 3);
    for (uint32_t y = 0; y < p.height; ++y) {
        const Rgb c = BandColour(frames - 1 - y / 16);
        for (uint32_t x = 0; x < p.width; ++x) {
            p.At(x, y)[0] = c.r;
            p.At(x, y)[1] = c.g;
            p.At(x, y)[2] = c.b;
        }
    }
    return PictureWriters::EncodeBmp(p);
}

inline ContentTools::ShaderFile BandShader(const std::string& picture)
{
    ContentTools::ShaderFile s;
    ContentTools::ShaderFileStage stage;
    stage.diffuse = picture;
    s.stages.push_back(stage);
    return s;
}

} // namespace GUITest
