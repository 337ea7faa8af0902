#include <gtest/gtest.h>

#include "SceneTestSupport.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"

using namespace KorvaneEngine;
using namespace SceneTest;

namespace {

ContentTools::ModelFile Skinned()
{
    ContentTools::ModelFile m = Square(ModelFlags::kSkinned | ModelFlags::kTriangleList | ModelFlags::kVisible);
    m.frameCount = 3;
    m.speed = 5;
    for (int b = 0; b < 2; ++b) {
        ContentTools::ModelBone bone;
        bone.name = "b" + std::to_string(b);
        bone.boxMin = {-1, -1, -1};
        bone.boxMax = {1, 1, 1};
        m.bones.push_back(bone);
    }
    for (int f = 0; f < 3; ++f)
        for (int b = 0; b < 2; ++b) {
            ContentTools::ModelKey k;
            k.position = {float(f), float(b), 0};
            m.keys.push_back(k);
        }
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        ContentTools::ModelSkinVertex s;
        ContentTools::ModelInfluence in;
        in.bone = uint16_t(i % 2);
        in.positionOffset = m.vertices[i].position;
        s.influences = {in, in};
        s.influences[1].bone = 1;
        s.influences[0].weight = s.influences[1].weight = 0.5f;
        m.skinVertices.push_back(s);
    }
    m.vertices.clear();
    return m;
}

ContentTools::ModelFile Morph()
{
    ContentTools::ModelFile m = Square(ModelFlags::kMorph | ModelFlags::kTriangleList | ModelFlags::kVisible);
    std::vector<ContentTools::ModelVertex> frame = m.vertices;
    m.frameCount = 2;
    m.vertices.insert(m.vertices.end(), frame.begin(), frame.end());
    m.boxes.push_back(m.boxes[0]);
    return m;
}

class SceneCorpus : public ::testing::Test {
protected:
    void SetUp() override { scene.StartScene("scene_corpus"); }
    void TearDown() override { scene.StopScene(); }
    Scene scene;
};

