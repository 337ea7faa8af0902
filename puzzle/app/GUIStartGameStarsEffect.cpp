#include "puzzle/app/GUIStartGameStarsEffect.h"

#include <algorithm>

#include "engine/foundation/TimerManager.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ParticleSystem.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"
#include "puzzle/app/GameData.h"

namespace Puzzle {

namespace {

// Drawn in front of the window's deepest children.
const float kDepthAboveWindow = 0.01f * 200 + 100;
// The curve bows out by this share of the distance.
const float kBow = 0.3f;

} // namespace

GUIStartGameStarsEffect::GUIStartGameStarsEffect(GameData* data, KorvaneEngine::GUIWindow* parent)
    : gameData(data), parentWidget(parent)
{
    KorvaneEngine::ParticleSystemManager* systems = KorvaneEngine::ParticleSystemManager::Instance();
    KorvaneEngine::ParticleSystem* source = gameData ? gameData->GetParticleSystem("ui/start_game_stars") : nullptr;
    if (!systems || !source)
        return;
    particles = systems->CreateParticleSystem(*source);
    if (!particles)
        return;
    // Placed in GUI units, so drawn through the GUI's own camera.
    if (KorvaneEngine::Model* model = particles->GetModel()) {
        if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
            model->SetCamera(gui->GetCamera());
        model->AddFlags(KorvaneEngine::ModelFlags::kFixedDepth);
        model->viewDepth = (parentWidget ? parentWidget->GetDepth() : 0.0f) - kDepthAboveWindow;
    }
    particles->looping = true;
    particles->emitting = false;
    particles->SetVisible(false);
}

GUIStartGameStarsEffect::~GUIStartGameStarsEffect()
{
    if (KorvaneEngine::ParticleSystemManager* systems = KorvaneEngine::ParticleSystemManager::Instance())
        systems->DeleteParticleSystem(particles);
}

void GUIStartGameStarsEffect::Start(const KorvaneEngine::Vector2& a, const KorvaneEngine::Vector2& b)
{
    time = 0.0f;
    from = a;
    to = b;
    position = a;
    if (!particles)
        return;
    particles->position = KorvaneEngine::Vector3(position);
    particles->SetVisible(true);
    particles->emitting = true;
}

void GUIStartGameStarsEffect::Update()
{
    if (IsFinished())
        return;
    const bool parentShown = !parentWidget || parentWidget->IsVisible();
    if (parentShown) {
        KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
        time += timers ? timers->frameTime : 0.0f;
        const float distance = (to - from).GetLength();
        // A flight onto its own start has arrived at once.
        const float t = distance > 0.0f ? std::min(1.0f, std::max(0.0f, kSpeed / distance * time)) : 1.0f;
        const KorvaneEngine::Vector2 control = (from + to) * 0.5f + KorvaneEngine::Vector2(-kBow * distance, kBow * distance);
        position = KorvaneEngine::Vector2::QuadraticBezier(from, control, to, t);
        particles->position = KorvaneEngine::Vector3(position);
        if (t >= 1.0f)
            particles->emitting = false;
    } else {
        particles->emitting = false;
    }
    if (!particles->emitting && particles->liveCount == 0)
        particles->SetVisible(false);
}

bool GUIStartGameStarsEffect::IsFinished() const { return !particles || !particles->IsVisible(); }

} // namespace Puzzle
