#include "puzzle/logic/PuzzleDepository.h"

#include <algorithm>
#include <cmath>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/CameraManager.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/SpriteGroup.h"
#include "framework/SoundController.h"
#include "gui/GUITextTool.h"
#include "gui/GUIWindow.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/SoundTable.h"
#include "puzzle/logic/Bonus.h"
#include "puzzle/logic/BonusManager.h"
#include "puzzle/logic/Carriage.h"
#include "puzzle/logic/DepositoryElement.h"
#include "puzzle/logic/GUIGameLogicTextManager.h"
#include "puzzle/logic/Puzzle.h"
#include "puzzle/logic/PuzzleElement.h"
#include "puzzle/logic/PuzzleElementManager.h"

namespace Puzzle {

using KorvaneEngine::Controls;
using KorvaneEngine::ParticleSystem;
using KorvaneEngine::Vector2;
using KorvaneEngine::Vector3;

const char* const PuzzleDepository::kResourceFile = "data\\game_objects\\resources.xml";

namespace {

const float kEpsilon = 0.0001f;
const float kPi = 3.14159265f;
const float kTwoPi = 2.0f * kPi;
// A spin at or past this has started a whole turn and finishes it.
const float kHalfTurnPassed = 3.1416926f;
const uint32_t kPathPoints = 6, kRelaxPathPoints = 5;
// The far end of the queue's last gap, past the finish.
const float kBeyondFinish = 60.0f;
const float kReturnReach = 20.0f;
const float kGrabPull = 0.18f;
const float kScoringPoints = 2.0f;
const int32_t kStopPoints = 2;
const int32_t kStops = 30;
const int32_t kCashPoints = 30;
const float kEffectDepthStep = 0.001f;

float Clamp01(float x) { return std::min(1.0f, std::max(0.0f, x)); }

bool Pressed(const char* name)
{
    const Controls* c = Controls::Instance();
    return c && c->IsPressed(name);
}

bool Down(const char* name)
{
    const Controls* c = Controls::Instance();
    return c && c->IsDown(name);
}

} // namespace

PuzzleDepository::PuzzleDepository(GameFramework::SoundController* sounds, GameTools::DataKeeper* gameData,
                                   GameLogicData* data, GUITools::GUITextTool* textTool,
                                   GUIGameLogicTextManager* texts, BonusManager* bonuses,
                                   PuzzleElementManager* pieces, Puzzle* board,
                                   GameFramework::ScoreKeeper* scoreKeeper, Profile* profile, bool relax,
                                   KorvaneEngine::GUIWindow* parent)
    : sounds_(sounds), gameData_(gameData), data_(data), textTool_(textTool), texts_(texts), bonuses_(bonuses),
      pieces_(pieces), board_(board), scoreKeeper_(scoreKeeper), profile_(profile), relax_(relax),
      slotSize_(kSlotSize, kSlotSize)
{
    KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance();
    const uint32_t n = relax_ ? kRelaxPathPoints : kPathPoints;
    std::string names;
    for (uint32_t i = 0; i < n; ++i) {
        const std::string name = "depository/path/" + KorvaneEngine::UnsignedToString(i, 3);
        names += (i ? ", \"" : "\"") + name + "\"";
        // The keeper answers a missing name with its default model, whose
        // centre would silently bend the path: without its points there is
        // no level.
        if (!gameData_->GetModels().count(name))
            log->LogFatal("There is no \"" + name + "\" model in \"" + kResourceFile + "\"");
        const KorvaneEngine::Model* model = gameData_->GetModel(name);
        KorvaneEngine::BoundingBox box = model->box;
        box.SetTransform(model->localMatrix);
        points_.push_back(Vector2(box.GetCenter().x, box.GetCenter().y));
    }
    for (uint32_t i = 0; i + 1 < n; ++i) {
        const Vector2 v = points_[i + 1] - points_[i];
        segmentVectors_.push_back(v);
        segmentLengths_.push_back(v.GetLength());
        totalLength_ += v.GetLength();
        segmentEnds_.push_back(totalLength_);
        segmentPlanes_.push_back(KorvaneEngine::Plane(Vector3(points_[i].x, points_[i].y, 0.0f),
                                                      Vector3(points_[i + 1].x, points_[i + 1].y, 0.0f),
                                                      Vector3(points_[i + 1].x, points_[i + 1].y, 1.0f)));
    }
    if (!(totalLength_ >= kEpsilon))
        log->LogFatal("The path of " + names + " in \"" + kResourceFile + "\" has no length");

    KorvaneEngine::GUIWindow* carriageParent = parent;
    float depth = parent ? parent->GetDepth() : 0.0f;
    if (!pieces_->GetPieces().empty()) {
        KorvaneEngine::GUIWindow* first = pieces_->GetPieces().front()->GetWindow();
        carriageParent = first->GetParent();
        depth = first->GetDepth();
    }
    carriage_ = new Carriage(gameData_, carriageParent);

    startEffect_ = MakeEffect("depository/path_start", depth - kEffectDepthStep);
    finishEffect_ = MakeEffect("depository/path_finish", depth - kEffectDepthStep);
    if (startEffect_) {
        startEffect_->position = Vector3(points_[0].x, points_[0].y, 0.0f);
        startEffect_->SetVisible(!relax_);
        startEffect_->emitting = !relax_;
    }
    if (finishEffect_) {
        finishEffect_->SetVisible(false);
        finishEffect_->emitting = false;
    }

    rushSpeed_ = relax_ ? 1350.0f : 400.0f;
    introductionDone_ = relax_;
}

PuzzleDepository::~PuzzleDepository()
{
    if (KorvaneEngine::ParticleSystemManager* systems = KorvaneEngine::ParticleSystemManager::Instance()) {
        if (startEffect_)
            systems->DeleteParticleSystem(startEffect_);
        if (finishEffect_)
            systems->DeleteParticleSystem(finishEffect_);
    }
    for (DepositoryElement* e : waiting_)
        delete e;
    for (DepositoryElement* e : queue_)
        delete e;
    waiting_.clear();
    queue_.clear();
    delete carriage_;
}

ParticleSystem* PuzzleDepository::MakeEffect(const char* name, float depth)
{
    KorvaneEngine::ParticleSystemManager* systems = KorvaneEngine::ParticleSystemManager::Instance();
    ParticleSystem* source = gameData_->GetParticleSystem(name);
    if (!systems || !source)
        return nullptr;
    ParticleSystem* effect = systems->CreateParticleSystem(*source);
    KorvaneEngine::Model* model = effect->GetModel();
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        effect->GetSpriteGroup()->SetCamera(gui->GetCamera());
    model->AddFlags(KorvaneEngine::ModelFlags::kFixedDepth);
    model->viewDepth = 0.0f;
    model->depthOffset = depth;
    // They run for as long as the path switches them on.
    effect->looping = true;
    effect->time = 0.0f;
    return effect;
}

// ---------------------------------------------------------------- geometry

Vector2 PuzzleDepository::GetPointAtDistance(float s) const
{
    // A negative distance lies before the first point, on the first
    // segment's line.
    float start = 0.0f;
    for (size_t i = 0; i < segmentLengths_.size(); ++i) {
        const float length = segmentLengths_[i];
        // A segment of no length has no direction to walk.
        if (length < kEpsilon)
            continue;
        const float end = start + length;
        if (end >= s)
            return points_[i] + segmentVectors_[i] * ((s - start) / length);
        start = end;
    }
    return points_.empty() ? Vector2(0, 0) : points_.back();
}

float PuzzleDepository::GetNearestDistance(const Vector2& p, bool* negativeSide) const
{
    float best = 100000.0f, result = 0.0f;
    bool negative = true;
    float start = 0.0f;
    for (size_t i = 0; i < segmentPlanes_.size(); ++i) {
        const float length = segmentLengths_[i];
        if (length >= kEpsilon) {
            const KorvaneEngine::Plane& plane = segmentPlanes_[i];
            const float d = plane.GetDistance(Vector3(p.x, p.y, 0.0f));
            const Vector2 normal(plane.GetNormal().x, plane.GetNormal().y);
            const Vector2 foot = p - normal * d;
            if (Vector2::Dot(points_[i + 1] - foot, points_[i] - foot) <= 0.0f && std::fabs(d) < best) {
                best = std::fabs(d);
                result = start + (foot - points_[i]).GetLength();
                negative = d < 0.0f;
            }
        }
        start += length;
    }
    if (negativeSide)
        *negativeSide = negative;
    return result;
}

// ---------------------------------------------------------------- effects of bonuses

void PuzzleDepository::ApplyRollback() { slowDownTime_ += 3.1f; }

void PuzzleDepository::ApplyPause()
{
    const float r = GetFreeRatio();
    if (r > 0.9f)
        stopTime_ += 1.5f;
    else if (r > 0.8f)
        stopTime_ += 3.5f;
    else if (r > 0.6f)
        stopTime_ += 5.5f;
    else
        stopTime_ += 9.5f;
}

void PuzzleDepository::AddPutPause(uint32_t combo)
{
    if (GetFreeRatio() < 0.8f)
        stopTime_ += float(combo) * 0.45f;
}

// ---------------------------------------------------------------- helpers

bool PuzzleDepository::CuePlaying(int32_t id) const { return sounds_ && sounds_->GetSoundState(id) == 0; }

void PuzzleDepository::PlayCue(int32_t id)
{
    if (sounds_)
        sounds_->PlaySound(id);
}

void PuzzleDepository::StopCue(int32_t id)
{
    if (CuePlaying(id))
        sounds_->StopSound(id);
}

void PuzzleDepository::SetCueLoop(int32_t id, bool loop)
{
    if (sounds_)
        sounds_->SetSoundLoop(id, loop);
}

void PuzzleDepository::Text(const std::wstring& text, const Vector2& at)
{
    if (texts_)
        texts_->CreateText(text, at);
}

PuzzleElement* PuzzleDepository::NextPiece() const
{
    for (PuzzleElement* p : pieces_->GetPieces())
        if (!p->IsTaken() && !p->IsVisible())
            return p;
    return nullptr;
}

PuzzleElement* PuzzleDepository::HeldPiece() const { return pieces_->GetHeldPiece(); }

bool PuzzleDepository::AllPiecesOnBoard() const
{
    for (PuzzleElement* p : pieces_->GetPieces())
        if (!(p->IsTaken() && !p->IsVisible()))
            return false;
    return true;
}

void PuzzleDepository::Insert(size_t index, DepositoryElement* e)
{
    queue_.insert(queue_.begin() + static_cast<std::ptrdiff_t>(std::min(index, queue_.size())), e);
}

void PuzzleDepository::DropDeadBonuses()
{
    // The bonus manager frees an expired bonus one update after it expired;
    // an element still holding it then would point at freed memory.
    auto dead = [](DepositoryElement* e) {
        if (e->GetBonus() && !e->GetBonus()->IsAlive()) {
            delete e;
            return true;
        }
        return false;
    };
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(), dead), queue_.end());
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(), dead), waiting_.end());
}

