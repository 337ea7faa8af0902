#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PictureWriters.h"
#include "SceneTestSupport.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/Skeleton.h"
#include "engine/render/VertexBuffer.h"

using namespace KorvaneEngine;
using namespace SceneTest;
using RenderTest::PixelNear;

namespace {

const uint32_t kDrawn = ModelFlags::kStatic | ModelFlags::kTriangleList | ModelFlags::kVisible |
    ModelFlags::kOpaque | ModelFlags::kDepthTest;

PictureWriters::Picture Solid(uint8_t r, uint8_t g, uint8_t b)
{
    PictureWriters::Picture p;
    p.width = p.height = 16;
    p.channels = 3;
    p.data.resize(16 * 16 * 3);
    for (size_t i = 0; i < p.data.size(); i += 3) {
        p.data[i] = r;
        p.data[i + 1] = g;
        p.data[i + 2] = b;
    }
    return p;
}

// Left half red, right half green: shows which way round the texture lies.
PictureWriters::Picture Halves()
{
    PictureWriters::Picture p = Solid(255, 0, 0);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 8; x < 16; ++x) {
            p.At(x, y)[0] = 0;
            p.At(x, y)[1] = 255;
        }
    return p;
}

class SceneDraw : public ::testing::Test {
protected:
    void SetUp() override { scene.StartScene("scene_draw"); }
    void TearDown() override { scene.StopScene(); }

    // A textured square model file with its shader and picture, by name.
    void WriteSquare(const std::string& name, const PictureWriters::Picture& picture, uint32_t flags = kDrawn)
    {
        scene.PutFile("models\\" + name + ".kml", ContentTools::WriteModelFile(Square(flags)));
        scene.PutFile("models\\" + name + ".srf", ContentTools::WriteShaderFile(TexturedShader(name + ".bmp")));
        scene.PutFile("models\\" + name + ".bmp", PictureWriters::EncodeBmp(picture));
    }
    // Loaded unregistered (as the resource registry does), drawn through a
    // registered clone.
    Model* Place(const std::string& name, const Vector3& at, uint32_t extraFlags = 0)
    {
        Model* source = scene.models->LoadModelUnregistered(scene.Path("models\\" + name + ".kml"), nullptr, 0, false);
        sources.emplace_back(source);
        Model* m = scene.models->CloneModel(source, nullptr, extraFlags);
        Matrix4::SetTranslation(m->localMatrix, at);
        m->box.SetTransform(m->localMatrix);
        return m;
    }
    Vector2 Pixel(const Vector3& world)
    {
        return WorldToPixel(*scene.cameras->GetDefaultCamera(), scene.cameras->viewport, world);
    }

    Scene scene;
    std::vector<std::unique_ptr<Model>> sources;
};

} // namespace

