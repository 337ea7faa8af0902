#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/render/ShaderDescriptor.h"
#include "support/Bytes.h"
#include "support/TestSupport.h"
#include "tools/formats/ShaderFileWriter.h"

using namespace KorvaneEngine;
using namespace ContentTools;

namespace {

bool Same(const Color& a, const Color& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

class ShaderFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = TestSupport::MakeTempDir("shader_descriptor");
        CreateDirectoryA((root_ + "\\data").c_str(), nullptr);
        CreateDirectoryA((root_ + "\\data\\models").c_str(), nullptr);
        files_.reset(new FileManager(root_, false, "data", 16777216));
        FileManager::Instance(files_.get());
    }
    void TearDown() override
    {
        files_.reset();
        TestSupport::RemoveTree(root_);
    }
    void Put(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(TestSupport::WriteFileBytes(root_ + "\\data\\" + name, bytes));
    }
    void Touch(const std::string& name) { Put(name, {1}); }
    std::string Failure(const std::vector<uint8_t>& bytes)
    {
        Put("models\\s.srf", bytes);
        try {
            ShaderDescriptor d("models\\s.srf");
        } catch (const FatalError& e) {
            return "fatal: " + e.GetMessage();
        } catch (const Error& e) {
            return e.GetMessage();
        }
        return "no error";
    }

    std::string root_;
    std::unique_ptr<FileManager> files_;
};

ShaderFile TwoStages()
{
    ShaderFile s;
    s.flags = 0x11;
    s.colors[1][2] = 0.5f;
    s.value1 = 3;
    s.value2 = 4;
    s.sourceBlend = 4;
    s.destinationBlend = 5;
    ShaderFileStage a;
    a.flags = 1;
    a.diffuse = "Wood.PNG";
    a.opacity = "wood_a.png";
    a.addressU = 0;
    a.addressV = 1;
    a.scaleU = 2;
    a.offsetV = 0.25f;
    ShaderFileStage b;
    b.type = 1;
    b.frameCount = 8;
    b.speed = 12;
    b.columns = 4;
    b.rows = 2;
    b.diffuse = "fx\\sparks.png";
    s.stages = {a, b};
    return s;
}

} // namespace

TEST(ShaderDescriptor, NameConstructors)
{
    ShaderDescriptor plain(true, "Stone.png", "", false);
    EXPECT_EQ(plain.GetFlags(), 0u);
    EXPECT_EQ(plain.GetSourceBlend(), 0u);
    ASSERT_EQ(plain.GetStageCount(), 1u);
    EXPECT_EQ(plain.GetStage(0).diffuse, "stone.png");
    EXPECT_EQ(plain.GetStage(0).flags, 1u);
    EXPECT_EQ(plain.GetStage(0).addressU, 1u);
    EXPECT_EQ(plain.GetStage(0).frameCount, 0u);
    EXPECT_TRUE(Same(plain.GetColor(3), Color(0, 0, 0, 1)));

    // "32bit": blending on, no opacity file.
    ShaderDescriptor alpha(false, "glass.tga", "32bit", true);
    EXPECT_EQ(alpha.GetFlags(), 1u);
    EXPECT_EQ(alpha.GetSourceBlend(), 4u);
    EXPECT_EQ(alpha.GetDestinationBlend(), 5u);
    EXPECT_EQ(alpha.GetStage(0).opacity, "");
    EXPECT_EQ(alpha.GetStage(0).addressV, 0u);
    // Only the animated form takes the keyword in any letter case.
    EXPECT_EQ(ShaderDescriptor(false, "a.png", "32BIT", false).GetStage(0).opacity, "32bit");
    EXPECT_EQ(ShaderDescriptor(false, 2, 1, 1, 4, 5.0f, "a_0.png", "32BIT", false).GetStage(0).opacity, "");

    ShaderDescriptor none(false, "", "x.png", false);
    EXPECT_EQ(none.GetStageCount(), 0u);
    EXPECT_EQ(none.GetFlags(), 1u);
}

