#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class FileBinary;

// Model flag word bits.
namespace ModelFlags {
const uint32_t kStatic = 0x1;
const uint32_t kMorph = 0x2;
const uint32_t kSkinned = 0x4;
const uint32_t kTriangleList = 0x8;
const uint32_t kColor = 0x20;
const uint32_t kLit = 0x40;
const uint32_t kDepthTest = 0x80;
const uint32_t kOpaque = 0x200;
const uint32_t kBlended = 0x400;
const uint32_t kFixedDepth = 0x800;
const uint32_t kDepthBias = 0x1000;
const uint32_t kCullClockwise = 0x2000;
const uint32_t kTwoSided = 0x4000;
const uint32_t kRecomputeBounds = 0x8000;
const uint32_t kVisible = 0x40000;
const uint32_t kNoDepthWrite = 0x80000;
const uint32_t kIndexUsage = 0x100000;
const uint32_t kVertexUsage = 0x200000;
const uint32_t kCullCounterClockwise = 0x400000;
const uint32_t kStencil = 0x800000;
} // namespace ModelFlags

// A vertex as the morph frames hold it: position, normal, u, v (32 bytes).
struct MorphVertex {
    Vector3 position;
    Vector3 normal;
    float u = 0.0f, v = 0.0f;
};

struct SkinInfluence {
    uint16_t bone = 0;
    float weight = 0.0f;
    Vector3 positionOffset;
    Vector3 normalOffset;
};

// Room for exactly four influences a vertex.
struct SkinRecord {
    static const uint16_t kMaxInfluences = 4;
    uint16_t count = 0;
    SkinInfluence influences[kMaxInfluences];
};

struct ModelFileBone {
    uint8_t excludeFromBounds = 0;
    std::string name;
    Vector3 pivot;
    Vector3 boxMin, boxMax;
    uint16_t value1 = 0, value2 = 0;
};

// Everything a "KEMLF" file holds, read and checked: every count agrees with
// the others and with the size of the data, so building the model from it
// cannot read or write outside what was allocated.
struct ModelFileContents {
    static const uint32_t kCurrentVersion = 202;

    uint32_t version = 0;
    // The file's flags with the caller's extra flags or-ed in (0 becomes 0x200000).
    uint32_t flags = 0;
    uint32_t frameCount = 1;
    float speed = 0.0f;
    std::vector<ModelFileBone> bones;
    // Bone count x frame count keys of 10 floats, frame-major.
    std::vector<float> keys;
    uint32_t indexCount = 0;
    uint32_t vertexCount = 0;
    // indexCount indices of 2 bytes each, or 4 from 65536 indices on.
    std::vector<uint8_t> indices;
    // Static: one a vertex; morph: vertexCount x frameCount, frame-major;
    // skinned: u and v of each vertex only.
    std::vector<MorphVertex> vertices;
    std::vector<SkinRecord> skin;
    // Morph: one a frame; otherwise one.
    std::vector<Vector3> boxMin, boxMax;

    uint32_t IndexSize() const { return indexCount >= 65536 ? 4 : 2; }
};

// Reads and checks a model file from its byte stream; name is used in the
// messages. Throws FileError for anything malformed.
void ReadModelFile(FileBinary& file, const std::string& name, uint32_t extraFlags, ModelFileContents& out);

} // namespace KorvaneEngine