// ---------------------------------------------------------------- the run

void PuzzleDepository::StartCharge()
{
    if (!carriage_->IsVisible()) {
        carriageDistance_ = 0.0f;
        carriage_->SetVisible(true);
    }
    charging_ = true;
    chargeTime_ = 0.0f;
    chargeStart_ = carriageDistance_;
    for (DepositoryElement*& e : queue_) {
        Bonus* b = e->GetBonus();
        if (!b)
            continue;
        Text(L"+" + KorvaneEngine::IntToWideString(kCashPoints), b->GetPosition());
        b->StartVanishing();
        if (profile_)
            profile_->AddLevelStars(kCashPoints);
        delete e;
        e = nullptr;
    }
    queue_.erase(std::remove(queue_.begin(), queue_.end(), nullptr), queue_.end());
}

void PuzzleDepository::Update(bool paused, float timeScale)
{
    DropDeadBonuses();

    carriage_->Update(paused, timeScale);
    AddPutPause(board_ ? static_cast<uint32_t>(std::max(board_->GetComboEvent(), 0)) : 0u);

    const KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    float dt = timers ? timers->frameTime : 0.0f;
    if (!(failing_ && !relax_))
        dt *= timeScale;

    if (!introductionDone_) {
        Introduction(paused, dt);
        return;
    }
    if (charging_)
        Charge(paused, dt);
    if (carriage_->IsVisible())
        Heading(dt);
    if (charging_)
        return;

    ComputeRay(paused);

    // The target speed: faster the more room lies ahead.
    const float r = GetFreeRatio();
    const float base = relax_ ? 40.0f : 8.0f;
    const float target = 17.0f * Clamp01(r - 0.6f) + 14.0f * Clamp01(r - 0.8f) + 14.0f * Clamp01(r) + base +
                         rushSpeed_ + fastForwardSpeed_;

    const bool swallowing = failing_ && !relax_;
    if (!swallowing) {
        rushSpeed_ = std::max(0.0f, rushSpeed_ - dt * std::max(rushSpeed_ * 0.7f, 20.0f));
    } else {
        rushSpeed_ = std::min(1300.0f, rushSpeed_ + dt * std::max(rushSpeed_ * 1.9f, 300.0f));
        if (queue_.empty()) {
            StopCue(kSoundPathEnd);
        } else {
            if (sounds_)
                sounds_->SetSoundTempo(kSoundPathEnd, rushSpeed_ / 1600.0f + 1.0f);
            if (!CuePlaying(kSoundPathEnd))
                PlayCue(kSoundPathEnd);
        }
    }

    slowDownTime_ -= dt;
    if (slowDownTime_ <= kEpsilon) {
        slowDownTime_ = 0.0f;
        slowDownAmount_ = std::max(0.0f, slowDownAmount_ - (slowDownAmount_ * 0.6f + 30.0f) * dt);
    } else {
        slowDownAmount_ = std::min(160.0f, slowDownAmount_ + (slowDownAmount_ * 0.9f + 50.0f) * dt);
    }
    stopTime_ -= dt;
    if (stopTime_ <= kEpsilon) {
        stopTime_ = 0.0f;
        stopAmount_ = std::max(0.0f, stopAmount_ - (stopAmount_ * 0.6f + 30.0f) * dt);
    } else {
        stopAmount_ = std::min(target, stopAmount_ + (stopAmount_ * 0.9f + 50.0f) * dt);
    }

    const float speed = target - slowDownAmount_ - std::max(stopAmount_ - slowDownAmount_, 0.0f);
    MoveQueue(paused, dt, speed * dt);

    // Spacing, and the start: what rolled back past it waits to come again.
    for (size_t i = queue_.size(); i-- > 1;) {
        const float ahead = queue_[i]->GetPosition();
        if (ahead - queue_[i - 1]->GetPosition() < kSpacing - kEpsilon)
            queue_[i - 1]->SetDistance(ahead - kSpacing);
    }
    if (carriage_->IsVisible() && !queue_.empty() && queue_[0]->GetPosition() - carriageDistance_ < kSpacing - kEpsilon)
        carriageDistance_ = queue_[0]->GetPosition() - kSpacing;
    if (carriageDistance_ < 0.0f)
        carriage_->SetVisible(false);
    for (DepositoryElement*& e : queue_)
        if (e->GetPosition() < 0.0f) {
            e->SetVisible(false);
            waiting_.push_back(e);
            e = nullptr;
        }
    queue_.erase(std::remove(queue_.begin(), queue_.end(), nullptr), queue_.end());

    if (queue_.empty() || queue_.back()->GetPosition() < 0.5f)
        slowDownAmount_ = slowDownTime_ = stopAmount_ = stopTime_ = 0.0f;

    if (!queue_.empty() && !failing_ && !relax_) {
        const float rear = carriage_->IsVisible() ? carriageDistance_ : queue_.front()->GetPosition();
        freeLength_ = std::max(0.0f, totalLength_ - kSpacing * float(queue_.size()) - rear);
        if (freeLength_ >= 450.0f) {
            warningTimer_ = 0.0f;
        } else {
            warningTimer_ -= dt;
            if (warningTimer_ < 0.0f) {
                PlayCue(kSoundPathWarning);
                warningTimer_ = freeLength_ / 180.0f + 0.7f;
            }
        }
    }

    if (lost_)
        return;

    Feed();

    for (DepositoryElement* e : queue_)
        e->SetPosition(GetPointAtDistance(e->GetPosition()));
    if (carriage_->IsVisible())
        carriage_->SetPosition(GetPointAtDistance(carriageDistance_));

    if (failedCuePlayed_ && sounds_ && sounds_->GetMusicState(1) != 0)
        sounds_->PauseMusic(1, false, true, 0.15f);

    if (failing_)
        return;
    Hand(paused, dt);
}