TEST(ShaderDescriptor, StagesAndTheirLimits)
{
    ShaderDescriptor d;
    EXPECT_EQ(d.AddStage(5, 0, 1, 1, 1, 0.0f, "pack_a_0"), 0u);  // the seven-argument form
    EXPECT_EQ(d.GetStage(0).opacity, "");
    EXPECT_EQ(d.GetStage(0).addressU, 1u);
    EXPECT_EQ(d.AddStage(0, 1, 0, 0, 0, 1.0f, "net.png", "net_a.png", 0), 1u);
    // Grids and animations of no cells are one cell, one frame.
    EXPECT_EQ(d.GetStage(1).columns, 1u);
    EXPECT_EQ(d.GetStage(1).rows, 1u);
    EXPECT_EQ(d.GetStage(1).frameCount, 1u);
    try {
        d.AddStage(0);
        FAIL() << "a third stage was accepted";
    } catch (const FatalError& e) {
        EXPECT_EQ(e.GetMessage(), "Shader Stages: buffer is overflowed");
    }
    EXPECT_EQ(d.GetStageCount(), 2u);

    ShaderDescriptor copy(d);
    EXPECT_EQ(copy.GetStageCount(), 2u);
    EXPECT_EQ(copy.GetStage(1).opacity, "net_a.png");
    EXPECT_EQ(copy.GetHash(), d.GetHash());
    copy.SetStageMode(0, 9);
    copy.SetStageMode(7, 9);  // no third factor
    EXPECT_EQ(copy.GetSourceBlend(), 9u);
}

TEST(ShaderDescriptor, SharingTest)
{
    ShaderDescriptor a(false, "wood.png", "", false);
    ShaderDescriptor b(true, "WOOD.png", "", true);
    b.SetColor1(Color(1, 0, 0, 1));
    b.GetStage(0).offsetU = 0.5f;
    b.AddFlags(0);
    EXPECT_TRUE(a.IsEqual(b));  // mips, address, colours, offsets belong to the user
    EXPECT_EQ(a.GetHash(), b.GetHash());
    b.AddFlags(2);
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_FALSE(a.IsEqual(ShaderDescriptor(false, "wood.png", "w.png", false)));

    ShaderDescriptor s8(false, 2, 1, 1, 8, 10, "f_0.png", "", false);
    ShaderDescriptor s9(false, 2, 1, 1, 9, 10, "f_0.png", "", false);
    EXPECT_FALSE(s8.IsEqual(s9));
    ShaderDescriptor net(false, 1, 4, 4, 16, 10, "f_0.png", "", false);
    ShaderDescriptor still(false, 0, 1, 1, 1, 0, "f_0.png", "", false);
    EXPECT_TRUE(net.IsEqual(still));  // types 0 and 1 count as the same
    EXPECT_FALSE(s8.IsEqual(still));
    // The hash separates names that only concatenate alike.
    ShaderDescriptor ab(false, "ab", "c", false), abc(false, "a", "bc", false);
    EXPECT_NE(ab.GetHash(), abc.GetHash());
}

TEST_F(ShaderFiles, ReadsEveryField)
{
    Put("models\\s.srf", WriteShaderFile(TwoStages()));
    ShaderDescriptor d("models\\s.srf");
    EXPECT_EQ(d.GetFlags(), 0x11u);
    EXPECT_TRUE(Same(d.GetColor(1), Color(1, 1, 0.5f, 1)));
    EXPECT_EQ(d.GetValue1(), 3.0f);
    EXPECT_EQ(d.GetValue2(), 4.0f);
    EXPECT_EQ(d.GetSourceBlend(), 4u);
    ASSERT_EQ(d.GetStageCount(), 2u);
    const ShaderStage& a = d.GetStage(0);
    // A bare name is taken from the shader file's folder.
    EXPECT_EQ(a.diffuse, "models\\wood.png");
    EXPECT_EQ(a.opacity, "models\\wood_a.png");
    EXPECT_EQ(a.addressU, 0u);
    EXPECT_EQ(a.addressV, 1u);
    EXPECT_EQ(a.scaleU, 2.0f);
    EXPECT_EQ(a.offsetV, 0.25f);
    EXPECT_EQ(a.frameCount, 0u);
    const ShaderStage& b = d.GetStage(1);
    EXPECT_EQ(b.diffuse, "fx\\sparks.png");  // has a folder: kept
    EXPECT_EQ(b.type, 1u);
    EXPECT_EQ(b.frameCount, 8u);
    EXPECT_EQ(b.columns, 4u);
    EXPECT_EQ(b.rows, 2u);
    EXPECT_EQ(b.speed, 12.0f);
}

TEST_F(ShaderFiles, Refusals)
{
    const std::string format = "Incorrect \"models\\s.srf\" file format";
    std::vector<uint8_t> good = WriteShaderFile(TwoStages());
    std::vector<uint8_t> bad = good;
    bad[0] -= 1;
    EXPECT_EQ(Failure(bad), format);
    bad = good;
    bad[8] = 'X';
    EXPECT_EQ(Failure(bad), format);
    ShaderFile s = TwoStages();
    s.version = 210;
    EXPECT_EQ(Failure(WriteShaderFile(s)), "Incorrect \"models\\s.srf\" format version, current is 211");
    s = TwoStages();
    // A third stage is a malformed file like any other, not the overflow of
    // code adding stages by hand; so is a count no file could hold.
    s.stages.push_back(s.stages[0]);
    EXPECT_EQ(Failure(WriteShaderFile(s)), format);
    std::vector<uint8_t> many = WriteShaderFile(TwoStages());
    many[97] = 0xFF, many[98] = 0xFF, many[99] = 0xFF, many[100] = 0xFF;
    EXPECT_EQ(Failure(many), format);
    s = TwoStages();
    s.stages[1].type = 2;
    s.stages[1].frameCount = 5000;
    EXPECT_EQ(Failure(WriteShaderFile(s)), format);
    s.stages[1].frameCount = 1024;
    EXPECT_EQ(Failure(WriteShaderFile(s)), "no error");
    EXPECT_NE(Failure({}).find("Failed to read 13 bytes"), std::string::npos);
    try {
        ShaderDescriptor d("models\\missing.srf");
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(e.GetMessage().find("Failed to open"), std::string::npos);
    }
}

