#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// The layout of a "KESRF" shader file (version 211), as data. Serialised as
// given, so tests can build malformed files as well.
struct ShaderFileStage {
    uint32_t flags = 0;
    // 0 none, 1 net, 2 diffuse sequence, 3 opacity sequence, 4 both.
    uint32_t type = 0;
    uint32_t frameCount = 1;  // written when type != 0
    float speed = 0;          // written when type != 0
    uint32_t columns = 1, rows = 1;  // written when type == 1
    std::string diffuse, opacity;
    uint32_t addressU = 1, addressV = 1;
    float scaleU = 1, scaleV = 1, offsetU = 0, offsetV = 0;
};

struct ShaderFile {
    uint32_t version = 211;
    uint32_t flags = 0;
    float colors[4][4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}};
    float value1 = 0, value2 = 0;
    uint32_t sourceBlend = 0, destinationBlend = 0;
    std::vector<ShaderFileStage> stages;
    // Stage-count and total-size fields; kAuto writes the real values.
    static const uint32_t kAuto = 0xFFFFFFFFu;
    uint32_t storedStageCount = kAuto;
    uint32_t storedTotalSize = kAuto;
};

std::vector<uint8_t> WriteShaderFile(const ShaderFile& shader);
bool SaveShaderFile(const std::string& path, const ShaderFile& shader);

} // namespace ContentTools
