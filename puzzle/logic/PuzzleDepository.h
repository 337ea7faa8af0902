#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <cstdint>
#include <vector>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIWindow;
class ParticleSystem;
} // namespace KorvaneEngine

namespace GameTools {
class DataKeeper;
}

namespace GUITools {
class GUITextTool;
}

namespace GameFramework {
class ScoreKeeper;
class SoundController;
} // namespace GameFramework

namespace Puzzle {

class BonusManager;
class Carriage;
class DepositoryElement;
class GameLogicData;
class GUIGameLogicTextManager;
class Profile;
class Puzzle;
class PuzzleElement;
class PuzzleElementManager;

// The path round the board along which the pieces arrive: a queue of pieces
// and bonuses, 60 units apart, creeping towards the finish the slower the
// less room is left ahead of it, fed at the start and, outside relax mode,
// swallowed at the finish (the level is then lost). The player's hand works
// on it inside the same update: picking pieces, collecting bonuses, putting
// held pieces back and fast-forwarding. When the board is full the charge
// cashes the bonuses in and runs the carriage to the finish.
//
// Positions are GUI units; a place on the path is its distance from the
// first path point.
class PuzzleDepository {
public:
    static constexpr float kSpacing = 60.0f;
    static constexpr float kSlotSize = 40.0f;
    // The stretch before the finish in which everything shrinks away.
    static constexpr float kFinishZone = 35.0f;

    // The path points are the centres of the models "depository/path/000" ...
    // "005" ("004" in relax mode) of gameData, which also holds the carriage,
    // the obstacle, the bonus models and the two effect templates. A missing
    // path model or a path of no length is fatal. textTool, texts, profile
    // and sounds may be null. parent is the carriage's parent when there are
    // no pieces.
    PuzzleDepository(GameFramework::SoundController* sounds, GameTools::DataKeeper* gameData, GameLogicData* data,
                     GUITools::GUITextTool* textTool, GUIGameLogicTextManager* texts, BonusManager* bonuses,
                     PuzzleElementManager* pieces, Puzzle* board, GameFramework::ScoreKeeper* scoreKeeper,
                     Profile* profile, bool relax, KorvaneEngine::GUIWindow* parent);
    virtual ~PuzzleDepository();
    PuzzleDepository(const PuzzleDepository&) = delete;
    PuzzleDepository& operator=(const PuzzleDepository&) = delete;

    // One frame; timeScale (0..1) is the game's fade factor.
    void Update(bool paused, float timeScale);
    void StartCharge();

    void ApplyRollback();
    void ApplyPause();
    void AddPutPause(uint32_t combo);

    KorvaneEngine::Vector2 GetPointAtDistance(float s) const;
    // The distance of the path place nearest to p among the segments beside
    // which p lies; 0 (negative side) beside none. negativeSide: p is on the
    // inner side of that segment (the board's side).
    float GetNearestDistance(const KorvaneEngine::Vector2& p, bool* negativeSide) const;

    bool IsIntroductionDone() const { return introductionDone_; }
    bool IsCharging() const { return charging_; }
    bool IsChargeFinished() const { return chargeFinished_; }
    bool IsLost() const { return lost_; }
    bool IsFailing() const { return failing_; }

    // Read by the game logic to scale and draw the held piece.
    float GetHeldDistance() const { return heldDistance_; }
    const KorvaneEngine::Vector2& GetGrabOffset() const { return grabOffset_; }
    const KorvaneEngine::Vector2& GetSlotSize() const { return slotSize_; }

    float GetTotalLength() const { return totalLength_; }
    float GetFreeLength() const { return freeLength_; }
    float GetFreeRatio() const { return totalLength_ > 0.0f ? freeLength_ / totalLength_ : 0.0f; }
    float GetCarriageDistance() const { return carriageDistance_; }
    float GetFastForwardSpeed() const { return fastForwardSpeed_; }
    float GetRushSpeed() const { return rushSpeed_; }
    float GetStopTime() const { return stopTime_; }
    float GetSlowDownTime() const { return slowDownTime_; }
    uint32_t GetBonusQuota() const { return bonusQuota_; }
    const std::vector<KorvaneEngine::Vector2>& GetPoints() const { return points_; }
    const std::vector<DepositoryElement*>& GetQueue() const { return queue_; }
    const std::vector<DepositoryElement*>& GetWaitingList() const { return waiting_; }
    Carriage* GetCarriage() const { return carriage_; }
    KorvaneEngine::ParticleSystem* GetStartEffect() const { return startEffect_; }
    KorvaneEngine::ParticleSystem* GetFinishEffect() const { return finishEffect_; }

