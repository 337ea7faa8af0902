#include "puzzle/logic/GameLogic.h"

#include <algorithm>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/TimerManager.h"
#include "framework/SoundController.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIToolManager.h"
#include "gui/GUIWindow.h"
#include "puzzle/app/GameData.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/app/SoundTable.h"
#include "puzzle/logic/BonusManager.h"
#include "puzzle/logic/GUIGameLogicTextManager.h"
#include "puzzle/logic/GameLogicData.h"
#include "puzzle/logic/Puzzle.h"
#include "puzzle/logic/PuzzleDepository.h"
#include "puzzle/logic/PuzzleElement.h"
#include "puzzle/logic/PuzzleElementManager.h"

namespace Puzzle {

using KorvaneEngine::Vector2;
using KorvaneEngine::Vector3;

namespace {

// The fade of the play around a pause: out in 0.5 s, back in about 0.77 s.
const float kFadeOutRate = 2.0f;
const float kFadeInRate = 1.3f;
// A held piece grows from its carried size to full size between 20 and 45
// units from the path.
const float kGrowStart = 20.0f;
const float kGrowSpan = 25.0f;
// The magnet pulls up to 100 units, fully within 200 of the slot, fading to
// nothing at 450; within 200 the piece glides onto the slot.
const float kMagnetReach = 450.0f;
const float kMagnetNear = 200.0f;
const float kMagnetPull = 100.0f;
const float kMagnetGlide = 0.35f;
const uint32_t kRelaxPlay = 1;

} // namespace

GameLogic::GameLogic(GameFramework::GUIGameCursorBase* cursor_, ProfileManager* profiles,
                     GameFramework::SoundController* sounds, GameData* gameData_, GameLogicData* data_,
                     GUITools::GUIToolManager* tools_, const GameFramework::Stage* stage_,
                     const GameFramework::Level* level_, int32_t carry, const std::string*)
    : GameLogicBase(sounds, stage_, level_, carry), cursor(cursor_), profileManager(profiles), gameData(gameData_),
      data(data_), tools(tools_), levelRecord(level_), stageRecord(stage_)
{
    if (tools) {
        fontTool = tools->GetFontTool();
        textTool = tools->GetTextTool();
    }
    if (profileManager)
        profile = static_cast<Profile*>(profileManager->GetCurrentProfile());
    relax = profile && profile->GetPlayValue() == kRelaxPlay;
    if (profile)
        profile->SetLevelStars(0);

    KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance();
    container = gui->CreateContainerWindow(KorvaneEngine::GUIWindow::kShown, gameData->GetContainerRoot());
    KorvaneEngine::GUIWindow* overlay = gameData->GetContainerChild();
    texts = new GUIGameLogicTextManager(fontTool ? fontTool->GetFontId("tip") : -1, overlay);
    pieces = new PuzzleElementManager(soundController, gameData, data, overlay);
    bonuses = new BonusManager(gameData, relax, overlay);
    board = new Puzzle(cursor, soundController, textTool, gameData, data, texts, pieces, scoreKeeper, profile, relax,
                       container);
    path = new PuzzleDepository(soundController, gameData, data, textTool, texts, bonuses, pieces, board,
                                scoreKeeper, profile, relax, container);

    timeScale = 1.0f;
    magnetStep = 0.0f;
    timer->SetPaused(false);
    if (soundController)
        soundController->PlaySound(kSoundLevelBegin);
}

GameLogic::~GameLogic()
{
    delete board;
    delete bonuses;
    delete path;
    delete pieces;
    delete texts;
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        gui->DestroyWindow(container);
}

void GameLogic::ApplyCheatKey(bool shift, int32_t key)
{
    GameLogicBase::ApplyCheatKey(shift, key);
    if (shift) {
        if (key == 1)
            board->Complete();
        return;
    }
    switch (key) {
    case 1: path->ApplyRollback(); break;
    case 2: path->ApplyPause(); break;
    case 3: board->ArmTip(); break;
    case 4: board->ArmMagnet(); break;
    default: break;
    }
}

void GameLogic::Update()
{
    GameLogicBase::Update();

    const KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    const float dt = timers ? timers->frameTime : 0.0f;
    const bool paused = state == kPaused;
    timeScale += paused ? -kFadeOutRate * dt : kFadeInRate * dt;
    timeScale = std::min(timeScale, 1.0f);
    timeScale = std::max(timeScale, 0.0f);

    const bool introduced = path->IsIntroductionDone();
    path->Update(paused, timeScale);
    // The introduction can end during a pause's fade-out (or after the level
    // ended): the timer then stays still until the play resumes it.
    if (!introduced && path->IsIntroductionDone() && state == kPlaying)
        timer->SetPaused(false);

    UpdateHeldPiece(dt);

    board->Update(paused, timeScale);
    pieces->Update(paused, timeScale);
    bonuses->Update(paused ? 1 : 0, timeScale);
    texts->Update();

    if (board->IsFull())
        timer->SetPaused(true);
    EndLevel();
}

void GameLogic::UpdateHeldPiece(float dt)
{
    bool nearSlot = false;
    heldPiece = nullptr;
    if (state == kPlaying) {
        const Vector2 cursorAt = KorvaneEngine::GUIManager::Instance()->GetCursorPosition();
        for (PuzzleElement* piece : pieces->GetPieces()) {
            if (!piece->IsVisible() || !piece->IsTaken())
                continue;
            piece->SetScale(1.0f);
            const Vector2 size = piece->GetSize();
            const Vector2& slotSize = path->GetSlotSize();
            const float pathScale = size.x > 0.0f && size.y > 0.0f
                                        ? std::min(slotSize.x / size.x, slotSize.y / size.y)
                                        : 1.0f;
            const float t = std::min(1.0f, std::max(0.0f, (path->GetHeldDistance() - kGrowStart) / kGrowSpan));
            float scale = t * 1.0f + (1.0f - t) * pathScale;
            const Vector2 half = size * 0.5f;
            const Vector2& at = piece->GetPosition();
            const KorvaneEngine::BoundingBox rect(Vector3(at.x - half.x, at.y - half.y, 0.0f),
                                                  Vector3(at.x + half.x, at.y + half.y, 0.0f));
            if (!rect.Intersects(board->GetRectangle()))
                scale = pathScale;
            piece->SetScale(scale);

            Vector2 target = cursorAt + path->GetGrabOffset();
            if (PuzzleElement* slot = piece->magnetSlot) {
                const Vector2 slotAt = board->GetSlotPosition(slot);
                Vector2 d = slotAt - target;
                const float dist = d.GetLength();
                if (dist > 0.0f)
                    d = d / dist;
                if (dist < kMagnetReach) {
                    const float k = std::max(dist - kMagnetNear, 0.0f);
                    target += d * (1.0f - k / (kMagnetReach - kMagnetNear)) * kMagnetPull;
                    if (dist < kMagnetNear) {
                        if (!slot->IsHintOn())
                            slot->ShowHint();
                        nearSlot = true;
                        const float u = std::min(magnetStep / kMagnetGlide, 1.0f);
                        target = Vector2::Lerp(piece->GetPosition(), slotAt, u);
                    }
                }
            }
            piece->SetPosition(target);
            heldPiece = piece;
        }
    }

    if (soundController) {
        const bool playing = soundController->GetSoundState(kSoundBonusMagnet) == 0;
        if (heldPiece && heldPiece->magnetSlot && !playing) {
            soundController->SetSoundLoop(kSoundBonusMagnet, true);
            soundController->PlaySound(kSoundBonusMagnet);
        } else if (playing) {
            // It ends by itself and is started again while the magnet pulls.
            soundController->SetSoundLoop(kSoundBonusMagnet, false);
        }
    }
    magnetStep = nearSlot ? dt * timeScale : 0.0f;
}

void GameLogic::EndLevel()
{
    if (board->IsFull()) {
        if (!relax) {
            if (!path->IsCharging() && !path->IsChargeFinished())
                path->StartCharge();
            if (state != kWon && board->IsCompleted() && path->IsChargeFinished()) {
                if (profile) {
                    profile->SetStars(profile->GetStars() + static_cast<uint32_t>(profile->GetLevelStars()));
                    profile->Save();
                }
                SetState(kWon);
            }
        } else if (state != kWon && board->IsCompleted()) {
            if (profile) {
                profile->SetStars(profile->GetStars() + static_cast<uint32_t>(profile->GetLevelStars()));
                profile->Save();
            }
            SetState(kWon);
        }
    } else if (path->IsLost() && !relax && state != kLost) {
        SetState(kLost);
    }
}

} // namespace Puzzle
