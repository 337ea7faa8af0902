#include "gui/GUIManager.h"

#include "puzzle/app/GUIGameCursor.h"

#include "engine/audio_input/Controls.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/SpriteGroup.h"
#include "gui/GUICursor.h"

namespace Puzzle {

using namespace KorvaneEngine;

namespace {

// The drawn cursors' ids with their system cursors' resource ids.
const struct {
    int32_t id;
    uint16_t resource;
} kCursors[] = {{0, 1000}, {1, 107}, {2, 106}};

// An effect of the menus, drawn in GUI units just in front of the windows.
ParticleSystem* MakeEffect(GameTools::DataKeeper* keeper, const char* name, bool loop)
{
    ParticleSystemManager* systems = ParticleSystemManager::Instance();
    GUIManager* gui = GUIManager::Instance();
    const ParticleSystem* source = keeper ? keeper->GetParticleSystem(name) : nullptr;
    if (!systems || !gui || !source)
        return nullptr;
    ParticleSystem* s = systems->CreateParticleSystem(*source);
    s->GetSpriteGroup()->SetCamera(gui->GetCamera());
    s->GetModel()->AddFlags(ModelFlags::kFixedDepth);
    s->GetModel()->viewDepth = GUIGameCursor::kEffectsDepth;
    s->looping = loop;
    s->SetVisible(true);
    return s;
}

void DeleteEffect(ParticleSystem*& s)
{
    if (s)
        if (ParticleSystemManager* systems = ParticleSystemManager::Instance())
            systems->DeleteParticleSystem(s);
    s = nullptr;
}

} // namespace

GUIGameCursor::GUIGameCursor()
{
    GUIManager* gui = GUIManager::Instance();
    const ShaderDescriptor arrow(false, "ui\\cursors\\cursor.jpg", "ui\\cursors\\cursor_alpha.jpg", true);
    for (const auto& c : kCursors)
        AddCursor(c.id, c.resource, gui ? gui->CreateCursor(nullptr, &arrow, kCursorSize) : nullptr);
    SetCursor(0);
}

GUIGameCursor::~GUIGameCursor()
{
    DeleteEffect(train);
    DeleteEffect(click);
}

void GUIGameCursor::CreateEffects(GameTools::DataKeeper* gameData)
{
    DeleteEffect(train);
    DeleteEffect(click);
    train = MakeEffect(gameData, "ui/cursor_train", true);
    // A single burst a click; it waits, not emitting, for the first click.
    click = MakeEffect(gameData, "ui/cursor_click", false);
    if (click)
        click->emitting = false;
    SetEffectsVisible(effectsVisible);
}

void GUIGameCursor::SetEffectsVisible(bool visible)
{
    effectsVisible = visible;
    if (train)
        train->emitting = visible;
}

void GUIGameCursor::SetVisible(bool visible)
{
    GUIGameCursorBase::SetVisible(visible);
    if (train)
        train->emitting = visible && effectsVisible;
}

bool GUIGameCursor::Update()
{
    const GUIManager* gui = GUIManager::Instance();
    const Vector2 at = gui ? gui->GetCursorPosition() : Vector2(0, 0);
    if (effectsVisible && train)
        train->position = Vector3(at.x + kTrailOffsetX, at.y + kTrailOffsetY, 0.0f);
    const Controls* controls = Controls::Instance();
    if (effectsVisible && click && controls && controls->IsPressed("MOUSE1")) {
        // A restart from the first key, also in the middle of a burst: the
        // key must read as new, or the burst's one emission is skipped.
        click->position = Vector3(at.x, at.y, 0.0f);
        click->time = 0.0f;
        click->lastKey = -1;
        click->emitting = true;
    }
    return GUIGameCursorBase::Update();
}

} // namespace Puzzle