void PuzzleDepository::Introduction(bool paused, float dt)
{
    // A spark runs the whole path, faster and faster, before the queue moves.
    introductionTime_ += dt;
    const float t = std::max(introductionTime_ - 0.3f, 0.0f);
    const float v = std::min(t * 320.0f * 0.5f, 750.0f);
    float d = (v + 360.0f) * t;
    if (d <= totalLength_) {
        if (t > 0.15f) {
            if (sounds_)
                sounds_->SetSoundTempo(kSoundPathIntroduction, d / totalLength_ * 0.55f + 1.0f);
            if (!paused) {
                if (!CuePlaying(kSoundPathIntroduction))
                    PlayCue(kSoundPathIntroduction);
            } else {
                StopCue(kSoundPathIntroduction);
            }
        }
    } else {
        d = totalLength_;
        if (startEffect_)
            startEffect_->emitting = false;
        introductionDone_ = true;
        StopCue(kSoundPathIntroduction);
        PlayCue(kSoundPathIntroductionEnd);
    }
    if (startEffect_) {
        const Vector2 p = GetPointAtDistance(d);
        startEffect_->position = Vector3(p.x, p.y, 0.0f);
    }
}

void PuzzleDepository::Charge(bool paused, float dt)
{
    if (finishEffect_ && !finishEffect_->IsVisible()) {
        finishEffect_->SetVisible(true);
        finishEffect_->emitting = true;
    }
    const float previous = carriageDistance_;
    chargeTime_ += dt;
    const float t = std::max(chargeTime_ - 0.05f, 0.0f);
    const float v = std::min(t * 260.0f * 0.5f, 600.0f);
    carriageDistance_ = v * t + chargeStart_;
    if (carriageDistance_ > totalLength_ - kFinishZone) {
        carriageDistance_ = std::min(carriageDistance_, totalLength_);
        // It shrinks into the finish as the swallowed pieces do.
        const float f = 1.0f - (totalLength_ - carriageDistance_) / kFinishZone;
        carriage_->SetScale(1.0f - f);
        if (f + kEpsilon > 1.0f)
            carriage_->SetVisible(false);
    }
    // Distances compare by their difference: past 2048 a float's step is
    // larger than the tolerance, which a sum with it would lose.
    if (totalLength_ - carriageDistance_ >= kEpsilon) {
        if (t > 0.15f) {
            if (!paused) {
                if (!CuePlaying(kSoundChargePathScore))
                    PlayCue(kSoundChargePathScore);
            } else {
                StopCue(kSoundChargePathScore);
            }
        }
    } else {
        carriageDistance_ = totalLength_;
        if (finishEffect_)
            finishEffect_->emitting = false;
        charging_ = false;
        chargeFinished_ = true;
        StopCue(kSoundChargePathScore);
    }
    const Vector2 at = GetPointAtDistance(carriageDistance_);
    // Both ends of the stretch passed count, so a stop on the boundary
    // between two updates pays in both.
    const float step = totalLength_ / float(kStops - 1);
    for (int32_t k = 0; k < kStops; ++k) {
        const float x = float(k) * step;
        if (previous - x <= kEpsilon && x - carriageDistance_ <= kEpsilon) {
            Text(L"+" + KorvaneEngine::IntToWideString(kStopPoints), at);
            if (profile_)
                profile_->AddLevelStars(kStopPoints);
        }
    }
    carriage_->SetPosition(at);
    if (finishEffect_)
        finishEffect_->position = Vector3(at.x, at.y, 0.0f);
}

