#include <gtest/gtest.h>

#include <cmath>

#include "SceneTestSupport.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"

using namespace KorvaneEngine;
using namespace SceneTest;
using namespace ModelFlags;

namespace {

class Models : public ::testing::Test {
protected:
    void SetUp() override { scene.StartScene("models"); }
    void TearDown() override { scene.StopScene(); }

    // A registered procedural model of the given positions and indices.
    Model* Procedural(uint32_t flags, const std::vector<Vector3>& positions, const std::vector<uint32_t>& indices)
    {
        Model* m = scene.models->CreateModel(flags, uint32_t(positions.size()), uint32_t(indices.size()), 1, nullptr,
            nullptr, false);
        Vertex* v = m->GetVertexBuffer()->LockVertices(0, uint32_t(positions.size()));
        for (size_t i = 0; i < positions.size(); ++i)
            v[i].position = positions[i];
        m->GetVertexBuffer()->Unlock();
        if (!indices.empty())
            m->GetIndexBuffer()->SetIndices(0, uint32_t(indices.size()), indices.data());
        m->UpdateBoundingBox();
        return m;
    }
    const DeviceCallCounters& Calls() { return scene.render->GetDeviceCallCounters(); }

    Scene scene;
};

} // namespace

TEST_F(Models, FlagPairsStayExclusive)
{
    Model* m = scene.models->CreateModel(0, 4, 6, 1, nullptr, nullptr, false);
    EXPECT_EQ(m->GetFlags(), kVertexUsage);
    EXPECT_EQ(m->name, "self_made");
    m->AddFlags(kOpaque | kBlended);
    EXPECT_TRUE(m->GetFlags() & kOpaque);
    EXPECT_FALSE(m->GetFlags() & kBlended);
    m->AddFlags(kBlended);
    EXPECT_FALSE(m->GetFlags() & kOpaque);
    m->AddFlags(ModelFlags::kCullClockwise | kTwoSided);
    EXPECT_TRUE(m->GetFlags() & ModelFlags::kCullClockwise);
    EXPECT_FALSE(m->GetFlags() & (kTwoSided | ModelFlags::kCullCounterClockwise));
    m->AddFlags(ModelFlags::kCullCounterClockwise);
    EXPECT_FALSE(m->GetFlags() & (kTwoSided | ModelFlags::kCullClockwise));
    m->AddFlags(kTwoSided);
    EXPECT_FALSE(m->GetFlags() & (ModelFlags::kCullClockwise | ModelFlags::kCullCounterClockwise));
    m->AddFlags(kOpaque);
    m->RemoveFlags(kOpaque);  // the other of the pair is set instead
    EXPECT_TRUE(m->GetFlags() & kBlended);
    EXPECT_FALSE(m->GetFlags() & kOpaque);
    m->RemoveFlags(kOpaque | kBlended);
    EXPECT_FALSE(m->GetFlags() & (kOpaque | kBlended));
}

TEST_F(Models, PrimitiveCounts)
{
    auto count = [&](uint32_t flags, uint32_t indices) {
        Model* m = scene.models->CreateModel(flags, 8, indices, 1, nullptr, nullptr, false);
        uint32_t n = m->GetPrimitiveCount();
        scene.models->DeleteModel(m);
        return n;
    };
    EXPECT_EQ(count(kVisible, 7), 5u);  // a strip of N indices: N - 2
    EXPECT_EQ(count(kVisible | kTriangleList, 7), 2u);
    // Fewer than three indices make nothing, and no wrapped-around count.
    EXPECT_EQ(count(kVisible, 2), 0u);
    EXPECT_EQ(count(kVisible, 1), 0u);
    EXPECT_EQ(count(kVisible, 0), 0u);
    EXPECT_EQ(count(kVisible | kTriangleList, 2), 0u);
}

