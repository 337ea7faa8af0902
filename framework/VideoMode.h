#pragma once
#include <cstdint>
#include <string>

namespace GameFramework {

// One display size the options offer: its text is width + "x" + height.
struct VideoMode {
    std::string text;
    uint32_t width = 0;
    uint32_t height = 0;

    VideoMode() {}
    VideoMode(uint32_t width, uint32_t height);
};

// By width, then height, ascending.
bool operator<(const VideoMode& a, const VideoMode& b);

} // namespace GameFramework
