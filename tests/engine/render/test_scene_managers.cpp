#include <gtest/gtest.h>

#include <cmath>

#include "PictureWriters.h"
#include "SceneTestSupport.h"
#include "engine/foundation/Random.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/Light.h"
#include "engine/render/Texture2D.h"
#include "engine/render/d3d7/Camera_D3D7.h"
#include "engine/render/d3d7/Light_D3D7.h"

using namespace KorvaneEngine;
using namespace SceneTest;

namespace {

class Managers : public ::testing::Test {
protected:
    void SetUp() override { scene.StartScene("scene_managers"); }
    void TearDown() override { scene.StopScene(); }
    const DeviceCallCounters& Calls() { return scene.render->GetDeviceCallCounters(); }
    Scene scene;
};

// Counts how often the manager applies it.
struct CountingCamera : Camera {
    CountingCamera() : Camera(false) {}
    void Apply() override { ++plain; }
    void ApplyZBiased() override { ++biased; }
    int plain = 0, biased = 0;
};

} // namespace

TEST_F(Managers, CameraSlotsAndApplying)
{
    CameraManager& cm = *scene.cameras;
    ASSERT_NE(cm.GetDefaultCamera(), nullptr);
    EXPECT_NE(dynamic_cast<Camera_D3D7*>(cm.GetDefaultCamera()), nullptr);
    Camera* a = cm.CreateCamera(true);
    Camera* b = cm.CreateCamera(false);
    Camera* c = cm.CreateCamera(false);
    ASSERT_EQ(cm.GetActiveIndices().size(), 4u);
    EXPECT_EQ(a->orthographic, 1u);
    cm.DeleteCamera(a);  // slot 1
    cm.DeleteCamera(c);  // slot 3
    Camera* d = cm.CreateCamera(false);
    EXPECT_EQ(cm.GetCamera(3), d);  // the slot freed last
    Camera* e = cm.CreateCamera(false);
    EXPECT_EQ(cm.GetCamera(1), e);
    CountingCamera outsider;
    cm.DeleteCamera(&outsider);  // not held: ignored
    EXPECT_EQ(cm.GetActiveIndices().size(), 4u);

    CountingCamera counting;
    cm.SetCamera(&counting, false);
    cm.SetCamera(&counting, false);
    EXPECT_EQ(counting.plain, 1);
    cm.SetCamera(&counting, true);
    EXPECT_EQ(counting.biased, 1);
    cm.UpdateCameras();  // the next SetCamera applies again
    cm.SetCamera(&counting, true);
    EXPECT_EQ(counting.biased, 2);
    cm.SetCamera(b, false);
    cm.SetCamera(&counting, true);
    EXPECT_EQ(counting.biased, 3);
    cm.SetCamera(nullptr, false);  // ignored
}