void PuzzleDepository::Heading(float dt)
{
    // The carriage turns into each corner over the last 50 units before it.
    size_t k = 0;
    float nearest = 0.0f;
    for (size_t i = 0; i < segmentEnds_.size(); ++i) {
        const float gap = std::fabs(segmentEnds_[i] - carriageDistance_);
        if (i == 0 || gap < nearest) {
            nearest = gap;
            k = i;
        }
    }
    const float end = segmentEnds_.empty() ? 0.0f : segmentEnds_[k];
    const float u = Clamp01((carriageDistance_ - end + 50.0f) / 50.0f);
    float heading;
    switch (k) {
    case 0: heading = (1.0f - u) * (-kPi / 2.0f); break;
    case 1: heading = u * kPi / 2.0f; break;
    case 2: heading = (1.0f - u) * kPi / 2.0f + u * kPi; break;
    default: heading = kPi; break;
    }
    const float turn = kTwoPi * dt;
    if (slowDownTime_ > 0.0f && !failing_ && !charging_) {
        // Rolling back: it faces backwards (finishing a turn it had begun).
        if (carriageSpin_ >= kHalfTurnPassed)
            carriageSpin_ += turn;
        else
            carriageSpin_ = std::min(carriageSpin_ + turn, kPi);
    } else if (stopTime_ > 0.0f && !failing_ && !charging_) {
        carriageSpin_ += turn;
    } else if (carriageSpin_ > kEpsilon) {
        carriageSpin_ = std::min(carriageSpin_ + turn, kTwoPi);
    }
    while (carriageSpin_ > kTwoPi)
        carriageSpin_ -= kTwoPi;
    carriage_->SetAngle(heading + carriageSpin_);
}

