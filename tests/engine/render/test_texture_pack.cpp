#include <gtest/gtest.h>

#include <memory>

#include "ResourceTestSupport.h"
#include "support/Bytes.h"
#include "engine/render/TexturePack.h"
#include "tools/formats/TexturePackWriter.h"

using namespace KorvaneEngine;
using namespace ResourceTest;
using GameTools::TexturePack;
using namespace ContentTools;

namespace {

TexturePackFile TwoTextures()
{
    TexturePackFile p;
    TexturePackTexture a;
    a.name = "button";
    TexturePackFrame f;
    f.value = 7;
    f.position[0] = 0.25f;
    f.position[1] = 0.5f;
    f.size[0] = 0.125f;
    f.size[1] = 0.0625f;
    f.extra[0] = -1;
    f.extra[1] = 2;
    a.frames.push_back(f);
    a.frames.push_back(TexturePackFrame());
    TexturePackTexture b;
    b.name = "empty";
    p.textures = {a, b};
    return p;
}

class TexturePacks : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.StartResources("texture_pack");
        baseUsers = scene.shaders->GetUserCount();
    }
    void TearDown() override { scene.StopResources(); }

    std::string Put(const std::string& name, const TexturePackFile& pack)
    {
        scene.PutFile(name, WriteTexturePackFile(pack));
        return scene.Path(name);
    }
    // The message of the Error a pack raises; FileError must not escape.
    std::string Failure(const std::string& name)
    {
        try {
            TexturePack pack(name, false);
        } catch (const FileError& e) {
            return "FileError escaped: " + e.GetMessage();
        } catch (const Error& e) {
            return e.GetMessage();
        }
        return "no error";
    }

    ResourceScene scene;
    uint32_t baseUsers = 0;
};

} // namespace

TEST_F(TexturePacks, TexturesAndFramesAsStored)
{
    const std::string name = Put("icons.tpf", TwoTextures());
    scene.PutFile("icons.srf", WriteShaderFile(SceneTest::TexturedShader("icons.bmp")));
    {
        TexturePack pack(name, true);
        EXPECT_EQ(pack.GetName(), name);
        ASSERT_EQ(pack.GetTextures().size(), 2u);
        const std::vector<GameTools::TexturePackFrame>& frames = pack.GetTextures().at("button");
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0].value, 7u);
        EXPECT_FLOAT_EQ(frames[0].position.y, 0.5f);
        EXPECT_FLOAT_EQ(frames[0].size.x, 0.125f);
        EXPECT_FLOAT_EQ(frames[0].size.y, 0.0625f);
        EXPECT_FLOAT_EQ(frames[0].extra.x, -1.0f);
        EXPECT_FLOAT_EQ(frames[1].size.x, 1.0f);
        EXPECT_TRUE(pack.GetTextures().at("empty").empty());
        ASSERT_NE(pack.GetShaderUser(), nullptr);
        EXPECT_EQ(pack.GetShaderUser()->GetStageCount(), 1u);
        EXPECT_EQ(scene.shaders->GetUserCount(), baseUsers + 1);
    }
    EXPECT_EQ(scene.shaders->GetUserCount(), baseUsers);

    // Without a shader file beside it the pack still loads, on the default shader.
    TexturePack bare(Put("bare.tpf", TwoTextures()), false);
    EXPECT_EQ(bare.GetShaderUser()->GetStageCount(), 0u);
}

TEST_F(TexturePacks, NamesEndAtTheFirstZero)
{
    TexturePackFile p;
    TexturePackTexture t;
    t.name = std::string("ab\0c", 4);  // n = 5: a, b, 0, c, 0
    p.textures.push_back(t);
    TexturePack pack(Put("zero.tpf", p), false);
    ASSERT_EQ(pack.GetTextures().size(), 1u);
    EXPECT_EQ(pack.GetTextures().begin()->first, "ab");
}

