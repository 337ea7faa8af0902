#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/render/ModelFile.h"
#include "support/Bytes.h"
#include "support/TestSupport.h"
#include "tools/formats/ModelFileWriter.h"

using namespace KorvaneEngine;
using namespace ContentTools;

namespace {

ModelFile Quad()
{
    ModelFile m;
    m.flags = ModelFile::kStatic | ModelFile::kTriangleList;
    const float p[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    for (int i = 0; i < 4; ++i) {
        ModelVertex v;
        v.position = {p[i][0], p[i][1], 0};
        v.normal = {0, 0, 1};
        v.u = (p[i][0] + 1) / 2;
        v.v = (p[i][1] + 1) / 2;
        m.vertices.push_back(v);
    }
    m.indices = {0, 1, 2, 2, 3, 0};
    m.boxes = {BoundsOf(m.vertices)};
    return m;
}

// Two bones, two frames; vertex 0 follows bone 0, vertex 1 both, vertex 2 bone 1.
ModelFile Skinned(uint32_t version = 202)
{
    ModelFile m;
    m.version = version;
    m.flags = ModelFile::kSkinned | ModelFile::kTriangleList;
    m.frameCount = 2;
    m.speed = 10;
    for (int b = 0; b < 2; ++b) {
        ModelBone bone;
        bone.name = b ? "arm" : "root";
        bone.pivot = {0.5f * b, 0, 0};
        bone.boxMin = {-1, -1, -1};
        bone.boxMax = {1, 1, 1};
        bone.value1 = static_cast<uint16_t>(7 + b);
        bone.value2 = 9;
        bone.excludeFromBounds = static_cast<uint8_t>(b);
        m.bones.push_back(bone);
    }
    for (int f = 0; f < 2; ++f)
        for (int b = 0; b < 2; ++b) {
            ModelKey k;
            k.position = {static_cast<float>(f * 2), static_cast<float>(b), 0};
            m.keys.push_back(k);
        }
    for (int i = 0; i < 3; ++i) {
        ModelSkinVertex v;
        v.u = 0.25f * i;
        v.v = 1;
        ModelInfluence a;
        a.bone = static_cast<uint16_t>(i == 2 ? 1 : 0);
        a.weight = i == 1 ? 0.5f : 1.0f;
        a.positionOffset = {static_cast<float>(i), 0, 0};
        a.normalOffset = {0, 0, 1};
        v.influences.push_back(a);
        if (i == 1) {
            a.bone = 1;
            v.influences.push_back(a);
        }
        m.skinVertices.push_back(v);
    }
    m.indices = {0, 1, 2};
    m.boxes = {ModelBox{{-9, -9, -9}, {9, 9, 9}}};
    return m;
}

ModelFile Morph()
{
    ModelFile m = Quad();
    m.flags = ModelFile::kMorph | ModelFile::kTriangleList;
    m.frameCount = 3;
    std::vector<ModelVertex> frame = m.vertices;
    m.vertices.clear();
    m.boxes.clear();
    for (int f = 0; f < 3; ++f) {
        std::vector<ModelVertex> moved = frame;
        for (ModelVertex& v : moved)
            v.position.z = static_cast<float>(f);
        m.vertices.insert(m.vertices.end(), moved.begin(), moved.end());
        m.boxes.push_back(BoundsOf(moved));
    }
    return m;
}

class ModelFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = TestSupport::MakeTempDir("model_file"); }
    void TearDown() override { TestSupport::RemoveTree(dir_); }

    std::string Save(const std::vector<uint8_t>& bytes, const std::string& name = "m.kml")
    {
        std::string path = dir_ + "\\" + name;
        EXPECT_TRUE(TestSupport::WriteFileBytes(path, bytes));
        return path;
    }
    void Read(const std::vector<uint8_t>& bytes, ModelFileContents& out, uint32_t extra = 0)
    {
        FileBinary f(Save(bytes), false, 8388608);
        ReadModelFile(f, "models\\m.kml", extra, out);
    }
    std::string Failure(const std::vector<uint8_t>& bytes)
    {
        ModelFileContents c;
        try {
            Read(bytes, c);
        } catch (const FileError& e) {
            return e.GetMessage();
        }
        return "no error";
    }

    std::string dir_;
};

uint32_t IndexAt(const ModelFileContents& c, uint32_t i)
{
    const uint8_t* p = c.indices.data() + i * c.IndexSize();
    if (c.IndexSize() == 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    return p[0] | p[1] << 8;
}

} // namespace