void PuzzleDepository::ComputeRay(bool paused)
{
    KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance();
    const KorvaneEngine::Window* window = KorvaneEngine::Window::Instance();
    KorvaneEngine::CameraManager* cameras = KorvaneEngine::CameraManager::Instance();
    blocked_ = false;
    if (!gui || !cameras)
        return;
    const Vector2 cursor = gui->GetCursorPosition();
    Vector2 point = cursor;
    if (window && gui->GetScreenWidth() > 0.0f && gui->GetScreenHeight() > 0.0f)
        point = Vector2(cursor.x / gui->GetScreenWidth() * float(window->GetWidth()),
                        cursor.y / gui->GetScreenHeight() * float(window->GetHeight()));
    Vector3 nearPoint, farPoint;
    cameras->ScreenPointToRay(nearPoint, gui->GetCamera(), Vector3(point.x, point.y, 0.0f));
    cameras->ScreenPointToRay(farPoint, gui->GetCamera(), Vector3(point.x, point.y, 1.0f));
    rayOrigin_ = nearPoint;
    rayDirection_ = farPoint - nearPoint;
    if (Pressed("MOUSE1") && !paused)
        if (const KorvaneEngine::Model* obstacle = gameData_->GetModel("depository/obstacle"))
            blocked_ = obstacle->IntersectRay(rayOrigin_, rayDirection_, nullptr);
}

