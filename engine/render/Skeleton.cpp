#include "engine/render/Skeleton.h"

namespace KorvaneEngine {

namespace {
const float kExtent = 100000.0f;

struct Key {
    Vector3 position;
    Quaternion rotation;
    Vector3 scale;
};

Key ReadKey(const float* k)
{
    Key key;
    key.position = Vector3(k[0], k[1], k[2]);
    key.rotation = Quaternion(k[3], k[4], k[5], k[6]);
    key.scale = Vector3(k[7], k[8], k[9]);
    return key;
}
} // namespace

Skeleton::~Skeleton() {}

Skeleton::Skeleton(uint16_t boneCount) : bones_(boneCount)
{
    box_.Set(Vector3(-0.5f, -0.5f, -0.5f), Vector3(0.5f, 0.5f, 0.5f));
}

Skeleton::Skeleton(const Skeleton& other) : bones_(other.bones_), box_(other.box_) {}

Bone& Skeleton::GetBone(uint32_t index)
{
    if (index < bones_.size())
        return bones_[index];
    spare_ = Bone();
    return spare_;
}

const Bone& Skeleton::GetBone(uint32_t index) const
{
    return index < bones_.size() ? bones_[index] : spare_;
}

void Skeleton::Update(const float* keys, uint32_t frameA, uint32_t frameB, float t)
{
    const size_t boneCount = bones_.size();
    Vector3 lo(kExtent, kExtent, kExtent), hi(-kExtent, -kExtent, -kExtent);
    for (size_t b = 0; b < boneCount; ++b) {
        Bone& bone = bones_[b];
        Key ka = ReadKey(keys + (static_cast<size_t>(frameA) * boneCount + b) * kFloatsPerKey);
        Key kb = ReadKey(keys + (static_cast<size_t>(frameB) * boneCount + b) * kFloatsPerKey);
        bone.position = Vector3::Lerp(ka.position, kb.position, t);
        bone.rotation = Quaternion::Lerp(ka.rotation, kb.rotation, t);
        bone.scale = Vector3::Lerp(ka.scale, kb.scale, t);

        Matrix4::SetTranslation(bone.pivotMatrix, bone.pivot);
        (bone.rotation * bone.baseRotation).ToMatrix(bone.rotationMatrix);
        Matrix4::SetTranslation(bone.translation, bone.position + bone.positionOffset);
        Matrix4::SetScale(bone.scaleMatrix, bone.scale);
        bone.normalMatrix = bone.rotationMatrix * bone.scaleMatrix * bone.pivotMatrix;
        bone.fullMatrix = bone.translation * bone.normalMatrix;
        bone.box.SetTransform(bone.fullMatrix);

        if (bone.excludeFromBounds == 0) {
            const Vector3& wmin = bone.box.GetWorldMin();
            const Vector3& wmax = bone.box.GetWorldMax();
            for (int i = 0; i < 3; ++i) {
                if (wmin[i] < lo[i])
                    lo[i] = wmin[i];
                if (wmax[i] > hi[i])
                    hi[i] = wmax[i];
            }
        }
    }
    box_.Set(lo, hi);
}

} // namespace KorvaneEngine