TEST_F(ModelFileTest, StaticMeshRoundTrip)
{
    ModelFileContents c;
    Read(WriteModelFile(Quad()), c);
    EXPECT_EQ(c.version, 202u);
    EXPECT_EQ(c.flags, 0x9u);
    EXPECT_EQ(c.frameCount, 1u);
    EXPECT_EQ(c.indexCount, 6u);
    EXPECT_EQ(c.vertexCount, 4u);
    EXPECT_EQ(c.IndexSize(), 2u);
    ASSERT_EQ(c.vertices.size(), 4u);
    EXPECT_EQ(c.vertices[2].position, Vector3(1, 1, 0));
    EXPECT_EQ(c.vertices[2].normal, Vector3(0, 0, 1));
    EXPECT_FLOAT_EQ(c.vertices[2].u, 1.0f);
    EXPECT_EQ(IndexAt(c, 4), 3u);
    ASSERT_EQ(c.boxMin.size(), 1u);
    EXPECT_EQ(c.boxMin[0], Vector3(-1, -1, 0));
    EXPECT_EQ(c.boxMax[0], Vector3(1, 1, 0));
}

TEST_F(ModelFileTest, SkinnedRecordsOfBothVersions)
{
    for (uint32_t version : {201u, 202u}) {
        std::vector<uint8_t> bytes = WriteModelFile(Skinned(version));
        ModelFileContents c;
        Read(bytes, c);
        ASSERT_EQ(c.bones.size(), 2u);
        EXPECT_EQ(c.bones[1].name, "arm");
        EXPECT_EQ(c.bones[1].value1, 8u);
        EXPECT_EQ(c.bones[1].excludeFromBounds, 1u);
        // Version 201 has no pivot: it stays at the origin.
        EXPECT_EQ(c.bones[1].pivot, version == 202 ? Vector3(0.5f, 0, 0) : Vector3());
        ASSERT_EQ(c.keys.size(), 2u * 2u * 10u);
        EXPECT_FLOAT_EQ(c.keys[(1 * 2 + 1) * 10 + 0], 2.0f);  // frame 1, bone 1, position x
        EXPECT_FLOAT_EQ(c.keys[(1 * 2 + 1) * 10 + 6], 1.0f);  // rotation w
        ASSERT_EQ(c.skin.size(), 3u);
        EXPECT_EQ(c.skin[1].count, 2u);
        EXPECT_EQ(c.skin[1].influences[1].bone, 1u);
        EXPECT_FLOAT_EQ(c.skin[1].influences[1].weight, 0.5f);
        EXPECT_EQ(c.skin[2].influences[0].positionOffset, Vector3(2, 0, 0));
        EXPECT_EQ(c.skin[2].influences[0].normalOffset, Vector3(0, 0, 1));
        EXPECT_FLOAT_EQ(c.vertices[1].u, 0.25f);
        EXPECT_FLOAT_EQ(c.speed, 10.0f);
    }
    // 12 more bytes a bone in version 202.
    EXPECT_EQ(WriteModelFile(Skinned(202)).size() - WriteModelFile(Skinned(201)).size(), 24u);
}

TEST_F(ModelFileTest, MorphFramesAndBoxes)
{
    ModelFileContents c;
    Read(WriteModelFile(Morph()), c);
    EXPECT_EQ(c.frameCount, 3u);
    ASSERT_EQ(c.vertices.size(), 12u);
    EXPECT_FLOAT_EQ(c.vertices[2 * 4 + 1].position.z, 2.0f);
    ASSERT_EQ(c.boxMin.size(), 3u);
    EXPECT_FLOAT_EQ(c.boxMax[1].z, 1.0f);
}

TEST_F(ModelFileTest, HeaderRefusals)
{
    const std::string format = "Incorrect \"models\\m.kml\" file format";
    std::vector<uint8_t> good = WriteModelFile(Quad());
    std::vector<uint8_t> bytes = good;
    bytes[0] -= 1;  // total size one less than the length
    EXPECT_EQ(Failure(bytes), format);
    bytes = good;
    bytes[4] = 'X';
    EXPECT_EQ(Failure(bytes), format);
    // The size is checked before the version.
    ModelFile m = Quad();
    m.version = 203;
    bytes = WriteModelFile(m);
    bytes[0] += 1;
    EXPECT_EQ(Failure(bytes), format);
    for (uint32_t version : {200u, 203u}) {
        m.version = version;
        EXPECT_EQ(Failure(WriteModelFile(m)), "Incorrect \"models\\m.kml\" format version, current is 202");
    }
    EXPECT_EQ(Failure({1, 2, 3}), "Failed to read 13 bytes from \"" + dir_ + "\\m.kml\" file");
}