    static const char* const kResourceFile;

private:
    void Introduction(bool paused, float dt);
    void Charge(bool paused, float dt);
    void Heading(float dt);
    void ComputeRay(bool paused);
    void MoveQueue(bool paused, float dt, float delta);
    void Feed();
    void Hand(bool paused, float dt);
    // The gap of the queue a returned piece goes into (index i: between
    // element i - 1 and element i), its lower and upper ends.
    void GapBounds(size_t i, float& lower, float& upper) const;
    void Insert(size_t index, DepositoryElement* e);
    bool ReturnByClick(PuzzleElement* held, float d);
    bool ReturnByButton(PuzzleElement* held);
    void FinishReturn(PuzzleElement* held, float distance);
    void DropDeadBonuses();
    bool AllPiecesOnBoard() const;
    PuzzleElement* NextPiece() const;
    PuzzleElement* HeldPiece() const;
    void PlayCue(int32_t id);
    void StopCue(int32_t id);
    bool CuePlaying(int32_t id) const;
    void SetCueLoop(int32_t id, bool loop);
    void Text(const std::wstring& text, const KorvaneEngine::Vector2& at);
    KorvaneEngine::ParticleSystem* MakeEffect(const char* name, float depth);

    GameFramework::SoundController* sounds_;
    GameTools::DataKeeper* gameData_;
    GameLogicData* data_;
    GUITools::GUITextTool* textTool_;
    GUIGameLogicTextManager* texts_;
    BonusManager* bonuses_;
    PuzzleElementManager* pieces_;
    Puzzle* board_;
    GameFramework::ScoreKeeper* scoreKeeper_;
    Profile* profile_;
    bool relax_;

    std::vector<KorvaneEngine::Vector2> points_;
    std::vector<KorvaneEngine::Vector2> segmentVectors_;
    std::vector<float> segmentLengths_;
    std::vector<float> segmentEnds_;
    float totalLength_ = 0.0f;
    std::vector<KorvaneEngine::Plane> segmentPlanes_;

    Carriage* carriage_ = nullptr;
    std::vector<DepositoryElement*> queue_;
    std::vector<DepositoryElement*> waiting_;
    KorvaneEngine::ParticleSystem* startEffect_ = nullptr;
    KorvaneEngine::ParticleSystem* finishEffect_ = nullptr;

    float carriageDistance_ = 0.0f;
    float carriageSpin_ = 0.0f;
    float freeLength_ = 0.0f;
    uint32_t sinceBonus_ = 0;
    uint32_t bonusQuota_ = 0;
    float slowDownAmount_ = 0.0f, slowDownTime_ = 0.0f;
    float stopAmount_ = 0.0f, stopTime_ = 0.0f;
    float introductionTime_ = 0.0f;
    float chargeTime_ = 0.0f;
    float chargeStart_ = 0.0f;
    float rushSpeed_;
    float fastForwardSpeed_ = 0.0f;
    float fastForwardHold_ = 0.0f;
    float heldDistance_ = 0.0f;
    KorvaneEngine::Vector2 grabOffset_;
    KorvaneEngine::Vector2 slotSize_;
    float warningTimer_ = 0.0f;
    bool introductionDone_;
    bool failing_ = false;
    bool charging_ = false;
    bool chargeFinished_ = false;
    bool lost_ = false;
    bool failedCuePlayed_ = false;
    bool fastForwardHeld_ = false;
    bool runCuePending_ = true;

    KorvaneEngine::Vector3 rayOrigin_;
    KorvaneEngine::Vector3 rayDirection_;
    bool blocked_ = false;
};

} // namespace Puzzle