TEST_F(Managers, ViewportAndScreenPoints)
{
    CameraManager& cm = *scene.cameras;
    cm.UpdateCameras();
    EXPECT_EQ(cm.viewport.width, scene.window->GetWidth());
    EXPECT_EQ(cm.viewport.height, scene.window->GetHeight());
    EXPECT_EQ(cm.viewport.width, 1280u);
    const float w = float(cm.viewport.width), h = float(cm.viewport.height);
    Camera* gui = cm.CreateCamera(true);
    gui->orthographicWidth = 800;
    gui->orthographicHeight = 600;
    cm.UpdateCameras();
    Vector3 out;
    cm.ScreenPointToRay(out, gui, Vector3(w / 2, h / 2, 0));
    EXPECT_NEAR(out.x, 400, 1e-3f);
    EXPECT_NEAR(out.y, 300, 1e-3f);
    EXPECT_NEAR(out.z, -1, 1e-3f);
    cm.ScreenPointToRay(out, gui, Vector3(0, h, 1));
    EXPECT_NEAR(out.x, 0, 1e-3f);
    EXPECT_NEAR(out.y, 600, 1e-3f);
    EXPECT_NEAR(out.z, -1000, 0.1f);
    // A perspective camera: the centre at depth 0 is on the near plane.
    Camera* p = cm.GetDefaultCamera();
    cm.ScreenPointToRay(out, p, Vector3(w / 2, h / 2, 0));
    EXPECT_NEAR(out.x, 0, 1e-4f);
    EXPECT_NEAR(out.z, -1, 1e-4f);
    cm.ScreenPointToRay(out, p, Vector3(w, h, 0));
    EXPECT_NEAR(out.x, p->base.right, 1e-4f);
    EXPECT_NEAR(out.y, p->base.top, 1e-4f);

    // The device projection: the GUI's unordered range maps z = -500 to 0.
    Camera_D3D7* g = static_cast<Camera_D3D7*>(gui);
    g->nearPlane = 500;
    g->farPlane = -500;
    cm.UpdateCameras();
    const Matrix4& m = g->deviceProjection;
    EXPECT_NEAR(-500 * m.m[10] + m.m[14], 0, 1e-6f);
    EXPECT_NEAR(500 * m.m[10] + m.m[14], 1, 1e-6f);
    // Full screen on a 16:9 desktop the device shows more, the base stays.
    Camera::DisplayShape wide;
    wide.fullscreen = wide.wideDesktop = true;
    wide.desktopAspect = 16.0f / 9.0f;
    g->UpdateFor(wide);
    EXPECT_NEAR(g->deviceProjection.m[0], 2.0f / (933.333f + 133.333f), 1e-6f);
    EXPECT_NEAR(g->projection.m[0], 2.0f / 800, 1e-7f);
    // Applying hands the view to the render system's cache.
    gui->position = Vector3(5, 0, 0);
    cm.UpdateCameras();
    cm.SetCamera(gui, false);
    EXPECT_FLOAT_EQ(scene.render->viewMatrix.m[12], -5);
    EXPECT_FLOAT_EQ(scene.render->projectionMatrix.m[0], g->deviceProjection.m[0]);
}

TEST_F(Managers, LightsAndTheLightingSwitch)
{
    LightManager& lm = *scene.lights;
    lm.Refresh();  // with no lights the ambient colour still goes out
    EXPECT_EQ(scene.render->ambientColor.a, 1.0f);
    lm.ambientColor = Color(0.2f, 0.4f, 0.6f, 1);
    lm.Refresh();
    EXPECT_FLOAT_EQ(scene.render->ambientColor.g, 0.4f);

    Light* light = lm.CreateLight(0);
    ASSERT_NE(dynamic_cast<Light_D3D7*>(light), nullptr);
    D3DLIGHT7 rec = static_cast<Light_D3D7*>(light)->MakeRecord();
    EXPECT_EQ(rec.dltType, D3DLIGHT_POINT);
    EXPECT_EQ(rec.dcvDiffuse.r, 1.0f);
    EXPECT_EQ(rec.dvAttenuation0, 1.0f);
    EXPECT_GT(rec.dvRange, 1e19f);
    lm.Refresh();
    BOOL on = FALSE;
    ASSERT_EQ(scene.render->device->GetLightEnable(0, &on), D3D_OK);
    EXPECT_TRUE(on);
    D3DLIGHT7 back;
    ASSERT_EQ(scene.render->device->GetLight(0, &back), D3D_OK);
    EXPECT_EQ(back.dltType, D3DLIGHT_POINT);
    light->enabled = false;
    lm.Refresh();
    ASSERT_EQ(scene.render->device->GetLightEnable(0, &on), D3D_OK);
    EXPECT_FALSE(on);
    light->type = Light::kSpot;
    EXPECT_EQ(static_cast<Light_D3D7*>(light)->MakeRecord().dvFalloff, 1.0f);
    light->type = 7;
    EXPECT_EQ(static_cast<Light_D3D7*>(light)->MakeRecord().dltType, 0);
    lm.DeleteLight(light);
    EXPECT_TRUE(lm.GetActiveIndices().empty());

    scene.render->ResetDeviceCallCounters();
    lm.SetLighting(true);
    lm.SetLighting(true);
    EXPECT_EQ(Calls().renderStates[D3DRENDERSTATE_LIGHTING], 1u);
    scene.render->forceStateUpdate = true;
    lm.SetLighting(true);
    scene.render->forceStateUpdate = false;
    EXPECT_EQ(Calls().renderStates[D3DRENDERSTATE_LIGHTING], 2u);
    // Lights the device lost come back when lighting goes on.
    scene.render->lightsNeedRestore = true;
    lm.SetLighting(false);
    EXPECT_TRUE(scene.render->lightsNeedRestore);
    lm.SetLighting(true);
    EXPECT_FALSE(scene.render->lightsNeedRestore);
}