// The layout spelled out field by field, independent of the project's
// writer: a field both sides misplace alike shows here.
TEST_F(ShaderFiles, GoldenFileSpelledFromTheLayout)
{
    TestSupport::Bytes b;
    b.Header("KESRF", 211);
    b.U32(0x21);                                              // flags: blending and a passed-through bit
    b.F32(0.1f).F32(0.2f).F32(0.3f).F32(0.4f);                // colour 1
    b.F32(0.5f).F32(0.6f).F32(0.7f).F32(0.8f);                // colour 2
    b.F32(1.5f).F32(1.6f).F32(1.7f).F32(1.8f);                // colour 3
    b.F32(2.5f).F32(2.6f).F32(2.7f).F32(2.8f);                // colour 4
    b.F32(9.5f).F32(-9.5f);                                   // value 1, value 2
    b.U32(2).U32(6);                                          // blend factors
    ASSERT_EQ(b.Size(), 97u);
    b.U32(2);                                                 // stage count
    // Stage 0: a net of 3 x 5 cells, 15 frames at 7.5 per second.
    b.U32(3).U32(1).U32(15).F32(7.5f).U32(3).U32(5);
    b.String("Net.PNG").String("");
    b.U32(0).U32(1).F32(1.25f).F32(1.5f).F32(0.125f).F32(0.375f);
    // Stage 1: no animation (no frame count, speed or net on file).
    b.U32(4).U32(0);
    b.String("fx\\Glow.bmp").String("glow_a.bmp");
    b.U32(1).U32(0).F32(2).F32(3).F32(-1).F32(-2);
    Put("models\\golden.srf", b.Done());

    ShaderDescriptor d("models\\golden.srf");
    EXPECT_EQ(d.GetFlags(), 0x21u);
    EXPECT_TRUE(Same(d.GetColor(0), Color(0.1f, 0.2f, 0.3f, 0.4f)));
    EXPECT_TRUE(Same(d.GetColor(1), Color(0.5f, 0.6f, 0.7f, 0.8f)));
    EXPECT_TRUE(Same(d.GetColor(2), Color(1.5f, 1.6f, 1.7f, 1.8f)));
    EXPECT_TRUE(Same(d.GetColor(3), Color(2.5f, 2.6f, 2.7f, 2.8f)));
    EXPECT_EQ(d.GetValue1(), 9.5f);
    EXPECT_EQ(d.GetValue2(), -9.5f);
    EXPECT_EQ(d.GetSourceBlend(), 2u);
    EXPECT_EQ(d.GetDestinationBlend(), 6u);
    ASSERT_EQ(d.GetStageCount(), 2u);
    const ShaderStage& net = d.GetStage(0);
    EXPECT_EQ(net.flags, 3u);
    EXPECT_EQ(net.type, 1u);
    EXPECT_EQ(net.frameCount, 15u);
    EXPECT_EQ(net.speed, 7.5f);
    EXPECT_EQ(net.columns, 3u);
    EXPECT_EQ(net.rows, 5u);
    EXPECT_EQ(net.diffuse, "models\\net.png");
    EXPECT_EQ(net.opacity, "");
    EXPECT_EQ(net.addressU, 0u);
    EXPECT_EQ(net.addressV, 1u);
    EXPECT_EQ(net.scaleU, 1.25f);
    EXPECT_EQ(net.scaleV, 1.5f);
    EXPECT_EQ(net.offsetU, 0.125f);
    EXPECT_EQ(net.offsetV, 0.375f);
    const ShaderStage& plain = d.GetStage(1);
    EXPECT_EQ(plain.flags, 4u);
    EXPECT_EQ(plain.type, 0u);
    EXPECT_EQ(plain.frameCount, 0u);
    EXPECT_EQ(plain.speed, 0.0f);
    EXPECT_EQ(plain.columns, 1u);
    EXPECT_EQ(plain.rows, 1u);
    EXPECT_EQ(plain.diffuse, "fx\\glow.bmp");
    EXPECT_EQ(plain.opacity, "models\\glow_a.bmp");
    EXPECT_EQ(plain.addressU, 1u);
    EXPECT_EQ(plain.addressV, 0u);
    EXPECT_EQ(plain.scaleU, 2.0f);
    EXPECT_EQ(plain.scaleV, 3.0f);
    EXPECT_EQ(plain.offsetU, -1.0f);
    EXPECT_EQ(plain.offsetV, -2.0f);
}