void PuzzleDepository::MoveQueue(bool paused, float dt, float delta)
{
    if (delta <= 0.0f) {
        // Rolling back: the front leads and the rest keep their spacing.
        if (!queue_.empty()) {
            queue_.back()->SetDistance(queue_.back()->GetPosition() + delta);
            for (size_t i = queue_.size() - 1; i-- > 0;)
                queue_[i]->SetDistance(std::min(queue_[i]->GetPosition(), queue_[i + 1]->GetPosition() - kSpacing));
        }
        if (carriage_->IsVisible()) {
            if (queue_.empty())
                carriageDistance_ += delta;
            else
                carriageDistance_ = std::min(carriageDistance_, queue_.front()->GetPosition() - kSpacing);
        }
        return;
    }

    const float frontBefore = queue_.empty() ? 0.0f : queue_.back()->GetPosition();
    DepositoryElement* front = queue_.empty() ? nullptr : queue_.back();

    if (carriage_->IsVisible() && !AllPiecesOnBoard()) {
        carriageDistance_ += delta;
        if (!relax_ && carriageDistance_ > totalLength_ - kFinishZone) {
            failing_ = true;
            carriageDistance_ = std::min(carriageDistance_, totalLength_);
            const float s = (totalLength_ - carriageDistance_) / kFinishZone;
            carriage_->SetScale(s);
            if (s < kEpsilon) {
                carriage_->SetVisible(false);
                lost_ = true;
            }
        }
    }
    for (size_t i = 0; i < queue_.size(); ++i) {
        DepositoryElement* e = queue_[i];
        float d = e->GetPosition();
        if (i == 0)
            d = carriage_->IsVisible() ? std::max(d, carriageDistance_ + kSpacing) : d + delta;
        else
            d = std::max(d, queue_[i - 1]->GetPosition() + kSpacing);
        if (!relax_ && d > totalLength_ - kFinishZone) {
            failing_ = true;
            d = std::min(d, totalLength_);
            const float f = 1.0f - (totalLength_ - d) / kFinishZone;
            e->SetScale((1.0f - f) * e->GetFit());
            if (f + kEpsilon > 1.0f && e->IsVisible()) {
                e->SetVisible(false);
                if (!failedCuePlayed_) {
                    failedCuePlayed_ = true;
                    PlayCue(kSoundLevelFailed);
                    if (sounds_)
                        sounds_->PauseMusic(1, true, true, 2.0f);
                }
            }
        } else if (relax_) {
            d = std::min(d, totalLength_);
        }
        e->SetDistance(d);
    }
    const float frontAfter = front ? front->GetPosition() : 0.0f;

    for (DepositoryElement*& e : queue_)
        if (!e->IsVisible()) {
            delete e;
            e = nullptr;
        }
    queue_.erase(std::remove(queue_.begin(), queue_.end(), nullptr), queue_.end());

    // The run cue: once per level, while the queue rushes in at the start.
    if (rushSpeed_ <= 0.0f || (failing_ && !relax_)) {
        if (CuePlaying(kSoundPathBegin))
            SetCueLoop(kSoundPathBegin, false);
        return;
    }
    const float queueSpeed = dt > 0.0f ? (frontAfter - frontBefore) / dt : 0.0f;
    if (queueSpeed <= 55.0f || paused) {
        if (CuePlaying(kSoundPathBegin))
            SetCueLoop(kSoundPathBegin, false);
        return;
    }
    if (sounds_)
        sounds_->SetSoundTempo(kSoundPathBegin, rushSpeed_ <= 300.0f ? 1.0f - (1.0f - rushSpeed_ / 300.0f) * 0.6f : 1.0f);
    if (!CuePlaying(kSoundPathBegin) && runCuePending_) {
        SetCueLoop(kSoundPathBegin, true);
        PlayCue(kSoundPathBegin);
        runCuePending_ = false;
    }
}