TEST_F(SceneDraw, ModelAppearsWhereTheProjectionSays)
{
    WriteSquare("halves", Halves());
    Model* m = Place("halves", Vector3(0.5f, 0.25f, -6));
    EXPECT_EQ(m->name, scene.Path("models\\halves.kml"));
    ASSERT_EQ(m->GetShaderUser()->GetStageCount(), 1u);
    EXPECT_EQ(scene.shaders->GetTextureManager()->GetTextureCount(), 1u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());

    scene.Frame();
    EXPECT_EQ(scene.models->drawnModels, 1u);
    EXPECT_EQ(scene.models->drawnPrimitives, 2u);
    const Image& shot = scene.Screenshot();

    Vector2 lo = Pixel(Vector3(-0.5f, -0.75f, -6));  // the square's lower left corner
    Vector2 hi = Pixel(Vector3(1.5f, 1.25f, -6));
    ASSERT_LT(lo.x, hi.x);
    ASSERT_GT(lo.y, hi.y);  // pixel rows grow downwards
    const uint32_t cy = uint32_t((lo.y + hi.y) / 2);
    const uint32_t left = uint32_t(lo.x + (hi.x - lo.x) * 0.25f);
    const uint32_t right = uint32_t(lo.x + (hi.x - lo.x) * 0.75f);
    EXPECT_TRUE(PixelNear(shot, left, cy, 255, 0, 0, 8));
    EXPECT_TRUE(PixelNear(shot, right, cy, 0, 255, 0, 8));
    // Just outside every edge the clear colour shows.
    EXPECT_TRUE(PixelNear(shot, uint32_t(lo.x) - 3, cy, 0, 0, 0, 0));
    EXPECT_TRUE(PixelNear(shot, uint32_t(hi.x) + 3, cy, 0, 0, 0, 0));
    EXPECT_TRUE(PixelNear(shot, (left + right) / 2 - 20, uint32_t(hi.y) - 3, 0, 0, 0, 0));
    EXPECT_TRUE(PixelNear(shot, (left + right) / 2 - 20, uint32_t(lo.y) + 3, 0, 0, 0, 0));
    // Near the corners (clear of the wrapped filtering at the very edge).
    const float dx = (hi.x - lo.x) * 0.1f, dy = (lo.y - hi.y) * 0.1f;
    EXPECT_TRUE(PixelNear(shot, uint32_t(lo.x + dx), uint32_t(lo.y - dy), 255, 0, 0, 8));
    EXPECT_TRUE(PixelNear(shot, uint32_t(hi.x - dx), uint32_t(hi.y + dy), 0, 255, 0, 8));

    // Moved out of the view it is not drawn (but still counted as visible).
    Matrix4::SetTranslation(m->localMatrix, Vector3(50, 0, -6));
    m->box.SetTransform(m->localMatrix);
    scene.Frame();
    EXPECT_EQ(scene.models->visibleModels, 1u);
    EXPECT_EQ(scene.models->drawnModels, 0u);
    EXPECT_TRUE(PixelNear(scene.Screenshot(), left, cy, 0, 0, 0, 0));
}

TEST_F(SceneDraw, RayThroughAScreenPointPicksTheNearerModel)
{
    WriteSquare("red", Solid(255, 0, 0));
    WriteSquare("blue", Solid(0, 0, 255));
    Model* farModel = Place("red", Vector3(0, 0, -9));
    Model* nearModel = Place("blue", Vector3(0.6f, 0.3f, -5));
    scene.Frame();

    // Screen y grows upwards for ScreenPointToRay.
    const Vector2 p = Pixel(Vector3(0.4f, 0.1f, -5));  // inside both
    const Vector3 screen(p.x, float(scene.cameras->viewport.height) - p.y, 0);
    Vector3 a, b;
    Camera* camera = scene.cameras->GetDefaultCamera();
    scene.cameras->ScreenPointToRay(a, camera, screen);
    scene.cameras->ScreenPointToRay(b, camera, Vector3(screen.x, screen.y, 1));
    EXPECT_NEAR(a.z, -1, 1e-3f);  // the near plane
    EXPECT_NEAR(b.z, -1000, 1);   // the far plane
    Ray ray(a, b - a);

    float dNear = -1, dFar = -1;
    ASSERT_TRUE(nearModel->IntersectRay(ray, &dNear));
    ASSERT_TRUE(farModel->IntersectRay(ray, &dFar));
    EXPECT_LT(dNear, dFar);
    EXPECT_NEAR(dNear, 4 * std::sqrt(ray.direction.GetSquaredLength()) / std::fabs(ray.direction.z), 0.05f);
    Model* picked = nullptr;
    float best = 1e9f;
    for (Model* m : {farModel, nearModel}) {
        float d;
        if (m->IntersectRay(ray, &d) && d < best) {
            best = d;
            picked = m;
        }
    }
    EXPECT_EQ(picked, nearModel);
    // And the nearer one covers the other on screen.
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(p.x), uint32_t(p.y), 0, 0, 255, 8));

    // Where only the far one is, only it is hit.
    const Vector2 q = Pixel(Vector3(-0.9f, -0.9f, -9));
    scene.cameras->ScreenPointToRay(a, camera, Vector3(q.x, scene.cameras->viewport.height - q.y, 0));
    scene.cameras->ScreenPointToRay(b, camera, Vector3(q.x, scene.cameras->viewport.height - q.y, 1));
    ray = Ray(a, b - a);
    float d = 0;
    EXPECT_FALSE(nearModel->IntersectRay(ray, &d));
    EXPECT_TRUE(farModel->IntersectRay(ray, nullptr));
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(q.x), uint32_t(q.y), 255, 0, 0, 8));
}