TEST_F(Managers, ShadersAreSharedAndReleased)
{
    ShaderManager& sm = *scene.shaders;
    TextureManager& tm = *sm.GetTextureManager();
    ShaderDescriptor d(false, "stone.bmp", "", false);
    ShaderUser* a = sm.GetShaderUser(d, false);
    ShaderDescriptor d2(false, "STONE.bmp", "", true);
    d2.SetColor1(Color(1, 0, 0, 1));
    ShaderUser* b = sm.GetShaderUser(d2, false);
    EXPECT_EQ(sm.GetShaderCount(), 1u);
    EXPECT_EQ(a->GetShader(), b->GetShader());
    EXPECT_EQ(a->GetShader()->userCount, 2u);
    EXPECT_EQ(b->GetColor(0).g, 0.0f);
    EXPECT_EQ(b->GetStage(0).addressU, 0u);
    EXPECT_EQ(tm.GetTextureCount(), 1u);
    sm.RemoveShaderUser(a);
    EXPECT_EQ(sm.GetShaderCount(), 1u);
    EXPECT_EQ(tm.GetTextureCount(), 1u);
    sm.RemoveShaderUser(b);
    EXPECT_EQ(sm.GetShaderCount(), 0u);
    EXPECT_EQ(tm.GetTextureCount(), 0u);
    sm.RemoveShaderUser(nullptr);
    ShaderUser* c = sm.GetShaderUser(d, false);
    try {
        sm.RemoveShaderUser(reinterpret_cast<ShaderUser*>(&d));
        FAIL();
    } catch (const FatalError& e) {
        EXPECT_EQ(e.GetMessage(), "Shader Manager: Failed to remove shader");
    }
    EXPECT_EQ(sm.GetUserCount(), 1u);
    sm.RemoveShaderUser(c);
}

TEST_F(Managers, StageStatesAndAnimation)
{
    ShaderManager& sm = *scene.shaders;
    RenderSystem& rs = *scene.render;
    ASSERT_GE(rs.textureStageCount, 2u);
    ShaderDescriptor two(false, "a.bmp", "", false);
    two.AddTextureStage(0, "b.bmp", "", 0);
    ShaderUser* u2 = sm.GetShaderUser(two, false);
    u2->Apply();
    EXPECT_NE(rs.stageTextures[1], nullptr);
    EXPECT_EQ(rs.stageAddressU[1], 0u);
    EXPECT_EQ(rs.stageFilter[0], 1u);
    ShaderUser* u1 = sm.GetShaderUser(ShaderDescriptor(false, "a.bmp", "", false), false);
    u1->Apply();
    EXPECT_EQ(rs.stageTextures[1], nullptr);  // the unused stage is emptied
    EXPECT_EQ(rs.stageTextures[0], u1->GetShader()->GetTexture(0, 0));
    EXPECT_FALSE(rs.alphaBlend);
    ShaderUser* blend = sm.GetShaderUser(ShaderDescriptor(false, "a.bmp", "32bit", false), false);
    blend->Apply();
    EXPECT_TRUE(rs.alphaBlend);
    EXPECT_EQ(rs.sourceBlend, 4u);
    EXPECT_EQ(rs.destinationBlend, 5u);

    // A 4 x 2 grid at frame 5: column 1, flipped row 0.
    ShaderDescriptor net(false, 1, 4, 2, 8, 1.0f, "net.bmp", "", false);
    ShaderUser* n = sm.GetShaderUser(net, false);
    n->GetAnimation(0)->time = 5.0f;
    scene.timers->AdvanceFrame(0.0f);  // the smallest step, 0.001 s
    n->Update();
    const ShaderStage& s = n->GetStage(0);
    EXPECT_EQ(n->GetAnimation(0)->frameA, 5u);
    EXPECT_FLOAT_EQ(s.scaleU, 0.999f * 0.25f);
    EXPECT_FLOAT_EQ(s.offsetU, 1.0005f * 0.25f);
    EXPECT_FLOAT_EQ(s.offsetV, 0.0005f * 0.5f);
    EXPECT_EQ(s.currentFrame, 0u);
    n->Apply();
    EXPECT_FLOAT_EQ(rs.stageTextureMatrix[0].x, s.scaleU);
    EXPECT_FLOAT_EQ(rs.stageTextureMatrix[0].z, s.offsetU);

    // A sequence of 10 files draws texture (frame A).
    ShaderDescriptor seq(false, 2, 1, 1, 10, 1.0f, "seq_0.bmp", "", false);
    ShaderUser* q = sm.GetShaderUser(seq, false);
    ASSERT_EQ(q->GetShader()->GetTextureCount(0), 10u);
    q->GetAnimation(0)->time = 7.5f;
    q->Update();
    EXPECT_EQ(q->GetStage(0).currentFrame, 7u);
    q->Apply();
    EXPECT_EQ(rs.stageTextures[0], q->GetShader()->GetTexture(0, 7));
    // A frame past the textures draws the last one.
    q->GetStage(0).currentFrame = 40;
    q->Apply();
    EXPECT_EQ(rs.stageTextures[0], q->GetShader()->GetTexture(0, 9));

    // Random starts differ between two users of one shader.
    SetRandomSeed(11);
    ShaderDescriptor randomStart(false, 2, 1, 1, 10, 1.0f, "seq_0.bmp", "", false);
    randomStart.GetStage(0).flags |= 2;
    ShaderUser* r1 = sm.GetShaderUser(randomStart, false);
    ShaderUser* r2 = sm.GetShaderUser(randomStart, false);
    EXPECT_EQ(r1->GetShader(), r2->GetShader());
    EXPECT_NE(r1->GetAnimation(0)->time, r2->GetAnimation(0)->time);
    for (ShaderUser* u : {u2, u1, blend, n, q, r1, r2})
        sm.RemoveShaderUser(u);
    EXPECT_EQ(sm.GetShaderCount(), 0u);
}

