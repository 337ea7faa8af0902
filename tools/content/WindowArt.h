#pragma once
// The art the window descriptions name (the windows module's own parts):
// quad models with their shaders and pictures under data\ui\models, shaders
// of a picture alone, and the start-game stars' particle system, each
// registered as "ui/<name>" in the basic resource list (what the start-up
// loading window draws) or the additional one (everything else).
#include <cstdint>
#include <string>
#include <vector>

namespace Content {
class ContentSet;

namespace Windows {

struct Rgb {
    float r, g, b;
};

// A picture and its opacity, rows from the top as the files store them.
struct Canvas {
    uint32_t width, height;
    std::vector<Rgb> colour;
    std::vector<float> alpha;
    Canvas(uint32_t w, uint32_t h);
    void Put(uint32_t x, uint32_t y, const Rgb& c, float a);
    std::vector<uint8_t> Bytes(bool opacity) const;
};

// One frame of a quad model: the picture rectangle it shows, in texture
// coordinates with v = 0 at the picture's bottom row (the engine's pictures
// are stored bottom-up), and the part of the unit square it covers.
struct Frame {
    float u0, v0, u1, v1;
    float x0 = 0, y0 = 0, x1 = 1, y1 = 1;
};

struct Art {
    std::string name;
    bool model;  // a model with its own shader file, else a shader resource
    Canvas picture;
    std::vector<Frame> frames;
    float speed = 0;     // registered as the model's animation speed when not 0
    bool basic = false;  // in the basic list: the start-up loading window needs it
};

std::vector<Art> MakeArt();
void AddArt(ContentSet& set, const std::vector<Art>& art);
// The stars' particle system "ui/start_game_stars" and its sprite.
void AddParticles(ContentSet& set);

} // namespace Windows
} // namespace Content
