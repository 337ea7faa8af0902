#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// The layout of a "KEMLF" model file, as data. WriteModelFile serialises it
// exactly as given; nothing is checked, so tests can also build malformed
// files on purpose. Counts that the file stores (bones, frames, indices,
// vertices) come from the vectors unless overridden.
struct ModelVec3 {
    float x = 0, y = 0, z = 0;
};

struct ModelBone {
    uint8_t excludeFromBounds = 0;
    std::string name;
    ModelVec3 pivot;  // stored only in version 202
    ModelVec3 boxMin, boxMax;
    uint16_t value1 = 0, value2 = 0;
};

// One key: position, rotation quaternion (x, y, z, w), scale.
struct ModelKey {
    ModelVec3 position;
    float rotation[4] = {0, 0, 0, 1};
    ModelVec3 scale{1, 1, 1};
};

struct ModelVertex {
    float u = 0, v = 0;
    ModelVec3 normal;
    ModelVec3 position;
};

struct ModelInfluence {
    uint16_t bone = 0;
    float weight = 1;
    ModelVec3 normalOffset;
    ModelVec3 positionOffset;
};

struct ModelSkinVertex {
    float u = 0, v = 0;
    std::vector<ModelInfluence> influences;
};

struct ModelBox {
    ModelVec3 min, max;
};

struct ModelFile {
    static const uint32_t kStatic = 0x1, kMorph = 0x2, kSkinned = 0x4, kTriangleList = 0x8;
    static const uint32_t kAuto = 0xFFFFFFFFu;

    uint32_t version = 202;
    uint32_t flags = kStatic | kTriangleList;
    // Written only when flags has kMorph or kSkinned.
    uint32_t frameCount = 1;
    float speed = 0;
    // Skinned only: bones, then keys frame-major (bone b of frame f at f * B + b).
    std::vector<ModelBone> bones;
    std::vector<ModelKey> keys;
    std::vector<uint32_t> indices;
    // Static: V records; morph: V x F records, frame-major.
    std::vector<ModelVertex> vertices;
    std::vector<ModelSkinVertex> skinVertices;
    // Morph: one per frame; otherwise exactly one is written.
    std::vector<ModelBox> boxes;

    // Stored counts; kAuto derives them from the data above.
    uint32_t storedVertexCount = kAuto;
    uint32_t storedIndexCount = kAuto;
    uint32_t storedBoneCount = kAuto;
    // Total-size field; kAuto writes the real length.
    uint32_t storedTotalSize = kAuto;
};

std::vector<uint8_t> WriteModelFile(const ModelFile& model);
bool SaveModelFile(const std::string& path, const ModelFile& model);

// The box of a set of vertex positions (an empty set gives a zero box).
ModelBox BoundsOf(const std::vector<ModelVertex>& vertices);

} // namespace ContentTools