TEST_F(ModelFileTest, FlagsAndIndexWidth)
{
    ModelFile bare;
    bare.flags = 0;
    bare.storedVertexCount = 2;
    ModelFileContents c;
    Read(WriteModelFile(bare), c);
    EXPECT_EQ(c.flags, 0x200000u);
    // Extra flags join the file's.
    ModelFileContents d;
    Read(WriteModelFile(bare), d, 0x40000);
    EXPECT_EQ(d.flags, 0x40000u);

    // Static and morph together: the static section is read (V records).
    ModelFile both = Quad();
    both.flags |= ModelFile::kMorph;
    both.frameCount = 5;
    both.boxes.assign(5, both.boxes[0]);
    ModelFileContents e;
    Read(WriteModelFile(both), e);
    EXPECT_EQ(e.vertices.size(), 4u);
    EXPECT_EQ(e.boxMin.size(), 5u);  // one box a frame is still expected

    for (uint32_t count : {65535u, 65536u}) {
        ModelFile big = Quad();
        big.indices.assign(count, 3);
        ModelFileContents f;
        Read(WriteModelFile(big), f);
        EXPECT_EQ(f.IndexSize(), count == 65536 ? 4u : 2u);
        EXPECT_EQ(f.indices.size(), size_t(count) * f.IndexSize());
        EXPECT_EQ(IndexAt(f, count - 1), 3u);
    }
}

TEST_F(ModelFileTest, CountsAreCheckedAgainstEachOther)
{
    auto refused = [&](const ModelFile& m, const std::string& part) {
        std::string msg = Failure(WriteModelFile(m));
        EXPECT_NE(msg.find("Incorrect \"models\\m.kml\" file format"), std::string::npos) << msg;
        EXPECT_NE(msg.find(part), std::string::npos) << msg;
    };
    ModelFile m = Quad();
    m.indices[5] = 4;
    refused(m, "index 4 is beyond the vertex count 4");

    m = Skinned();
    m.skinVertices[0].influences.resize(5);
    refused(m, "5 bone influences");
    m = Skinned();
    m.skinVertices[2].influences[0].bone = 2;
    refused(m, "names bone 2 of 2");
    m = Skinned();
    m.frameCount = 0;
    m.keys.clear();
    refused(m, "at least one frame");
    m = Skinned();
    m.bones.clear();
    m.keys.clear();
    refused(m, "at least one bone");
    m = Morph();
    m.frameCount = 0;
    refused(m, "at least one frame");

    // Counts whose products wrap in 32 bits: 2^28 vertices x 16 frames x 32 bytes.
    m = Morph();
    m.storedVertexCount = 1u << 28;
    m.frameCount = 16;
    m.indices.clear();
    refused(m, "the morph frames need");
    // One bone with 2^32 - 1 frames of keys: 160 GB the file cannot hold.
    m = Skinned();
    m.storedBoneCount = 1;
    m.bones.resize(1);
    m.frameCount = 0xFFFFFFFFu;
    refused(m, "the key frames need");
    m = Quad();
    m.storedIndexCount = 0x7FFFFFFFu;
    refused(m, "the indices need");
    m = Quad();
    m.storedVertexCount = 0x10000000u;
    refused(m, "the vertices need");
    ModelFile bare;
    bare.flags = 0x40000;
    bare.storedVertexCount = 0xFFFFFFFFu - 1;
    refused(bare, "without vertex data");
}

TEST_F(ModelFileTest, TruncatedFilesThrowFileErrors)
{
    for (const ModelFile& m : {Quad(), Skinned(), Morph()}) {
        std::vector<uint8_t> good = WriteModelFile(m);
        for (size_t len = 0; len < good.size(); ++len) {
            std::vector<uint8_t> cut(good.begin(), good.begin() + len);
            if (len >= 4) {
                uint32_t n = static_cast<uint32_t>(len);
                std::memcpy(cut.data(), &n, 4);  // a consistent header: only the body is short
            }
            EXPECT_NE(Failure(cut), "no error") << "length " << len;
        }
    }
}