void PuzzleDepository::Feed()
{
    if (bonusQuota_ == 0)
        bonusQuota_ = static_cast<uint32_t>(relax_ ? KorvaneEngine::RandomInt(8, 10) : KorvaneEngine::RandomInt(5, 7));
    for (;;) {
        if (!queue_.empty() && queue_.front()->GetPosition() < kSpacing)
            break;
        const float at = queue_.empty() ? 0.0f : queue_.front()->GetPosition() - kSpacing;
        PuzzleElement* next = failing_ ? nullptr : NextPiece();
        if (!waiting_.empty()) {
            DepositoryElement* e = waiting_.back();
            waiting_.pop_back();
            // Back at the start, not before it.
            e->SetDistance(std::max(e->GetPosition(), 0.0f));
            e->SetVisible(true);
            Insert(0, e);
        } else if (sinceBonus_ > bonusQuota_) {
            sinceBonus_ = bonusQuota_ = 0;
            Bonus* bonus = bonuses_->CreateBonus(GetFreeRatio());
            DepositoryElement* e = new DepositoryElement(bonus, at);
            e->SetVisible(true);
            Insert(0, e);
        } else if (next) {
            DepositoryElement* e = new DepositoryElement(next, at);
            e->SetVisible(true);
            e->SetScale(1.0f);
            e->SetScale(e->GetFit());
            Insert(0, e);
            ++sinceBonus_;
        } else {
            if (!carriage_->IsVisible()) {
                carriageDistance_ = at;
                carriage_->SetVisible(true);
                carriage_->SetPosition(GetPointAtDistance(carriageDistance_));
            }
            break;
        }
    }
}

// ---------------------------------------------------------------- the hand

void PuzzleDepository::GapBounds(size_t i, float& lower, float& upper) const
{
    upper = i < queue_.size() ? queue_[i]->GetPosition() : totalLength_ + kBeyondFinish;
    if (i > 0)
        lower = queue_[i - 1]->GetPosition();
    else
        lower = carriage_->IsVisible() ? carriageDistance_ : -kBeyondFinish;
}

bool PuzzleDepository::ReturnByClick(PuzzleElement* held, float d)
{
    if (queue_.empty()) {
        if (!carriage_->IsVisible()) {
            queue_.push_back(new DepositoryElement(held, d));
            FinishReturn(held, d);
            return true;
        }
        const float beyond = totalLength_ + kBeyondFinish;
        if (carriageDistance_ <= d && d <= beyond && (beyond - carriageDistance_) + kEpsilon > 2.0f * kSpacing) {
            queue_.push_back(new DepositoryElement(held, d));
            FinishReturn(held, d);
            return true;
        }
        return false;
    }
    for (size_t i = 0; i <= queue_.size(); ++i) {
        float lower, upper;
        GapBounds(i, lower, upper);
        if (!(lower <= d && d <= upper && (upper - lower) + kEpsilon > 2.0f * kSpacing))
            continue;
        // Too near a neighbour: it snaps a spacing away from the nearer one.
        const float a = upper - d, b = d - lower;
        float at = d;
        if (a + kEpsilon <= kSpacing || b + kEpsilon <= kSpacing)
            at = a <= b ? upper - kSpacing : lower + kSpacing;
        Insert(i, new DepositoryElement(held, at));
        FinishReturn(held, at);
        return true;
    }
    return false;
}

bool PuzzleDepository::ReturnByButton(PuzzleElement* held)
{
    if (relax_) {
        if (!carriage_->IsVisible()) {
            // Back among the pieces still to come.
            held->SetVisible(false);
            FinishReturn(held, 0.0f);
            return true;
        }
        const float at = carriageDistance_;
        Insert(0, new DepositoryElement(held, at));
        carriageDistance_ -= kSpacing;
        if (carriageDistance_ < 0.0f)
            carriage_->SetVisible(false);
        else
            carriage_->SetPosition(GetPointAtDistance(carriageDistance_));
        FinishReturn(held, at);
        return true;
    }
    if (queue_.empty()) {
        if (!carriage_->IsVisible()) {
            queue_.push_back(new DepositoryElement(held, 0.0f));
            FinishReturn(held, 0.0f);
            return true;
        }
        if (totalLength_ - carriageDistance_ + kEpsilon > kSpacing) {
            const float at = carriageDistance_ + kSpacing;
            queue_.push_back(new DepositoryElement(held, at));
            FinishReturn(held, at);
            return true;
        }
        return false;
    }
    for (size_t i = 0; i <= queue_.size(); ++i) {
        float lower, upper;
        GapBounds(i, lower, upper);
        if ((upper - lower) + kEpsilon > 2.0f * kSpacing) {
            const float at = lower + kSpacing;
            Insert(i, new DepositoryElement(held, at));
            FinishReturn(held, at);
            return true;
        }
    }
    return false;
}

