#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/render/Skeleton.h"

using namespace KorvaneEngine;

namespace {

void PutKey(std::vector<float>& keys, uint32_t bones, uint32_t frame, uint32_t bone, Vector3 p,
    Quaternion q = Quaternion(), Vector3 s = Vector3(1, 1, 1))
{
    float* k = &keys[(frame * bones + bone) * kFloatsPerKey];
    const float v[10] = {p.x, p.y, p.z, q.x, q.y, q.z, q.w, s.x, s.y, s.z};
    for (int i = 0; i < 10; ++i)
        k[i] = v[i];
}

} // namespace

TEST(Skeleton, NewSkeletonHasTheHalfUnitBox)
{
    Skeleton s(3);
    EXPECT_EQ(s.GetBoneCount(), 3u);
    EXPECT_EQ(s.GetBox().GetWorldMin(), Vector3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(s.GetBox().GetWorldMax(), Vector3(0.5f, 0.5f, 0.5f));
    const Bone& b = s.GetBone(2);
    EXPECT_EQ(b.baseRotation.w, 1.0f);
    EXPECT_EQ(b.positionOffset, Vector3());
    // Past the last bone: a spare record, never memory beyond the array.
    s.GetBone(99).name = "stray";
    EXPECT_EQ(s.GetBone(2).name, "");
}

TEST(Skeleton, PosesBetweenTwoKeys)
{
    Skeleton s(1);
    s.GetBone(0).box.Set(Vector3(-1, -1, -1), Vector3(1, 1, 1));
    std::vector<float> keys(2 * kFloatsPerKey);
    const float h = std::sqrt(0.5f);
    PutKey(keys, 1, 0, 0, Vector3(0, 0, 0));
    PutKey(keys, 1, 1, 0, Vector3(4, 0, 0), Quaternion(0, 0, h, h), Vector3(2, 2, 2));

    s.Update(keys.data(), 0, 1, 0.5f);
    const Bone& b = s.GetBone(0);
    EXPECT_EQ(b.position, Vector3(2, 0, 0));
    EXPECT_EQ(b.scale, Vector3(1.5f, 1.5f, 1.5f));
    EXPECT_EQ(s.GetBox().GetCenter(), Vector3(2, 0, 0));

    s.Update(keys.data(), 0, 1, 1.0f);
    // Full matrix = T R S P: the offset (1, 0, 0) is scaled by 2, turned a
    // quarter round z and moved by (4, 0, 0).
    EXPECT_EQ(b.fullMatrix.TransformPoint(Vector3(1, 0, 0)), Vector3(4, 2, 0));
    // The normal matrix leaves out the translation.
    EXPECT_EQ(b.normalMatrix.TransformPoint(Vector3(1, 0, 0)), Vector3(0, 2, 0));
    EXPECT_EQ(s.GetBox().GetWorldMin(), Vector3(2, -2, -2));
    EXPECT_EQ(s.GetBox().GetWorldMax(), Vector3(6, 2, 2));
}

TEST(Skeleton, PivotAndOffsets)
{
    Skeleton s(1);
    Bone& b = s.GetBone(0);
    b.pivot = Vector3(0, 1, 0);
    b.positionOffset = Vector3(0, 0, 3);
    const float h = std::sqrt(0.5f);
    b.baseRotation = Quaternion(0, 0, h, h);
    std::vector<float> keys(kFloatsPerKey);
    PutKey(keys, 1, 0, 0, Vector3(1, 0, 0));
    s.Update(keys.data(), 0, 0, 0.0f);
    // (0, 0, 0) + pivot (0, 1, 0), turned a quarter round z to (-1, 0, 0),
    // then moved by position + offset (1, 0, 3).
    EXPECT_EQ(b.fullMatrix.TransformPoint(Vector3()), Vector3(0, 0, 3));
}

TEST(Skeleton, ExcludedBonesStayOutOfTheBox)
{
    Skeleton s(2);
    s.GetBone(0).box.Set(Vector3(0, 0, 0), Vector3(1, 1, 1));
    s.GetBone(1).box.Set(Vector3(0, 0, 0), Vector3(1, 1, 1));
    std::vector<float> keys(2 * kFloatsPerKey);
    PutKey(keys, 2, 0, 0, Vector3(0, 0, 0));
    PutKey(keys, 2, 0, 1, Vector3(10, 0, 0));
    s.Update(keys.data(), 0, 0, 0);
    EXPECT_EQ(s.GetBox().GetWorldMax(), Vector3(11, 1, 1));
    s.GetBone(1).excludeFromBounds = 1;
    s.Update(keys.data(), 0, 0, 0);
    EXPECT_EQ(s.GetBox().GetWorldMax(), Vector3(1, 1, 1));
    s.GetBone(0).excludeFromBounds = 1;
    s.Update(keys.data(), 0, 0, 0);
    EXPECT_EQ(s.GetBox().GetWorldMin(), Vector3(100000, 100000, 100000));
    EXPECT_EQ(s.GetBox().GetWorldMax(), Vector3(-100000, -100000, -100000));

    Skeleton copy(s);
    EXPECT_EQ(copy.GetBoneCount(), 2u);
    EXPECT_EQ(copy.GetBone(1).box.GetWorldMin(), Vector3(10, 0, 0));
}