TEST_F(SceneDraw, SkinnedModelPosesBetweenKeyFrames)
{
    // One bone moving from x = -2 (frame 0) to x = 2 (frame 1); the square
    // hangs from it.
    ContentTools::ModelFile m = Square(ModelFlags::kSkinned | ModelFlags::kTriangleList | ModelFlags::kVisible |
        ModelFlags::kOpaque);
    m.frameCount = 2;
    m.speed = 1;
    ContentTools::ModelBone bone;
    bone.name = "root";
    bone.boxMin = {-1, -1, -0.1f};
    bone.boxMax = {1, 1, 0.1f};
    m.bones = {bone};
    ContentTools::ModelKey k0, k1;
    k0.position = {-2, 0, 0};
    k1.position = {2, 0, 0};
    m.keys = {k0, k1};
    for (const ContentTools::ModelVertex& v : m.vertices) {
        ContentTools::ModelSkinVertex s;
        s.u = v.u;
        s.v = v.v;
        ContentTools::ModelInfluence in;
        in.positionOffset = v.position;
        in.normalOffset = v.normal;
        s.influences = {in};
        m.skinVertices.push_back(s);
    }
    m.vertices.clear();
    scene.PutFile("models\\skin.kml", ContentTools::WriteModelFile(m));
    scene.PutFile("models\\skin.srf", ContentTools::WriteShaderFile(TexturedShader("skin.bmp")));
    scene.PutFile("models\\skin.bmp", PictureWriters::EncodeBmp(Solid(255, 255, 0)));

    Model* model = Place("skin", Vector3(0, 0, -8));
    // Loaded posed at frame 0: its box is the bone's.
    EXPECT_NEAR(model->box.GetCenter().x, -2, 1e-5f);
    AnimationControl* a = model->GetAnimation();
    a->running = 0;
    a->time = 0.25f;
    scene.Frame();
    EXPECT_EQ(a->frameA, 0u);
    EXPECT_EQ(a->frameB, 1u);
    EXPECT_NEAR(a->blend, 0.25f, 1e-6f);
    // Vertex 0 was (-1, -1, 0) from the bone: at a quarter of the way, x = -1 - 1.
    const Vertex* v = model->GetVertexBuffer()->LockVertices(0, 4);
    EXPECT_NEAR(v[0].position.x, -2, 1e-5f);
    EXPECT_NEAR(v[2].position.x, 0, 1e-5f);
    EXPECT_NEAR(v[2].position.y, 1, 1e-5f);
    model->GetVertexBuffer()->Unlock();
    EXPECT_NEAR(model->box.GetCenter().x, -1, 1e-5f);
    const Image& shot = scene.Screenshot();
    EXPECT_TRUE(PixelNear(shot, uint32_t(Pixel(Vector3(-1, 0, -8)).x), uint32_t(Pixel(Vector3(-1, 0, -8)).y), 255,
        255, 0, 8));
    EXPECT_TRUE(PixelNear(shot, uint32_t(Pixel(Vector3(1, 0, -8)).x), uint32_t(Pixel(Vector3(1, 0, -8)).y), 0, 0,
        0, 0));
    const uint32_t rewrites = model->GetDeformationCount();

    // The same pose again does not touch the vertices.
    scene.Frame();
    EXPECT_EQ(model->GetDeformationCount(), rewrites);
    // Played on by the clock it moves right.
    a->time = 0.75f;
    scene.Frame();
    EXPECT_EQ(model->GetDeformationCount(), rewrites + 1);
    scene.Screenshot();
    EXPECT_TRUE(PixelNear(shot, uint32_t(Pixel(Vector3(1, 0, -8)).x), uint32_t(Pixel(Vector3(1, 0, -8)).y), 255,
        255, 0, 8));
}