TEST_F(Models, BoxModel)
{
    Model* box = scene.models->CreateModelUnregistered(Vector3(-1, -2, -3), Vector3(1, 2, 3), nullptr, nullptr,
        kBlended);
    EXPECT_EQ(box->name, "box");
    EXPECT_EQ(box->GetFlags(), (0x422C9u & ~kOpaque) | kBlended);
    EXPECT_EQ(box->GetVertexBuffer()->vertexCount, 24u);
    EXPECT_EQ(box->GetIndexBuffer()->indexCount, 36u);
    EXPECT_EQ(box->GetPrimitiveCount(), 12u);
    EXPECT_EQ(box->box.GetWorldMin(), Vector3(-1, -2, -3));
    EXPECT_EQ(box->box.GetWorldMax(), Vector3(1, 2, 3));
    const Vertex* v = box->GetVertexBuffer()->LockVertices(0, 24);
    EXPECT_EQ(v[1].position, Vector3(-1, 2, -3));
    EXPECT_EQ(v[1].normal, Vector3(0, 0, -1));
    EXPECT_EQ(v[1].u, 1.0f);
    EXPECT_EQ(v[1].v, 1.0f);
    EXPECT_EQ(v[22].position, Vector3(-1, -2, 3));
    EXPECT_EQ(v[22].normal, Vector3(-1, 0, 0));
    box->GetVertexBuffer()->Unlock();
    EXPECT_EQ(box->GetIndexBuffer()->GetIndex(33), 22u);
    EXPECT_EQ(box->GetIndexBuffer()->GetIndex(35), 20u);
    // Unregistered: the manager neither removes nor deletes it.
    scene.models->DeleteModel(box);
    EXPECT_EQ(box->GetVertexBuffer()->vertexCount, 24u);
    // A ray through its middle hits it, at the face nearer the origin.
    float d = 0;
    EXPECT_TRUE(box->IntersectRay(Ray(Vector3(0, 0, 10), Vector3(0, 0, -20)), &d));
    EXPECT_NEAR(d, 7, 1e-4f);
    EXPECT_FALSE(box->IntersectRay(Ray(Vector3(5, 0, 10), Vector3(0, 0, -20)), &d));
    delete box;
}

TEST_F(Models, StripPickingWalksEveryTriangle)
{
    // A strip of 5 indices: triangles (0,1,2), (1,2,3), (2,3,4) without
    // reversing the odd one.
    Model* m = Procedural(kVisible, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}}, {0, 1, 2, 3, 4});
    EXPECT_EQ(m->GetPrimitiveCount(), 3u);
    float d;
    EXPECT_TRUE(m->IntersectRay(Ray(Vector3(1.75f, 0.2f, 5), Vector3(0, 0, -10)), &d));
    EXPECT_NEAR(d, 5, 1e-4f);
    EXPECT_TRUE(m->IntersectRay(Ray(Vector3(0.8f, 0.7f, 5), Vector3(0, 0, -10)), nullptr));
    // Outside the triangles but inside the box.
    d = 0;
    EXPECT_FALSE(m->IntersectRay(Ray(Vector3(1.9f, 0.9f, 5), Vector3(0, 0, -10)), &d));
    EXPECT_EQ(d, 100000.0f);
    // A moved model is picked where it stands.
    Matrix4::SetTranslation(m->localMatrix, Vector3(10, 0, 0));
    m->box.SetTransform(m->localMatrix);
    EXPECT_TRUE(m->IntersectRay(Ray(Vector3(11.75f, 0.2f, 5), Vector3(0, 0, -10)), &d));
    EXPECT_FALSE(m->IntersectRay(Ray(Vector3(1.75f, 0.2f, 5), Vector3(0, 0, -10)), &d));
}

TEST_F(Models, IndicesPastTheVerticesAreIgnored)
{
    // A procedural caller's bad index must not make picking or bounds read
    // outside the vertices.
    Model* m = Procedural(kVisible | kTriangleList, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, {0, 1, 2, 0, 1, 900});
    EXPECT_EQ(m->box.GetWorldMax(), Vector3(1, 1, 0));
    EXPECT_TRUE(m->IntersectRay(Ray(Vector3(0.2f, 0.2f, 1), Vector3(0, 0, -2)), nullptr));
}