TEST_F(Managers, DeferralModes)
{
    ShaderManager& sm = *scene.shaders;
    sm.deferralMode = 2;
    ShaderUser* u = sm.GetShaderUser(ShaderDescriptor(false, "x.bmp", "", false), true);
    EXPECT_FALSE(u->GetShader()->GetTexture(0, 0)->IsDeferred());
    sm.RemoveShaderUser(u);
    sm.deferralMode = 1;
    u = sm.GetShaderUser(ShaderDescriptor(false, "x.bmp", "", false), false);
    EXPECT_TRUE(u->GetShader()->GetTexture(0, 0)->IsDeferred());
    sm.RemoveShaderUser(u);
    sm.deferralMode = 0;
    const int mark = scene.log->GetHistorySize();
    u = sm.GetShaderUserFromFile("models\\none.srf", true);
    EXPECT_EQ(u->GetStageCount(), 0u);
    ASSERT_EQ(scene.log->GetHistorySize(), mark + 1);
    EXPECT_EQ(scene.log->GetHistoryRecord(mark)->level, 3u);
    EXPECT_NE(scene.log->GetHistoryRecord(mark)->text.find("none.srf"), std::string::npos);
    sm.RemoveShaderUser(u);
}

TEST_F(Managers, OwnerSuppliedTextures)
{
    // A stage that loads no pictures gets its texture from its owner.
    ShaderDescriptor d;
    d.AddStage(5, 0, 1, 1, 1, 0.0f, "pack_page_0");
    ShaderUser* u = scene.shaders->GetShaderUser(d, false);
    ASSERT_EQ(u->GetShader()->GetTexture(0, 0), nullptr);
    Image* page = new Image;
    page->Create(32, 32, 32, true);
    Texture2D* t = scene.shaders->GetTextureManager()->GetTexture(true, "pack_page_0", "", page, nullptr, false);
    u->GetShader()->SetTexture(0, 0, t);
    u->Apply();
    EXPECT_EQ(scene.render->stageTextures[0], t);
    scene.shaders->RemoveShaderUser(u);
    EXPECT_EQ(scene.shaders->GetTextureManager()->GetTextureCount(), 0u);
}