TEST_F(SceneDraw, BlendedModelsDrawAfterOpaqueOnes)
{
    WriteSquare("wall", Solid(255, 0, 0));
    // A half-transparent white glass in front of the wall, written to the
    // depth buffer: drawn first it would hide the wall.
    scene.PutFile("models\\glass.kml", ContentTools::WriteModelFile(Square(ModelFlags::kStatic |
        ModelFlags::kTriangleList | ModelFlags::kVisible | ModelFlags::kBlended | ModelFlags::kDepthTest |
        ModelFlags::kColor)));
    ContentTools::ShaderFile glass = TexturedShader("glass.bmp");
    glass.flags = 1;
    glass.sourceBlend = 4;
    glass.destinationBlend = 5;
    scene.PutFile("models\\glass.srf", ContentTools::WriteShaderFile(glass));
    scene.PutFile("models\\glass.bmp", PictureWriters::EncodeBmp(Solid(255, 255, 255)));

    Model* g = Place("glass", Vector3(0, 0, -4));
    const float half[4] = {1, 1, 1, 0.5f};
    g->SetColor(half);
    Model* w = Place("wall", Vector3(0, 0, -8));
    Model* farModel = Place("wall", Vector3(3, 0, -20));
    Model* g2 = Place("glass", Vector3(-2, 0, -10));
    g2->SetColor(half);
    // Neither opaque nor blended: drawn with the blended models.
    Model* plain = Place("glass", Vector3(2, 2, -12));
    plain->RemoveFlags(ModelFlags::kBlended | ModelFlags::kOpaque);
    plain->SetColor(half);

    scene.Frame();
    const std::vector<Model*>& opaque = scene.models->GetOpaqueList();
    const std::vector<Model*>& blended = scene.models->GetBlendedList();
    ASSERT_EQ(opaque.size(), 2u);
    EXPECT_EQ(opaque[0], w);  // front to back
    EXPECT_EQ(opaque[1], farModel);
    ASSERT_EQ(blended.size(), 3u);
    EXPECT_EQ(blended[0], plain);  // back to front
    EXPECT_EQ(blended[1], g2);
    EXPECT_EQ(blended[2], g);

    Vector2 p = Pixel(Vector3(0.2f, -0.5f, -4));
    // Half white over the red wall: (255 + 255) / 2, 255 / 2, 255 / 2.
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(p.x), uint32_t(p.y), 255, 128, 128, 10));
}

// The state cache as the engine uses it: models and their shader users set
// blending, culling and textures only when the cached value differs. Counted
// at the device through the real draw pass, so a state resent for every
// model shows.
TEST_F(SceneDraw, TheDrawPassSendsEachStateOnlyWhenItChanges)
{
    const uint32_t kGlass = ModelFlags::kStatic | ModelFlags::kTriangleList | ModelFlags::kVisible |
        ModelFlags::kBlended | ModelFlags::kDepthTest | ModelFlags::kCullClockwise;
    scene.PutFile("models\\glass.kml", ContentTools::WriteModelFile(Square(kGlass)));
    ContentTools::ShaderFile glass = TexturedShader("glass.bmp");
    glass.flags = 1;
    glass.sourceBlend = 4;
    glass.destinationBlend = 5;
    scene.PutFile("models\\glass.srf", ContentTools::WriteShaderFile(glass));
    scene.PutFile("models\\glass.bmp", PictureWriters::EncodeBmp(Solid(255, 255, 255)));
    WriteSquare("wall", Solid(255, 0, 0));

    RenderSystem_D3D7& r = *scene.render;
    const DeviceCallCounters& c = r.GetDeviceCallCounters();
    auto frames = [&](int n) {
        r.ResetDeviceCallCounters();
        for (int f = 0; f < n; ++f)
            scene.Frame();
    };

    // A hundred panes alike in each of ten frames: each state goes out once.
    std::vector<Model*> panes;
    for (int i = 0; i < 100; ++i)
        panes.push_back(Place("glass", Vector3(0.01f * i, 0, -6 - 0.01f * i)));
    frames(10);
    EXPECT_EQ(c.draws, 1000u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_SRCBLEND], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_DESTBLEND], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_CULLMODE], 1u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ZENABLE], 1u);
    EXPECT_EQ(c.textures[0], 1u);
    frames(1);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ALPHABLENDENABLE], 0u) << "unchanged since the last frame";
    EXPECT_EQ(c.textures[0], 0u);

    // Walls among them: the opaque list comes first in every frame, so each
    // frame turns blending, culling and the texture over twice, and no more.
    for (int i = 0; i < 50; ++i)
        Place("wall", Vector3(-0.01f * i, 0, -9 - 0.01f * i));
    frames(10);
    EXPECT_EQ(c.draws, 1500u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ALPHABLENDENABLE], 20u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_CULLMODE], 20u);
    EXPECT_EQ(c.textures[0], 20u);
    // The walls never blend, so the factors they leave stand.
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_SRCBLEND], 0u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_DESTBLEND], 0u);

    // Forced (after a device reset): every model sends its states again.
    r.forceStateUpdate = true;
    frames(1);
    r.forceStateUpdate = false;
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_ALPHABLENDENABLE], 150u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_SRCBLEND], 100u);
    EXPECT_EQ(c.renderStates[D3DRENDERSTATE_CULLMODE], 150u);
    EXPECT_EQ(scene.CountErrors(), 0);
}