TEST_F(TexturePacks, InconsistentPacksAreRefusedWithTheirMessages)
{
    TexturePackFile p = TwoTextures();
    p.textures[1].name = "button";
    const std::string dup = Put("dup.tpf", p);
    EXPECT_EQ(Failure(dup), "TexturePack (\"" + dup + " \"): Texture \"button\" is dublicated");

    p = TwoTextures();
    p.storedTextureCount = 0;
    p.trailing = {1, 2, 3, 4, 5, 6};
    const std::string none = Put("none.tpf", p);
    EXPECT_EQ(Failure(none), "TexturePack (\"" + none + "\"): No textures in pack");

    p = TwoTextures();
    p.version = 100;
    const std::string old = Put("old.tpf", p);
    EXPECT_EQ(Failure(old), "Incorrect \"data\\" + old + "\" format version (100), current is 101");

    p = TwoTextures();
    p.storedTotalSize = static_cast<uint32_t>(WriteTexturePackFile(p).size()) + 1;
    const std::string cut = Put("cut.tpf", p);
    EXPECT_EQ(Failure(cut), "Incorrect \"data\\" + cut + "\" file format");

    EXPECT_NE(Failure(scene.Path("missing.tpf")).find("Failed to open"), std::string::npos);

    // Counts larger than the file fail as a short read, before anything is reserved.
    p = TwoTextures();
    p.textures[0].storedFrameCount = 0xFFFFFFFEu;
    const std::string huge = Put("huge.tpf", p);
    EXPECT_EQ(Failure(huge).find("Failed to read"), 0u) << Failure(huge);
    p = TwoTextures();
    p.storedTextureCount = 3;
    const std::string shortPack = Put("short.tpf", p);
    EXPECT_EQ(Failure(shortPack).find("Failed to read"), 0u) << Failure(shortPack);

    // Nothing is left behind by the failures.
    EXPECT_EQ(scene.shaders->GetUserCount(), baseUsers);
}

// The layout spelled out field by field, independent of the project's
// writer: a field both sides misplace alike shows here.
TEST_F(TexturePacks, GoldenFileSpelledFromTheLayout)
{
    TestSupport::Bytes b;
    b.Header("GFTPF", 101);
    b.U32(3);                                        // texture count
    b.String("tiles").U32(2);                        // name, frame count
    b.U32(5).F32(0.25f).F32(0.5f).F32(0.125f).F32(0.0625f).F32(-1).F32(2); // value, position, size, extra
    b.U32(6).F32(0.75f).F32(0.5f).F32(0.25f).F32(0.5f).F32(3).F32(-4);
    b.String("whole").U32(1);
    b.U32(0).F32(0).F32(0).F32(1).F32(1).F32(0).F32(0);
    b.String("none").U32(0);
    scene.PutFile("golden.tpf", b.Done());
    TexturePack pack(scene.Path("golden.tpf"), false);

    const auto& textures = pack.GetTextures();
    ASSERT_EQ(textures.size(), 3u);
    const std::vector<GameTools::TexturePackFrame>& tiles = textures.at("tiles");
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_EQ(tiles[0].value, 5u);
    EXPECT_EQ(tiles[0].position.x, 0.25f);
    EXPECT_EQ(tiles[0].position.y, 0.5f);
    EXPECT_EQ(tiles[0].size.x, 0.125f);
    EXPECT_EQ(tiles[0].size.y, 0.0625f);
    EXPECT_EQ(tiles[0].extra.x, -1.0f);
    EXPECT_EQ(tiles[0].extra.y, 2.0f);
    EXPECT_EQ(tiles[1].value, 6u);
    EXPECT_EQ(tiles[1].position.x, 0.75f);
    EXPECT_EQ(tiles[1].size.y, 0.5f);
    EXPECT_EQ(tiles[1].extra.x, 3.0f);
    EXPECT_EQ(tiles[1].extra.y, -4.0f);
    const std::vector<GameTools::TexturePackFrame>& whole = textures.at("whole");
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].value, 0u);
    EXPECT_EQ(whole[0].size.x, 1.0f);
    EXPECT_EQ(whole[0].size.y, 1.0f);
    EXPECT_TRUE(textures.at("none").empty());
}