TEST_F(Models, TwoSidedModelsDrawTwice)
{
    Model* m = Procedural(kVisible | kTriangleList | kTwoSided, {{-1, -1, -5}, {-1, 1, -5}, {1, 1, -5}}, {0, 1, 2});
    scene.Frame();
    scene.render->ResetDeviceCallCounters();
    scene.Frame();
    EXPECT_EQ(Calls().draws, 2u);
    // Culling switches each pass: counter-clockwise, then clockwise.
    EXPECT_EQ(scene.render->cullMode, 1u);
    m->RemoveFlags(kTwoSided);
    scene.render->ResetDeviceCallCounters();
    scene.Frame();
    EXPECT_EQ(Calls().draws, 1u);
    EXPECT_EQ(scene.render->cullMode, 0u);
    // Invisible: updated, not drawn.
    m->RemoveFlags(kVisible);
    scene.render->ResetDeviceCallCounters();
    scene.Frame();
    EXPECT_EQ(Calls().draws, 0u);
    EXPECT_EQ(scene.models->visibleModels, 0u);
}

TEST_F(Models, StatesFollowTheFlags)
{
    Model* m = Procedural(kVisible | kTriangleList, {{-1, -1, -5}, {-1, 1, -5}, {1, 1, -5}}, {0, 1, 2});
    scene.Frame();
    EXPECT_FALSE(scene.render->lighting);
    EXPECT_FALSE(scene.render->depthTest);
    EXPECT_TRUE(scene.render->depthWrite);
    m->AddFlags(kLit | kDepthTest | kNoDepthWrite);
    scene.Frame();
    EXPECT_TRUE(scene.render->lighting);
    EXPECT_TRUE(scene.render->normalizeNormals);
    EXPECT_TRUE(scene.render->depthTest);
    EXPECT_FALSE(scene.render->depthWrite);
    // A stencil model is skipped on a device without a stencil buffer.
    ASSERT_FALSE(scene.render->stencilPresent);
    m->AddFlags(kStencil);
    scene.render->ResetDeviceCallCounters();
    scene.Frame();
    EXPECT_EQ(Calls().draws, 0u);
}

TEST_F(Models, CulledModelsStillAnimate)
{
    scene.PutFile("models\\wave.kml", [] {
        ContentTools::ModelFile f = Square(kMorph | kTriangleList | kVisible);
        std::vector<ContentTools::ModelVertex> frame = f.vertices;
        f.frameCount = 2;
        f.speed = 1;
        for (ContentTools::ModelVertex& v : frame)
            v.position.z = 1;
        f.vertices.insert(f.vertices.end(), frame.begin(), frame.end());
        ContentTools::ModelBox b = ContentTools::BoundsOf(frame);
        f.boxes.push_back(b);
        return ContentTools::WriteModelFile(f);
    }());
    Model* source = scene.models->LoadModelUnregistered(scene.Path("models\\wave.kml"), nullptr, 0, false);
    ASSERT_EQ(source->GetFrameBoxes().size(), 2u);
    Model* m = scene.models->CloneModel(source, nullptr, 0);
    Matrix4::SetTranslation(m->localMatrix, Vector3(0, 0, 50));  // behind the camera
    AnimationControl* a = m->GetAnimation();
    a->loop = 1;
    a->Start();
    scene.timers->AdvanceFrame(0.05f);
    scene.Frame();
    scene.Frame();
    EXPECT_NEAR(a->time, 0.1f, 1e-5f);
    EXPECT_EQ(m->GetVisiblePrimitiveCount(), 0u);
    EXPECT_EQ(m->GetDeformationCount(), 0u);
    // In view, the vertices follow the blend between the two frames.
    Matrix4::SetTranslation(m->localMatrix, Vector3(0, 0, -5));
    scene.Frame();
    EXPECT_EQ(m->GetVisiblePrimitiveCount(), 2u);
    EXPECT_EQ(m->GetDeformationCount(), 1u);
    const Vertex* v = m->GetVertexBuffer()->LockVertices(0, 4);
    EXPECT_NEAR(v[0].position.z, 0.15f, 1e-5f);
    m->GetVertexBuffer()->Unlock();
    EXPECT_NEAR(m->box.GetCenter().z, -5 + 0.15f, 1e-4f);
    // Deformation off: the buffer is left alone.
    m->deformationEnabled = false;
    scene.Frame();
    EXPECT_EQ(m->GetDeformationCount(), 1u);
    delete source;
}