void PuzzleDepository::FinishReturn(PuzzleElement* held, float distance)
{
    held->SetScale(1.0f);
    const Vector2 size = held->GetBaseSize();
    if (size.x > 0.0f && size.y > 0.0f)
        held->SetScale(std::min(slotSize_.x / size.x, slotSize_.y / size.y));
    held->SetPosition(GetPointAtDistance(distance));
    held->SetTaken(false);
    PlayCue(kSoundElementCancel);
}

void PuzzleDepository::Hand(bool paused, float dt)
{
    PuzzleElement* held = HeldPiece();
    const Vector2 cursor =
        KorvaneEngine::GUIManager::Instance() ? KorvaneEngine::GUIManager::Instance()->GetCursorPosition() : Vector2();
    const bool pick = !held && Pressed("MOUSE1") && !blocked_ && !paused;

    for (size_t i = 0; i < queue_.size(); ++i) {
        DepositoryElement* e = queue_[i];
        if (PuzzleElement* piece = e->GetPiece()) {
            if (!pick || !piece->Contains(rayOrigin_))
                continue;
            // The same click must not reach the board as well.
            if (Controls* controls = Controls::Instance())
                controls->LockInput();
            delete e;
            queue_.erase(queue_.begin() + static_cast<std::ptrdiff_t>(i));
            held = piece;
            piece->SetTaken(true);
            grabOffset_ = piece->GetPosition() - cursor;
            if (grabOffset_.GetLength() > 1.0f)
                grabOffset_ = grabOffset_ * kGrabPull;
            PlayCue(kSoundElementGet);
            break;
        }
        Bonus* bonus = e->GetBonus();
        if (!bonus || !((pick && bonus->Contains(rayOrigin_)) || !bonus->IsAlive()))
            continue;
        delete e;
        queue_.erase(queue_.begin() + static_cast<std::ptrdiff_t>(i));
        if (bonus->IsAlive()) {
            const char* key = "game_logic/bonuses/tip";
            int32_t cue = kSoundBonusTipApply;
            switch (bonus->GetType()) {
            case Bonus::kMagnet:
                if (board_)
                    board_->ArmMagnet();
                key = "game_logic/bonuses/magnet";
                cue = kSoundBonusMagnetApply;
                break;
            case Bonus::kPause:
                ApplyPause();
                key = "game_logic/bonuses/pause";
                cue = kSoundBonusPauseApply;
                break;
            case Bonus::kRollback:
                ApplyRollback();
                key = "game_logic/bonuses/roll_back";
                cue = kSoundBonusRollbackApply;
                break;
            default:
                if (board_)
                    board_->ArmTip();
                break;
            }
            if (textTool_)
                Text(textTool_->GetText(key), bonus->GetPosition());
            bonus->StartVanishing();
            PlayCue(cue);
        }
        break;
    }

    float d = 0.0f, gap = 0.0f;
    heldDistance_ = 0.0f;
    if (held) {
        bool negative = true;
        d = GetNearestDistance(held->GetPosition(), &negative);
        gap = (held->GetPosition() - GetPointAtDistance(d)).GetLength();
        heldDistance_ = negative ? gap : 0.0f;
    }

    const bool clickBack = held && Pressed("MOUSE1") && !blocked_ && gap < kReturnReach && !paused;
    if (clickBack)
        ReturnByClick(held, d);
    else if (held && Pressed("MOUSE2") && !paused)
        ReturnByButton(held);

    // Fast-forward: holding the right button with an empty hand.
    if (!held) {
        if (Pressed("MOUSE2")) {
            fastForwardHeld_ = true;
            fastForwardHold_ = 0.0f;
        }
        if (fastForwardHeld_) {
            if (Down("MOUSE2"))
                fastForwardHold_ += dt;
            else
                fastForwardHeld_ = false;
        }
    }
    if (!fastForwardHeld_)
        fastForwardSpeed_ = std::max(0.0f, fastForwardSpeed_ - std::max(380.0f, rushSpeed_ * 5.0f) * dt);
    else if (fastForwardHold_ > 0.5f)
        fastForwardSpeed_ = std::min(300.0f, fastForwardSpeed_ + std::max(200.0f, fastForwardSpeed_ * 2.8f) * dt);
}

} // namespace Puzzle