// Truncations and single-byte changes at every offset: each is read or
// refused with an engine error; none crashes or hangs.
TEST_F(ShaderFiles, MutationCorpus)
{
    std::vector<uint8_t> good = WriteShaderFile(TwoStages());
    int refused = 0, read = 0;
    auto attempt = [&](const std::vector<uint8_t>& bytes) {
        std::string r = Failure(bytes);
        (r == "no error" ? read : refused)++;
    };
    for (size_t len = 0; len < good.size(); ++len) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + len);
        if (len >= 4)
            cut[0] = static_cast<uint8_t>(len), cut[1] = 0, cut[2] = 0, cut[3] = 0;
        attempt(cut);
    }
    for (size_t at = 4; at < good.size(); ++at)
        for (uint8_t v : {0x00, 0x02, 0x7F, 0xFF}) {
            std::vector<uint8_t> bad = good;
            bad[at] = v;
            attempt(bad);
        }
    EXPECT_GT(refused, int(good.size()));
    EXPECT_GT(read, 0);
}

TEST_F(ShaderFiles, SequenceNamesAreNumberedByTheLastFrame)
{
    ShaderDescriptor d(false, 2, 1, 1, 12, 10, "fire_00.png", "", false);
    std::vector<std::string> names;
    d.GetStageTextureNames(0, names);
    ASSERT_EQ(names.size(), 24u);
    EXPECT_EQ(names[0], "data\\fire_00.png");
    EXPECT_EQ(names[2 * 11], "data\\fire_11.png");
    EXPECT_EQ(names[1], "");

    // Both sequences (type 4), 3 frames: one digit.
    ShaderDescriptor both(false, 4, 1, 1, 3, 10, "a_0.jpg", "m_0.bmp", false);
    both.GetStageTextureNames(0, names);
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[4], "data\\a_2.jpg");
    EXPECT_EQ(names[5], "data\\m_2.bmp");
    // A name shorter than its number part does not reach before its start.
    ShaderDescriptor tiny(false, 2, 1, 1, 100, 10, "a.b", "", false);
    tiny.GetStageTextureNames(0, names);
    EXPECT_EQ(names[2 * 42], "data\\42.b");
    // A stage that loads no pictures.
    ShaderDescriptor owned;
    owned.AddStage(5, 0, 1, 1, 1, 0.0f, "pack_x_0");
    owned.GetStageTextureNames(0, names);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "");
}

TEST_F(ShaderFiles, FormatSubstitution)
{
    std::vector<std::string> names;
    Touch("wood.png");
    Touch("wood.dds");
    ShaderDescriptor(false, "Wood.png", "wood_a.png", false).GetStageTextureNames(0, names);
    EXPECT_EQ(names[0], "data\\wood.dds");
    EXPECT_EQ(names[1], "");  // a DDS carries its own alpha

    ShaderDescriptor(false, "x.tga", "", false).GetStageTextureNames(0, names);
    EXPECT_EQ(names[0], "data\\x.tga");  // nothing there: stays
    Touch("x.png");
    ShaderDescriptor(false, "x.tga", "", false).GetStageTextureNames(0, names);
    EXPECT_EQ(names[0], "data\\x.png");
    Touch("x.bmp");
    ShaderDescriptor(false, "x.tga", "", false).GetStageTextureNames(0, names);
    EXPECT_EQ(names[0], "data\\x.bmp");  // bmp before png

    Touch("photo.jpg");
    Touch("photo_a.jpg");
    ShaderDescriptor(false, "photo.png", "photo_a.tga", false).GetStageTextureNames(0, names);
    EXPECT_EQ(names[0], "data\\photo.jpg");
    EXPECT_EQ(names[1], "data\\photo_a.jpg");
    Touch("mask_a.bmp");
    ShaderDescriptor(false, "photo.jpg", "mask_a.tga", false).GetStageTextureNames(0, names);
    EXPECT_EQ(names[1], "data\\mask_a.bmp");
    // A PNG diffuse picture drops its opacity picture.
    Touch("leaf.png");
    ShaderDescriptor(false, "leaf.png", "leaf_a.bmp", false).GetStageTextureNames(0, names);
    EXPECT_EQ(names[0], "data\\leaf.png");
    EXPECT_EQ(names[1], "");
}
