#include "gui/GUIBackgroundLayer.h"

#include <cmath>

#include "engine/foundation/TimerManager.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ModelManager.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/Shader.h"
#include "engine/render/SpriteGroup.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"

namespace GUITools {

using namespace KorvaneEngine;

namespace {

const float kFadeEnd = 0.0001f;

float FrameTime()
{
    const TimerManager* timers = TimerManager::Instance();
    return timers ? timers->frameTime : 0.0f;
}

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

void SetUpAnimation(AnimationControl* a, float speed, bool loop)
{
    if (!a)
        return;
    if (speed >= 0.0f)
        a->speed = speed;
    a->loop = loop ? 1 : 0;
}

// From the start, or from a random point so that layers sharing a model do
// not move in step.
void Restart(AnimationControl* a, bool random)
{
    if (!a)
        return;
    a->time = 0.0f;
    a->hold = 0;
    a->Start();
    if (random)
        a->RandomizeStart();
}

} // namespace

GUIBackgroundLayer::GUIBackgroundLayer(GameTools::DataKeeper* keeper_, const GUIBackgroundLayerDescription& d,
    int32_t height, GUIWindow* parent)
    : keeper(keeper_), name(d.name), randomStartFrame(d.randomStartFrame), color(d.color)
{
    GUIManager* gui = GUIManager::Instance();
    if (!gui)
        return;
    if (!d.particles) {
        const Model* source = keeper && !d.name.empty() ? keeper->GetModel(d.name) : nullptr;
        widget = gui->CreateWindow(GUIWindow::kColored, Vector2(0, 0), Vector2(1, 1), source, nullptr, parent);
        if (Model* m = widget->GetModel())
            SetUpAnimation(m->GetAnimation(), d.animationSpeed, d.animationLoop);
    } else {
        widget = gui->CreateWindow(GUIWindow::kColored, Vector2(0, 0), Vector2(1, 1), nullptr, nullptr, parent);
        ParticleSystemManager* systems = ParticleSystemManager::Instance();
        const ParticleSystem* source = keeper ? keeper->GetParticleSystem(d.name) : nullptr;
        if (systems && source) {
            particles = systems->CreateParticleSystem(*source);
            particles->SetVisible(false);
            // GUI units: the layer lives on the GUI's camera, not the scene's.
            particles->GetSpriteGroup()->SetCamera(gui->GetCamera());
            particles->looping = true;
            particles->emitting = true;
            particles->GetModel()->AddFlags(ModelFlags::kFixedDepth);
        }
    }
    widget->SetHeight(height);
    // The depth is the widget's only once its height is set.
    if (particles)
        particles->GetModel()->viewDepth = widget->GetDepth();

    if (!d.shader.empty() && keeper) {
        ShaderUser* user = keeper->GetShaderUser(d.shader);
        if (particles)
            particles->SetShader(user);
        else if (widget->GetModel())
            widget->GetModel()->SetShaderDescriptor(user);
    }
    ShaderUser* own = particles ? particles->GetShader() : (widget->GetModel() ? widget->GetModel()->GetShaderUser() : nullptr);
    if (own) {
        // Source alpha over inverse source alpha, whatever the resource says:
        // layers are seen through each other.
        own->AddFlags(1);
        own->SetStageMode(0, 4);
        own->SetStageMode(1, 5);
        for (uint32_t s = 0; s < own->GetStageCount(); ++s)
            Restart(own->GetAnimation(s), false);
    }

    if (!d.animatorModel.empty() && keeper) {
        const Model* source = keeper->GetModel(d.animatorModel);
        if (ModelManager* models = ModelManager::Instance())
            if (source)
                animator = models->CloneModelUnregistered(source, nullptr, 0);
        if (animator) {
            // Its box follows the frames only while it counts as drawn; it is
            // in no registry, so nothing draws it.
            animator->AddFlags(ModelFlags::kVisible);
            SetUpAnimation(animator->GetAnimation(), d.animationSpeed, d.animationLoop);
            Restart(animator->GetAnimation(), randomStartFrame);
        }
    }
}

GUIBackgroundLayer::~GUIBackgroundLayer()
{
    if (particles)
        if (ParticleSystemManager* systems = ParticleSystemManager::Instance())
            systems->DeleteParticleSystem(particles);
    delete animator;
    if (widget)
        if (GUIManager* gui = GUIManager::Instance())
            gui->DestroyWindow(widget);
}

void GUIBackgroundLayer::Update()
{
    if (!widget || !widget->IsVisible())
        return;
    if (animator) {
        animator->Update(false);
        widget->position = Vector2(animator->box.GetWorldMin().x, animator->box.GetWorldMin().y);
    }
    if (particles) {
        // Every emitter kind is placed by its position; a box emitter adds it
        // to its own bounds, which stay as the file made them.
        const Vector2 p = widget->GetAbsolutePosition();
        particles->position = Vector3(p.x, p.y, 0.0f);
    }
    if (fading) {
        fadeTime += FrameTime();
        const float p = Clamp01(fadeSpeed * fadeTime);
        fadeAlpha = visible ? p : 1.0f - p;
        if (visible && std::fabs(p - 1.0f) < kFadeEnd) {
            fading = false;
        } else if (!visible && std::fabs(fadeAlpha) < kFadeEnd) {
            fading = false;
            widget->ClearFlags(GUIWindow::kShown);
            if (particles)
                particles->SetVisible(false);
        }
        SetAlpha(1.0f);
    }
}

void GUIBackgroundLayer::RestartAnimations()
{
    if (widget && widget->GetModel())
        Restart(widget->GetModel()->GetAnimation(), randomStartFrame);
    if (animator)
        Restart(animator->GetAnimation(), randomStartFrame);
}

void GUIBackgroundLayer::SetVisible(bool visible_, bool fade, float speed)
{
    if (!enabled || !widget)
        return;
    visible = visible_;
    fading = fade;
    fadeSpeed = speed;
    fadeTime = 0.0f;
    if (!visible) {
        if (!fade) {
            widget->ClearFlags(GUIWindow::kShown);
            if (particles)
                particles->SetVisible(false);
        }
        fadeAlpha = 1.0f;
    } else {
        widget->SetFlags(GUIWindow::kShown);
        if (particles)
            particles->SetVisible(true);
        fadeAlpha = fade ? 0.0f : 1.0f;
        RestartAnimations();
    }
    SetAlpha(1.0f);
}

void GUIBackgroundLayer::SetAlpha(float factor)
{
    if (!enabled || !widget)
        return;
    Color c = color;
    c.a *= factor * fadeAlpha;
    widget->SetColor(c);
    if (particles)
        particles->SetColor(c);
}

} // namespace GUITools