TEST_F(SceneDraw, DeviceNotReadyStopsThePass)
{
    WriteSquare("red", Solid(255, 0, 0));
    Model* m = Place("red", Vector3(0, 0, -5));
    scene.Frame();
    EXPECT_EQ(scene.models->visibleModels, 1u);
    EXPECT_FLOAT_EQ(m->viewDepth, 5.0f);
    scene.render->deviceLost = true;
    Matrix4::SetTranslation(m->localMatrix, Vector3(0, 0, -7));
    m->box.SetTransform(m->localMatrix);
    scene.models->Render();
    EXPECT_EQ(scene.models->visibleModels, 0u);
    EXPECT_EQ(scene.models->drawnPrimitives, 0u);
    EXPECT_FLOAT_EQ(m->viewDepth, 5.0f);  // not updated
    scene.render->deviceLost = false;
    scene.models->Render();
    EXPECT_FLOAT_EQ(m->viewDepth, 7.0f);
}

// Many frames of many small blended draws, as a screen of widgets and texts
// makes: the device keeps what each draw needs (its vertices streamed from the
// engine's memory among them) until the frame is presented, so a frame loop
// that never presents, or a model pass that leaks per frame, grows the
// process until a 32-bit address space is full and the device's next buffer
// cannot be mapped. Committed memory after the frames stays near where it was.
TEST_F(SceneDraw, LongRunsOfFramesKeepTheMemoryBounded)
{
    const uint32_t kGlass = ModelFlags::kStatic | ModelFlags::kTriangleList | ModelFlags::kVisible |
        ModelFlags::kBlended | ModelFlags::kDepthTest;
    scene.PutFile("models\\glass.kml", ContentTools::WriteModelFile(Square(kGlass)));
    ContentTools::ShaderFile glass = TexturedShader("glass.bmp");
    glass.flags = 1;
    glass.sourceBlend = 4;
    glass.destinationBlend = 5;
    scene.PutFile("models\\glass.srf", ContentTools::WriteShaderFile(glass));
    scene.PutFile("models\\glass.bmp", PictureWriters::EncodeBmp(Halves()));
    const uint32_t kPanes = 200;
    for (uint32_t i = 0; i < kPanes; ++i)
        Place("glass", Vector3(0.002f * i, 0, -6 - 0.002f * i));

    // Settled first: the device's buffers and the driver's caches are made.
    for (int f = 0; f < 100; ++f)
        scene.Frame();
    ASSERT_EQ(scene.models->drawnModels, kPanes);
    const uint64_t before = TestSupport::CommittedBytes();
    ASSERT_GT(before, 0u) << "no memory counters";
    // Kept until a present, these frames would hold about 90 MB under Wine.
    const int kFrames = 400;
    for (int f = 0; f < kFrames; ++f)
        scene.Frame();
    const uint64_t after = TestSupport::CommittedBytes();
    EXPECT_LT(after, before + (32u << 20)) << "committed " << (before >> 20) << " MB before the frames, "
                                           << (after >> 20) << " MB after";
    EXPECT_EQ(scene.models->drawnModels, kPanes);
    const Vector2 left = Pixel(Vector3(-0.5f, 0, -6));
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(left.x), uint32_t(left.y), 255, 0, 0, 8));
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());
}
