#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/Matrix.h"

namespace KorvaneEngine {

// One bone of a skinned model, posed from two key frames.
struct Bone {
    // Non-zero keeps the bone's box out of the skeleton's box.
    uint32_t excludeFromBounds = 0;
    std::string name;
    // Local box from the file, transformed by the full matrix at every pose.
    BoundingBox box;
    uint16_t value1 = 0, value2 = 0;
    Vector3 pivot;
    Quaternion rotation;
    Quaternion baseRotation;
    Vector3 position;
    Vector3 positionOffset;
    Vector3 scale{1, 1, 1};
    Matrix4 pivotMatrix, translation, rotationMatrix, scaleMatrix;
    // Applied to the normal and the position offsets of the vertex influences.
    Matrix4 normalMatrix, fullMatrix;
};

// Floats a key frame record holds: position, rotation quaternion, scale.
const uint32_t kFloatsPerKey = 10;

class Skeleton {
public:
    virtual ~Skeleton();
    explicit Skeleton(uint16_t boneCount);
    Skeleton(const Skeleton& other);
    Skeleton& operator=(const Skeleton&) = delete;

    uint16_t GetBoneCount() const { return static_cast<uint16_t>(bones_.size()); }
    // An index past the bones gives a spare bone that nothing reads, rather
    // than a stray access.
    Bone& GetBone(uint32_t index);
    const Bone& GetBone(uint32_t index) const;
    const BoundingBox& GetBox() const { return box_; }

    // Poses every bone between frames A and B (keys: frame-major records of
    // kFloatsPerKey floats, bone b of frame f at f * bone count + b) and
    // rebuilds the skeleton box from the bones not excluded from it.
    void Update(const float* keys, uint32_t frameA, uint32_t frameB, float t);

private:
    std::vector<Bone> bones_;
    BoundingBox box_;
    Bone spare_;
};

} // namespace KorvaneEngine