bool HasErrorMentioning(const Scene& s, int from, const std::string& part)
{
    for (int i = from; i < s.log->GetHistorySize(); ++i) {
        const LogRecord* r = s.log->GetHistoryRecord(i);
        if (r->level == 3 && r->text.find(part) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

// Truncated and changed model files, loaded as the resource registry loads
// them and drawn through clones: each is the model or the box named after
// it, a box always with an error in the log; nothing crashes.
TEST_F(SceneCorpus, DamagedModelFilesGiveTheBox)
{
    scene.PutFile("models\\m.srf", ContentTools::WriteShaderFile(TexturedShader("m.bmp")));
    int boxes = 0, loaded = 0;
    uint32_t n = 0;
    for (const ContentTools::ModelFile& sample : {Square(0x40209), Skinned(), Morph()}) {
        std::vector<uint8_t> good = ContentTools::WriteModelFile(sample);
        std::vector<std::vector<uint8_t>> corpus;
        for (size_t len = 0; len < good.size(); len += 3) {
            std::vector<uint8_t> cut(good.begin(), good.begin() + len);
            if (len >= 4 && n % 2)
                cut[0] = uint8_t(len), cut[1] = uint8_t(len >> 8), cut[2] = 0, cut[3] = 0;
            corpus.push_back(cut);
            ++n;
        }
        for (size_t at = 4; at < good.size(); ++at)
            for (uint8_t v : {0x00, 0x05, 0x80, 0xFF}) {
                std::vector<uint8_t> bad = good;
                bad[at] = v;
                corpus.push_back(bad);
            }
        for (const std::vector<uint8_t>& bytes : corpus) {
            scene.PutFile("models\\m.kml", bytes);
            const int mark = scene.log->GetHistorySize();
            Model* m = scene.models->LoadModelUnregistered(scene.Path("models\\m.kml"), nullptr, ModelFlags::kVisible, false);
            ASSERT_NE(m, nullptr);
            EXPECT_EQ(m->name, scene.Path("models\\m.kml"));
            if (m->GetIndexBuffer()->indexCount == 36 && m->GetVertexBuffer()->vertexCount == 24 &&
                HasErrorMentioning(scene, mark, "m.kml")) {
                ++boxes;
                EXPECT_EQ(m->box.GetWorldMin(), Vector3(-1, -1, -1));
            } else {
                ++loaded;
                EXPECT_FALSE(HasErrorMentioning(scene, mark, "m.kml"));
            }
            Model* clone = scene.models->CloneModel(m, nullptr, 0);
            Matrix4::SetTranslation(clone->localMatrix, Vector3(0, 0, -5));
            clone->box.SetTransform(clone->localMatrix);
            clone->GetAnimation()->running = 1;
            scene.timers->AdvanceFrame(0.05f);
            scene.Frame();
            float d;
            clone->IntersectRay(Ray(Vector3(0, 0, 0), Vector3(0.1f, 0.1f, -100)), &d);
            scene.models->DeleteModel(clone);
            delete m;
            scene.log->ClearHistory();
        }
    }
    EXPECT_GT(boxes, 100);
    EXPECT_GT(loaded, 10);
    EXPECT_EQ(scene.models->GetModelCount(), 0u);
}

TEST_F(SceneCorpus, MissingModelFileGivesTheBox)
{
    Model* m = scene.models->LoadModelUnregistered("models\\nothing.kml", nullptr, 0, false);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->name, "models\\nothing.kml");
    EXPECT_EQ(m->GetFlags(), 0x422C9u);
    EXPECT_TRUE(HasErrorMentioning(scene, 0, "Failed to open"));
    delete m;
}

// Damaged shader files: the model keeps loading with the default shader (no
// stages) and the reason is logged.
TEST_F(SceneCorpus, DamagedShaderFilesGiveTheDefaultShader)
{
    scene.PutFile("models\\s.kml", ContentTools::WriteModelFile(Square(0x40209)));
    ContentTools::ShaderFile shader = TexturedShader("s.bmp");
    ContentTools::ShaderFileStage net;
    net.type = 1;
    net.frameCount = 4;
    net.columns = 2;
    net.rows = 2;
    net.diffuse = "net.bmp";
    shader.stages.push_back(net);
    std::vector<uint8_t> good = ContentTools::WriteShaderFile(shader);
    int fallbacks = 0, read = 0;
    for (size_t at = 0; at < good.size() + 40; ++at) {
        std::vector<uint8_t> bad = good;
        if (at < good.size())
            bad[at] ^= 0xA5;
        else
            bad.resize(good.size() - (at - good.size()) - 1);  // truncated
        scene.PutFile("models\\s.srf", bad);
        const int mark = scene.log->GetHistorySize();
        Model* m = scene.models->LoadModelUnregistered(scene.Path("models\\s.kml"), nullptr, 0, false);
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(m->GetIndexBuffer()->indexCount, 6u);  // the model itself loaded
        if (m->GetShaderUser()->GetStageCount() == 0) {
            ++fallbacks;
            EXPECT_TRUE(HasErrorMentioning(scene, mark, "s.srf")) << at;
        } else {
            ++read;
        }
        Model* clone = scene.models->CloneModel(m, nullptr, 0);
        Matrix4::SetTranslation(clone->localMatrix, Vector3(0, 0, -5));
        clone->box.SetTransform(clone->localMatrix);
        scene.Frame();
        scene.models->DeleteModel(clone);
        delete m;
        scene.log->ClearHistory();
    }
    EXPECT_GT(fallbacks, 40);
    EXPECT_GT(read, 0);
    EXPECT_EQ(scene.shaders->GetUserCount(), 0u);
    EXPECT_EQ(scene.shaders->GetShaderCount(), 0u);
    EXPECT_EQ(scene.shaders->GetTextureManager()->GetTextureCount(), 0u);
}
