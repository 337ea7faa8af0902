#include "puzzle/logic/Puzzle.h"

#include <algorithm>
#include <cmath>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/SpriteGroup.h"
#include "engine/render/Shader.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/SoundController.h"
#include "gui/GUITextTool.h"
#include "gui/GUIWindow.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/SoundTable.h"
#include "puzzle/logic/GUIGameLogicTextManager.h"
#include "puzzle/logic/GameLogicData.h"
#include "puzzle/logic/PuzzleElement.h"
#include "puzzle/logic/PuzzleElementManager.h"

namespace Puzzle {

using KorvaneEngine::Color;
using KorvaneEngine::Controls;
using KorvaneEngine::GUIManager;
using KorvaneEngine::GUIWindow;
using KorvaneEngine::Vector2;
using KorvaneEngine::Vector3;

namespace {

// Draw order under the game logic's container: the slots (1 .. 200) stay
// below the complete picture, the picture below the cut lines and the dimmer.
const int32_t kLevelCompleteHeight = 203;
// Slot i at level i + 1 in its container, itself a level under the board
// one level up: 200 levels lie behind the level-complete model. A board of
// more pieces goes round them again, which costs nothing: slots never
// overlap where their images are opaque.
const uint32_t kSlotLevels = kLevelCompleteHeight - 3;
const int32_t kPictureHeight = 204;
const int32_t kPauseOverlayHeight = 205;
const float kEpsilon = 0.0001f;
const int32_t kComboLevels = 5;
const int32_t kBasePoints = 10;
const int32_t kComboPoints = 5;
const float kMusicFadeOut = 2.0f;
const float kMusicFadeIn = 0.15f;
// Cursor ids of the game's cursor set.
const int32_t kCursorNormal = 0, kCursorTip = 1, kCursorMagnet = 2;

bool Pressed(const char* name)
{
    const Controls* controls = Controls::Instance();
    return controls && controls->IsPressed(name);
}

bool Down(const char* name)
{
    const Controls* controls = Controls::Instance();
    return controls && controls->IsDown(name);
}

} // namespace

Puzzle::Puzzle(GameFramework::GUIGameCursorBase* cursor, GameFramework::SoundController* sounds,
               GUITools::GUITextTool* textTool, GameTools::DataKeeper* gameData, GameLogicData* data,
               GUIGameLogicTextManager* texts, PuzzleElementManager* pieces, GameFramework::ScoreKeeper* scoreKeeper,
               Profile* profile, bool relax, GUIWindow* parent)
    : cursor_(cursor), sounds_(sounds), textTool_(textTool), gameData_(gameData), data_(data), texts_(texts),
      pieces_(pieces), scoreKeeper_(scoreKeeper), profile_(profile), relax_(relax)
{
    GUIManager* gui = GUIManager::Instance();
    const Vector2 corner(kLeft, kBottom);
    const Vector2 size = data_->GetBoardSize();
    // The whole-picture textures hold the picture in their 1024 x 512 corner.
    const Vector2 uv(size.x / float(GameLogicData::kTextureWidth), size.y / float(GameLogicData::kTextureHeight));

    background_ = gui->CreateWindow(GUIWindow::kShown | GUIWindow::kColored, corner, size, nullptr,
                                    data_->GetShaderUser("puzzle_background"), parent);
    background_->ScaleUV(uv);
    background_->SetColor(data_->GetBackgroundColor());

    slotContainer_ = gui->CreateContainerWindow(GUIWindow::kShown, background_);

    picture_ = gui->CreateWindow(GUIWindow::kShown | GUIWindow::kColored, corner, size, nullptr,
                                 data_->GetShaderUser("puzzle"), parent);
    picture_->ScaleUV(uv);
    picture_->SetHeight(kPictureHeight);

    pauseOverlay_ = gui->CreateWindow(GUIWindow::kColored, corner, size, nullptr,
                                      data_->GetShaderUser("puzzle_background"), parent);
    pauseOverlay_->ScaleUV(uv);
    pauseOverlay_->SetColor(data_->GetBackgroundColor());
    pauseOverlay_->SetHeight(kPauseOverlayHeight);
    if (KorvaneEngine::Model* m = pauseOverlay_->GetModel())
        if (KorvaneEngine::ShaderUser* user = m->GetShaderUser()) {
            // Blended by its own alpha, so the dimmer can fade.
            user->AddFlags(1);
            user->SetStageMode(0, 4);
            user->SetStageMode(1, 5);
        }

    levelComplete_ = gui->CreateWindow(0, corner, Vector2(1.0f, 1.0f), gameData_->GetModel("board/level_complete"),
                                       data_->GetShaderUser("puzzle_theme"), parent);
    levelComplete_->SetHeight(kLevelCompleteHeight);
    completeModel_ = levelComplete_->GetModel();
    completeAnimation_ = levelComplete_->GetModelAnimation();

    KorvaneEngine::ParticleSystemManager* systems = KorvaneEngine::ParticleSystemManager::Instance();
    KorvaneEngine::ParticleSystem* source = gameData_->GetParticleSystem("board/level_complete");
    if (systems && source) {
        effect_ = systems->CreateParticleSystem(*source);
        KorvaneEngine::Model* m = effect_->GetModel();
        // The sprites face the GUI camera and are drawn through it.
        effect_->GetSpriteGroup()->SetCamera(gui->GetCamera());
        m->AddFlags(KorvaneEngine::ModelFlags::kFixedDepth);
        m->viewDepth = 0.0f;
        m->depthOffset = levelComplete_->GetDepth() - 0.001f;
        effect_->SetVisible(false);
        // One burst over its box, not a fountain at one point.
        effect_->looping = false;
        effect_->emitterShape = 1;
    }

    rectangle_.Set(Vector3(kLeft, kBottom, 0.0f), Vector3(kLeft + size.x, kBottom + size.y, 0.0f));

    total_ = data_->GetTotal();
    slots_.reserve(total_);
    for (uint32_t i = 0; i < total_; ++i) {
        PuzzleElement* slot = new PuzzleElement(sounds_, gameData_, data_, i, PuzzleElement::kBoardPiece,
                                                slotContainer_);
        if (i >= kSlotLevels)
            slot->GetWindow()->SetHeight(static_cast<int32_t>(i % kSlotLevels) + 1);
        slot->SetPosition(data_->GetCentres()[i]);
        slots_.push_back(slot);
    }
}

Puzzle::~Puzzle()
{
    for (PuzzleElement* s : slots_)
        delete s;
    slots_.clear();
    if (GUIManager* gui = GUIManager::Instance()) {
        gui->DestroyWindow(background_);
        gui->DestroyWindow(slotContainer_);
        gui->DestroyWindow(picture_);
        gui->DestroyWindow(pauseOverlay_);
        gui->DestroyWindow(levelComplete_);
    }
    if (effect_)
        if (KorvaneEngine::ParticleSystemManager* systems = KorvaneEngine::ParticleSystemManager::Instance())
            systems->DeleteParticleSystem(effect_);
}

void Puzzle::Complete() { placed_ = total_; }

bool Puzzle::IsCompleted() const
{
    if (!IsFull() || !animationStarted_)
        return false;
    // A model with nothing to play never advances its control: it has ended
    // as soon as it started.
    const bool plays = completeModel_ && completeAnimation_ &&
                       (completeModel_->GetFlags() & (KorvaneEngine::ModelFlags::kMorph |
                                                      KorvaneEngine::ModelFlags::kSkinned)) &&
                       completeAnimation_->frameCount > 1;
    return !plays || !completeAnimation_->running;
}

void Puzzle::ArmMagnet()
{
    magnetMode_ = true;
    tipMode_ = false;
}

void Puzzle::ArmTip()
{
    tipMode_ = true;
    magnetMode_ = false;
}

Vector2 Puzzle::GetSlotPosition(const PuzzleElement* slot) const
{
    return slotContainer_->GetAbsolutePosition() + slot->GetPosition();
}

void Puzzle::Update(bool paused, float scale)
{
    const KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    const float dt = timers ? timers->frameTime : 0.0f;
    comboEvent_ = 0;

    if (scale + kEpsilon < 1.0f) {
        pauseOverlay_->SetFlags(GUIWindow::kShown);
        pauseOverlay_->SetAlpha(std::min(1.0f, std::max(0.0f, 1.0f - scale)));
    } else {
        pauseOverlay_->ClearFlags(GUIWindow::kShown);
    }

    comboTimer_ += dt * scale;

    // A full board takes no more puts (the cheat fills it while pieces are
    // still about).
    const bool triggered = !paused && placed_ < total_ &&
                           (Pressed("MOUSE1") || magnetMode_ || tipMode_ || Pressed("F9"));
    if (triggered) {
        PuzzleElement* held = pieces_->GetHeldPiece();
        if (held && !rememberedHeld_) {
            // Picked since the last trigger: an armed mode takes this piece.
            PuzzleElement* slot = held->GetIndex() < slots_.size() ? slots_[held->GetIndex()] : nullptr;
            if (tipMode_) {
                tipMode_ = false;
                if (slot)
                    slot->ShowTip();
            }
            if (magnetMode_ && !held->magnetSlot && slot) {
                magnetUsed_ = true;
                held->magnetSlot = slot;
            }
        }
        rememberedHeld_ = held;
        if (held && held->GetIndex() < slots_.size()) {
            PuzzleElement* slot = slots_[held->GetIndex()];
            // While a tip is still armed the piece already in the hand cannot
            // be put by distance: the tip belongs to the next piece picked.
            const float threshold = tipMode_ ? -1.0f : kPutDistance;
            const float dist = (GetSlotPosition(slot) - held->GetPosition()).GetLength();
            if (dist < threshold || Down("F9"))
                Put(held, slot);
            if (Pressed("MOUSE1") && held->IsVisible() && sounds_)
                sounds_->PlaySound(kSoundElementPutBad);
        }
    }

    if (placed_ == total_ && sounds_ && sounds_->GetMusicState(1) != 0)
        sounds_->PlayMusic(1, kMusicGame0, true, kMusicFadeIn);

    UpdateCursor(pieces_->GetHeldPiece(), paused, scale);

    for (PuzzleElement* s : slots_)
        s->Update(paused, scale);

    UpdateLevelComplete(dt);
}

void Puzzle::Put(PuzzleElement* held, PuzzleElement* slot)
{
    magnetMode_ = magnetUsed_ = tipMode_ = false;
    held->SetVisible(false);
    slot->SetVisible(true);
    if (comboTimer_ < kComboWindow) {
        comboLevel_ = comboLevel_ % kComboLevels;
        if (!relax_)
            comboEvent_ = comboLevel_;
        comboLevel_ += 1;
    } else {
        comboLevel_ = 1;
    }
    if (sounds_)
        sounds_->PlaySound(kSoundElementPut0 - 1 + comboLevel_);
    const int32_t points = kBasePoints + kComboPoints * (comboLevel_ - 1);
    comboTimer_ = 0.0f;
    if (profile_)
        profile_->AddLevelStars(points);
    std::wstring text = L"+" + KorvaneEngine::IntToWideString(points);
    if (comboLevel_ > 1 && textTool_) {
        std::wstring combo = textTool_->GetText("game_logic/combo");
        KorvaneEngine::ReplaceAllNoCase(combo, L"%COMBO%", KorvaneEngine::IntToWideString(comboLevel_));
        text += L"\n" + combo;
    }
    placed_ += 1;
    if (texts_)
        texts_->CreateText(text, slot->GetPosition() + background_->GetPosition());
    if (placed_ == total_ && sounds_) {
        sounds_->PlaySound(kSoundLevelComplete);
        sounds_->StopMusic(1, true, kMusicFadeOut);
    }
}

void Puzzle::UpdateCursor(PuzzleElement* held, bool paused, float scale)
{
    const bool settled = !paused && scale + kEpsilon > 1.0f;
    if (!held) {
        if (magnetUsed_)
            magnetMode_ = magnetUsed_ = false;
        for (PuzzleElement* s : slots_) {
            s->StopTip();
            s->StopHint();
            s->magnetSlot = nullptr;
        }
        for (PuzzleElement* p : pieces_->GetPieces())
            p->magnetSlot = nullptr;
        if (settled && cursor_)
            cursor_->SetCursor(tipMode_ ? kCursorTip : (magnetMode_ ? kCursorMagnet : kCursorNormal));
        return;
    }
    if (!settled || !cursor_)
        return;
    for (PuzzleElement* s : slots_)
        if (s->IsTipOn())
            cursor_->SetCursor(kCursorTip);
    if (magnetMode_)
        cursor_->SetCursor(kCursorMagnet);
}

void Puzzle::UpdateLevelComplete(float dt)
{
    if (placed_ != total_ || !picture_->IsVisible())
        return;
    const float alpha = picture_->GetAlpha() - dt;
    levelComplete_->SetFlags(GUIWindow::kShown);
    if (completeAnimation_) {
        completeAnimation_->time = 0.0f;
        completeAnimation_->hold = 0;
    }
    background_->ClearFlags(GUIWindow::kShown);
    if (alpha <= kEpsilon) {
        picture_->ClearFlags(GUIWindow::kShown);
        if (completeAnimation_) {
            // Played once whatever the model says: a looping model would
            // never let the level end.
            completeAnimation_->loop = 0;
            completeAnimation_->Start();
        }
        animationStarted_ = true;
        if (effect_) {
            effect_->SetVisible(true);
            effect_->time = 0.0f;
            effect_->emitting = true;
            effect_->looping = false;
        }
    } else {
        picture_->SetAlpha(alpha);
    }
}

} // namespace Puzzle