// Every byte of every sample changed to several values: each result is either
// a refusal (a FileError) or contents whose counts agree with each other.
TEST_F(ModelFileTest, MutationCorpusNeverYieldsInconsistentContents)
{
    const uint8_t values[] = {0x00, 0x01, 0x04, 0x7F, 0x80, 0xFF};
    int accepted = 0, refused = 0;
    for (const ModelFile& m : {Quad(), Skinned(201), Skinned(202), Morph()}) {
        std::vector<uint8_t> good = WriteModelFile(m);
        for (size_t at = 4; at < good.size(); ++at)
            for (uint8_t v : values) {
                std::vector<uint8_t> bad = good;
                bad[at] = v;
                ModelFileContents c;
                try {
                    Read(bad, c);
                } catch (const FileError&) {
                    ++refused;
                    continue;
                }
                ++accepted;
                ASSERT_EQ(c.indices.size(), size_t(c.indexCount) * c.IndexSize());
                for (uint32_t i = 0; i < c.indexCount; ++i) {
                    ASSERT_LT(IndexAt(c, i), c.vertexCount);
                }
                if (c.flags & 0x4) {
                    ASSERT_EQ(c.keys.size(), size_t(c.bones.size()) * c.frameCount * 10);
                }
                if ((c.flags & 0x7) == 0x4) {
                    ASSERT_EQ(c.skin.size(), c.vertexCount);
                    for (const SkinRecord& s : c.skin) {
                        ASSERT_LE(s.count, 4u);
                        for (int k = 0; k < s.count; ++k) {
                            ASSERT_LT(s.influences[k].bone, c.bones.size());
                        }
                    }
                }
                if (c.flags & 0x1) {
                    ASSERT_EQ(c.vertices.size(), c.vertexCount);
                } else if (c.flags & 0x2) {
                    ASSERT_EQ(c.vertices.size(), size_t(c.vertexCount) * c.frameCount);
                }
                ASSERT_EQ(c.boxMin.size(), (c.flags & 0x2) ? c.frameCount : 1u);
                ASSERT_GE(c.frameCount, 1u);
            }
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

// The layouts spelled out field by field, independent of the project's
// writer: a field both sides misplace alike shows here.
TEST_F(ModelFileTest, GoldenSkinnedFileSpelledFromTheLayout)
{
    TestSupport::Bytes b;
    b.Header("KEMLF", 202);
    b.U32(0x40044);              // skinned, lit, visible
    b.U32(2).F32(12.5f);         // frame count, speed
    b.U16(2);                    // bone count
    // Bone records: exclusion flag, name, pivot (version 202), box, two values.
    b.U8(1).String("hip").Vec(0.5f, 0.25f, 0.125f).Vec(-1, -2, -3).Vec(1, 2, 3).U16(11).U16(12);
    b.U8(0).String("knee").Vec(4, 5, 6).Vec(-4, -5, -6).Vec(4, 5, 6).U16(21).U16(22);
    // Keys, frame-major: position, rotation x y z w, scale; key f x B + b holds 100 f + 10 b + field.
    for (int f = 0; f < 2; ++f)
        for (int bone = 0; bone < 2; ++bone)
            for (int field = 0; field < 10; ++field)
                b.F32(float(100 * f + 10 * bone + field));
    b.U32(3).U32(2);             // index count, vertex count
    b.U16(1).U16(0).U16(1);      // 2-byte indices below 65536
    // Vertex 0: u, v, one influence (bone, weight, normal offset, position offset).
    b.F32(0.75f).F32(0.25f).U16(1);
    b.U16(1).F32(1).Vec(0, 0, 1).Vec(7, 8, 9);
    // Vertex 1: two influences.
    b.F32(0.5f).F32(1).U16(2);
    b.U16(0).F32(0.25f).Vec(1, 0, 0).Vec(-1, -2, -3);
    b.U16(1).F32(0.75f).Vec(0, 1, 0).Vec(3, 2, 1);
    b.Vec(-10, -11, -12).Vec(10, 11, 12); // the stored box
    b.U8(0x5A);                  // bytes after the bounds are not read
    ModelFileContents c;
    Read(b.Done(), c);

    EXPECT_EQ(c.version, 202u);
    EXPECT_EQ(c.flags, 0x40044u);
    EXPECT_EQ(c.frameCount, 2u);
    EXPECT_EQ(c.speed, 12.5f);
    ASSERT_EQ(c.bones.size(), 2u);
    EXPECT_EQ(c.bones[0].excludeFromBounds, 1);
    EXPECT_EQ(c.bones[0].name, "hip");
    EXPECT_EQ(c.bones[0].pivot.x, 0.5f);
    EXPECT_EQ(c.bones[0].pivot.z, 0.125f);
    EXPECT_EQ(c.bones[0].boxMin.y, -2.0f);
    EXPECT_EQ(c.bones[0].boxMax.z, 3.0f);
    EXPECT_EQ(c.bones[0].value1, 11);
    EXPECT_EQ(c.bones[0].value2, 12);
    EXPECT_EQ(c.bones[1].excludeFromBounds, 0);
    EXPECT_EQ(c.bones[1].name, "knee");
    EXPECT_EQ(c.bones[1].pivot.y, 5.0f);
    EXPECT_EQ(c.bones[1].value2, 22);
    ASSERT_EQ(c.keys.size(), 40u);
    for (int f = 0; f < 2; ++f)
        for (int bone = 0; bone < 2; ++bone)
            for (int field = 0; field < 10; ++field)
                EXPECT_EQ(c.keys[(f * 2 + bone) * 10 + field], float(100 * f + 10 * bone + field));
    EXPECT_EQ(c.indexCount, 3u);
    EXPECT_EQ(c.vertexCount, 2u);
    EXPECT_EQ(IndexAt(c, 0), 1u);
    EXPECT_EQ(IndexAt(c, 1), 0u);
    EXPECT_EQ(IndexAt(c, 2), 1u);
    ASSERT_EQ(c.vertices.size(), 2u);
    ASSERT_EQ(c.skin.size(), 2u);
    EXPECT_EQ(c.vertices[0].u, 0.75f);
    EXPECT_EQ(c.vertices[0].v, 0.25f);
    EXPECT_EQ(c.vertices[1].u, 0.5f);
    EXPECT_EQ(c.skin[0].count, 1);
    EXPECT_EQ(c.skin[0].influences[0].bone, 1);
    EXPECT_EQ(c.skin[0].influences[0].weight, 1.0f);
    EXPECT_EQ(c.skin[0].influences[0].normalOffset.z, 1.0f);
    EXPECT_EQ(c.skin[0].influences[0].positionOffset.x, 7.0f);
    EXPECT_EQ(c.skin[0].influences[0].positionOffset.z, 9.0f);
    EXPECT_EQ(c.skin[1].count, 2);
    EXPECT_EQ(c.skin[1].influences[0].bone, 0);
    EXPECT_EQ(c.skin[1].influences[0].weight, 0.25f);
    EXPECT_EQ(c.skin[1].influences[0].normalOffset.x, 1.0f);
    EXPECT_EQ(c.skin[1].influences[0].positionOffset.y, -2.0f);
    EXPECT_EQ(c.skin[1].influences[1].bone, 1);
    EXPECT_EQ(c.skin[1].influences[1].weight, 0.75f);
    EXPECT_EQ(c.skin[1].influences[1].normalOffset.y, 1.0f);
    EXPECT_EQ(c.skin[1].influences[1].positionOffset.x, 3.0f);
    ASSERT_EQ(c.boxMin.size(), 1u);
    EXPECT_EQ(c.boxMin[0].x, -10.0f);
    EXPECT_EQ(c.boxMax[0].z, 12.0f);
}

TEST_F(ModelFileTest, GoldenMorphFileSpelledFromTheLayout)
{
    TestSupport::Bytes b;
    b.Header("KEMLF", 201);
    b.U32(0xA);                  // morph, triangle list
    b.U32(2).F32(4);             // frame count, speed
    b.U32(3).U32(3);             // index count, vertex count
    b.U16(2).U16(1).U16(0);
    // Frame-major records of u, v, normal, position; field k of vertex i in
    // frame f holds 1000 f + 100 i + k.
    for (int f = 0; f < 2; ++f)
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 8; ++k)
                b.F32(float(1000 * f + 100 * i + k));
    b.Vec(-1, -2, -3).Vec(1, 2, 3);         // box of frame 0
    b.Vec(-4, -5, -6).Vec(4, 5, 6);         // box of frame 1
    ModelFileContents c;
    Read(b.Done(), c);

    EXPECT_EQ(c.version, 201u);
    EXPECT_EQ(c.frameCount, 2u);
    EXPECT_EQ(c.speed, 4.0f);
    EXPECT_EQ(IndexAt(c, 0), 2u);
    EXPECT_EQ(IndexAt(c, 2), 0u);
    ASSERT_EQ(c.vertices.size(), 6u);
    for (int f = 0; f < 2; ++f)
        for (int i = 0; i < 3; ++i) {
            const MorphVertex& v = c.vertices[f * 3 + i];
            const float base = float(1000 * f + 100 * i);
            EXPECT_EQ(v.u, base);
            EXPECT_EQ(v.v, base + 1);
            EXPECT_EQ(v.normal.x, base + 2);
            EXPECT_EQ(v.normal.z, base + 4);
            EXPECT_EQ(v.position.x, base + 5);
            EXPECT_EQ(v.position.z, base + 7);
        }
    ASSERT_EQ(c.boxMin.size(), 2u);
    EXPECT_EQ(c.boxMin[0].z, -3.0f);
    EXPECT_EQ(c.boxMax[0].y, 2.0f);
    EXPECT_EQ(c.boxMin[1].x, -4.0f);
    EXPECT_EQ(c.boxMax[1].z, 6.0f);
}
