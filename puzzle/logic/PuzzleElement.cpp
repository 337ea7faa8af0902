#include "puzzle/logic/PuzzleElement.h"

#include <algorithm>
#include <cmath>

#include "engine/foundation/TimerManager.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/SpriteGroup.h"
#include "framework/SoundController.h"
#include "gui/GUIWindow.h"
#include "puzzle/app/SoundTable.h"
#include "puzzle/logic/GameLogicData.h"
#include "puzzle/logic/TexturePack.h"

namespace Puzzle {

using KorvaneEngine::Color;
using KorvaneEngine::GUIManager;
using KorvaneEngine::GUIWindow;
using KorvaneEngine::ParticleSystem;
using KorvaneEngine::ParticleSystemManager;
using KorvaneEngine::Vector2;
using KorvaneEngine::Vector3;

namespace {

const int32_t kBoardHeightBase = 1;
const int32_t kPieceHeight = 5, kShadowHeight = 4;
// While in the hand: above everything on the path and the board.
const int32_t kHeldPieceHeight = 103, kHeldShadowHeight = 102;
const float kShadowAlpha = 0.3f;
const float kShadowOffset = 3.0f;
const float kBlinkSpeed = 1.5f;
const float kBlinkPeak = 0.4f;
// The tip's particles lie just in front of the slot they outline.
const float kEffectDepthStep = 0.001f;

float FrameTime()
{
    const KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    return timers ? timers->frameTime : 0.0f;
}

} // namespace

PuzzleElement::PuzzleElement(GameFramework::SoundController* sounds, GameTools::DataKeeper* gameData,
                             GameLogicData* data, uint32_t index, int kind, GUIWindow* parent)
    : sounds_(sounds), gameData_(gameData), data_(data), index_(index), kind_(kind)
{
    const Vector2 size = GetBaseSize();
    const std::string& image = data_->GetImageNames()[index_];
    window_ = data_->GetTexturePack()->CreateWindow(image, GUIWindow::kColored, size * -0.5f, size, parent);
    if (index_ < data_->GetValues().size())
        values_.assign(data_->GetValues()[index_].begin(), data_->GetValues()[index_].end());
    if (kind_ == kBoardPiece) {
        window_->SetHeight(static_cast<int32_t>(index_) + kBoardHeightBase);
    } else {
        shadow_ = data_->GetTexturePack()->CreateWindow(image, GUIWindow::kColored, size * -0.5f, size, parent);
        shadow_->SetColor(Color(0, 0, 0, kShadowAlpha));
        window_->SetHeight(kPieceHeight);
        shadow_->SetHeight(kShadowHeight);
    }
    Layout();
}

PuzzleElement::~PuzzleElement()
{
    if (GUIManager* gui = GUIManager::Instance()) {
        gui->DestroyWindow(shadow_);
        gui->DestroyWindow(window_);
    }
    if (tipEffect_)
        if (ParticleSystemManager* systems = ParticleSystemManager::Instance())
            systems->DeleteParticleSystem(tipEffect_);
}

Vector2 PuzzleElement::GetBaseSize() const
{
    return index_ < data_->GetSizes().size() ? data_->GetSizes()[index_] : Vector2(0, 0);
}

const Vector2& PuzzleElement::GetSize() const { return window_->GetSize(); }

void PuzzleElement::SetPosition(const Vector2& centre)
{
    centre_ = centre;
    Layout();
}

void PuzzleElement::SetScale(float scale)
{
    scale_ = scale;
    Layout();
}

void PuzzleElement::Layout()
{
    const Vector2 size = GetBaseSize() * scale_;
    window_->SetSize(size);
    window_->SetPosition(centre_ - size * 0.5f);
    if (shadow_) {
        // The shadow creeps under a piece that shrinks onto the path.
        const float m = std::min(2.0f * scale_, 1.0f);
        shadow_->SetSize(size);
        shadow_->SetPosition(centre_ - size * 0.5f + Vector2(kShadowOffset, -kShadowOffset) * m);
    }
}

bool PuzzleElement::IsVisible() const { return window_->IsVisible(); }

void PuzzleElement::SetVisible(bool visible)
{
    if (visible) {
        window_->SetFlags(GUIWindow::kShown);
        if (shadow_)
            shadow_->SetFlags(GUIWindow::kShown);
        window_->SetColor(Color(1, 1, 1, 1));
        tipOn_ = tipFading_ = false;
        hintOn_ = hintFading_ = false;
        if (tipEffect_)
            tipEffect_->emitting = false;
    } else {
        window_->ClearFlags(GUIWindow::kShown);
        if (shadow_)
            shadow_->ClearFlags(GUIWindow::kShown);
    }
}

bool PuzzleElement::Contains(const Vector3& point) const
{
    const Vector2 low = window_->GetAbsolutePosition();
    const Vector2 high = low + window_->GetSize();
    return point.x > low.x && point.y > low.y && point.x < high.x && point.y < high.y;
}

void PuzzleElement::ShowTip()
{
    if (kind_ != kBoardPiece)
        return;
    tipOn_ = true;
    tipFading_ = false;
    tipPhase_ = 0.0f;
    Color tip = data_->GetTipColor();
    tip.a = 0.0f;
    window_->SetFlags(GUIWindow::kShown);
    window_->SetColor(tip);
    if (!tipEffect_) {
        ParticleSystemManager* systems = ParticleSystemManager::Instance();
        ParticleSystem* source = gameData_ ? gameData_->GetParticleSystem("board/tip") : nullptr;
        if (!systems || !source)
            return;
        tipEffect_ = systems->CreateParticleSystem(*source);
        KorvaneEngine::Model* model = tipEffect_->GetModel();
        if (GUIManager* gui = GUIManager::Instance())
            tipEffect_->GetSpriteGroup()->SetCamera(gui->GetCamera());
        model->AddFlags(KorvaneEngine::ModelFlags::kFixedDepth);
        // The depth key is view depth plus offset; the fixed view depth is 0.
        model->viewDepth = 0.0f;
        model->depthOffset = window_->GetDepth() - kEffectDepthStep;
        // The outline in screen units: pick points are picture pixels, the
        // slots' parent stands where the picture's corner is.
        const Vector2 base = window_->GetParent() ? window_->GetParent()->GetAbsolutePosition() : Vector2(0, 0);
        tipEffect_->pathPoints.clear();
        if (index_ < data_->GetPickPoints().size())
            for (const Vector2& p : data_->GetPickPoints()[index_])
                tipEffect_->pathPoints.push_back(Vector3(p.x + base.x, p.y + base.y, 0.0f));
        tipEffect_->emitterShape = 2;
        tipEffect_->pathInterpolated = false;
    }
    // It sparkles for as long as the blink lasts, however long that is.
    tipEffect_->looping = true;
    tipEffect_->time = 0.0f;
    tipEffect_->SetVisible(true);
    tipEffect_->emitting = true;
}

void PuzzleElement::StopTip()
{
    if (kind_ == kBoardPiece && tipOn_)
        tipFading_ = true;
}

void PuzzleElement::ShowHint()
{
    if (kind_ != kBoardPiece)
        return;
    hintOn_ = true;
    hintFading_ = false;
    hintPhase_ = 0.0f;
    Color tip = data_->GetTipColor();
    tip.a = 0.0f;
    window_->SetFlags(GUIWindow::kShown);
    window_->SetColor(tip);
}

void PuzzleElement::StopHint()
{
    if (kind_ == kBoardPiece && hintOn_)
        hintFading_ = true;
}

void PuzzleElement::Blink(bool& on, bool& fading, float& phase, float step)
{
    float alpha;
    if (!fading) {
        phase += step;
        alpha = std::fabs(std::sin(phase)) * kBlinkPeak;
    } else {
        alpha = window_->GetAlpha() - step;
        if (alpha < 0.0f) {
            alpha = 0.0f;
            on = fading = false;
        }
    }
    window_->SetAlpha(alpha);
}

void PuzzleElement::Update(bool paused, float factor)
{
    if (kind_ == kBoardPiece) {
        const float step = FrameTime() * kBlinkSpeed * factor;
        if (tipOn_) {
            if (tipFading_ && tipEffect_)
                tipEffect_->emitting = false;
            Blink(tipOn_, tipFading_, tipPhase_, step);
        }
        if (sounds_) {
            const bool playing = sounds_->GetSoundState(kSoundBonusTip) == 0;
            if (tipOn_ && !paused) {
                if (!playing) {
                    sounds_->SetSoundLoop(kSoundBonusTip, true);
                    sounds_->PlaySound(kSoundBonusTip);
                }
            } else if (playing) {
                sounds_->SetSoundLoop(kSoundBonusTip, false);
            }
        }
        if (hintOn_)
            Blink(hintOn_, hintFading_, hintPhase_, step);
        return;
    }
    const bool held = taken_;
    const int32_t height = held ? kHeldPieceHeight : kPieceHeight;
    if (window_->GetHeightLevel() != height) {
        window_->SetHeight(height);
        shadow_->SetHeight(held ? kHeldShadowHeight : kShadowHeight);
    }
    window_->SetColor(Color(1, 1, 1, factor));
    shadow_->SetColor(Color(0, 0, 0, factor * kShadowAlpha));
}

} // namespace Puzzle