TEST_F(Models, StaticBoxesKeepTheirTransformUnlessRecomputed)
{
    Model* m = Procedural(kVisible | kTriangleList | kStatic, {{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}}, {0, 1, 2});
    Matrix4::SetTranslation(m->localMatrix, Vector3(0, 0, -5));
    scene.Frame();
    EXPECT_EQ(m->box.GetCenter().z, 0.0f);  // still the old transform
    m->AddFlags(kRecomputeBounds);
    scene.Frame();
    EXPECT_EQ(m->box.GetCenter().z, -5.0f);
}

TEST_F(Models, InstancesShareTheShaderNotTheBuffers)
{
    ShaderDescriptor d(false, "pic.bmp", "", false);
    Model* a = scene.models->CreateModel(kVisible | kTriangleList | kColor, 3, 3, 1, &d, nullptr, false);
    a->depthOffset = 2;
    Model* b = scene.models->CloneModel(a, nullptr, kBlended);
    EXPECT_EQ(scene.shaders->GetShaderCount(), 1u);
    EXPECT_EQ(scene.shaders->GetUserCount(), 2u);
    EXPECT_NE(a->GetShaderUser(), b->GetShaderUser());
    EXPECT_EQ(a->GetShaderUser()->GetShader(), b->GetShaderUser()->GetShader());
    EXPECT_NE(a->GetVertexBuffer(), b->GetVertexBuffer());
    EXPECT_EQ(b->depthOffset, 2.0f);
    EXPECT_TRUE(b->GetFlags() & kBlended);
    const float red[4] = {1, 0, 0, 1};
    b->SetColor(red);
    float out[4];
    a->GetVertexBuffer()->GetVertexColor(out, 0);
    EXPECT_EQ(out[1], 1.0f);  // the source keeps its white
    // A new shader replaces the old user.
    ShaderDescriptor other(false, "other.bmp", "", false);
    b->SetShader(&other);
    EXPECT_EQ(scene.shaders->GetShaderCount(), 2u);
    EXPECT_EQ(scene.shaders->GetUserCount(), 2u);
    scene.models->DeleteModel(b);
    EXPECT_EQ(scene.shaders->GetShaderCount(), 1u);
    EXPECT_EQ(scene.models->GetModelCount(), 1u);
}

TEST_F(Models, CameraRelativeModels)
{
    Camera* cam = scene.cameras->CreateCamera(false);
    Model* m = Procedural(kVisible | kTriangleList, {{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}}, {0, 1, 2});
    m->SetCamera(cam);
    Matrix4::SetTranslation(cam->relativeFirst, Vector3(0, 0, -5));
    Matrix4::SetTranslation(cam->relativeSecond, Vector3(3, 0, 0));
    cam->cameraRelative = true;
    Matrix4 w;
    m->GetWorldMatrix(w);
    EXPECT_EQ(w.TransformPoint(Vector3()), Vector3(3, 0, -5));
    EXPECT_TRUE(m->IntersectRay(Ray(Vector3(2.5f, 0.5f, 0), Vector3(0, 0, -10)), nullptr));
    EXPECT_FALSE(m->IntersectRay(Ray(Vector3(-0.5f, 0.5f, 0), Vector3(0, 0, -10)), nullptr));
    m->SetCamera(nullptr);
    EXPECT_EQ(m->GetCamera(), scene.cameras->GetDefaultCamera());
}
