#include "puzzle/logic/Bonus.h"

#include <algorithm>
#include <cmath>

#include "engine/foundation/Matrix.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "gui/GUIWindow.h"
#include "puzzle/logic/Recentre.h"

namespace Puzzle {

using KorvaneEngine::GUIWindow;
using KorvaneEngine::Matrix4;
using KorvaneEngine::Vector2;
using KorvaneEngine::Vector3;

namespace {
const float kPi = 3.14159265f;
// The blink: 2.5 periods of 0.65 s before the end of the lifetime, its
// amplitude growing from 0.5 to 1 over the last half period.
const float kBlinkPeriod = 0.65f;
const float kBlinkTime = 2.5f * kBlinkPeriod;
const float kGrowTime = 0.5f * kBlinkPeriod;
const float kEpsilon = 0.0001f;
const float kVanishGrowth = 0.5f;
} // namespace

const char* Bonus::ModelName(int type)
{
    switch (type) {
    case kMagnet: return "bonuses/magnet";
    case kPause: return "bonuses/pause";
    case kRollback: return "bonuses/rollback";
    default: return "bonuses/tip";
    }
}

Bonus::Bonus(GameTools::DataKeeper* registry, int type, GUIWindow* parent) : registry_(registry), type_(type)
{
    window_ = KorvaneEngine::GUIManager::Instance()->CreateWindow(GUIWindow::kColored, Vector2(0, 0), Vector2(1, 1),
                                                                  registry_->GetModel(ModelName(type)), nullptr,
                                                                  parent);
    model_ = window_->GetModel();
    RecentreWidgetModel(*window_);
}

Bonus::~Bonus()
{
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        gui->DestroyWindow(window_);
}

void Bonus::StartVanishing()
{
    vanishTime_ = 0.0f;
    vanishing_ = true;
}

void Bonus::Update(float factor)
{
    const KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    const float dt = timers ? timers->frameTime : 0.0f;
    age_ += dt * factor;
    if (!alive_)
        exists_ = false;
    float drawnScale = scale;
    float alpha = 1.0f;
    if (!vanishing_) {
        // From the blink's start on, where it is 0 (fully transparent).
        if (age_ >= kLifetime - kBlinkTime) {
            age_ = std::min(age_, kLifetime);
            float m = 0.5f;
            if (age_ > kLifetime - kGrowTime) {
                const float t = (age_ - kLifetime + kGrowTime) / kGrowTime;
                m = (1.0f - t) * 0.5f + t * 1.0f;
            }
            alpha = std::fabs(std::sin((age_ - kLifetime + kBlinkTime) * kPi / kBlinkPeriod)) * m;
            if (std::fabs(age_ - kLifetime) < kEpsilon)
                alive_ = false;
        }
    } else {
        vanishTime_ += dt * factor;
        alpha = std::max(1.0f - vanishTime_, 0.0f);
        drawnScale = scale + vanishTime_ * kVanishGrowth;
        if (vanishTime_ + kEpsilon > 1.0f)
            exists_ = false;
    }
    alpha *= factor;
    alpha_ = alpha;
    if (!model_)
        return;
    model_->SetColor(KorvaneEngine::Color(1, 1, 1, alpha));
    Matrix4 s, t;
    Matrix4::SetScale(s, Vector3(drawnScale, drawnScale, 1.0f));
    Matrix4::SetTranslation(t, Vector3(position.x, position.y, 0.0f));
    model_->localMatrix = t * (s * window_->baseMatrix);
    model_->box.SetTransform(model_->localMatrix);
}

bool Bonus::Contains(const Vector3& point) const
{
    if (!model_)
        return false;
    const Vector3& lo = model_->box.GetWorldMin();
    const Vector3& hi = model_->box.GetWorldMax();
    return point.x > lo.x && point.y > lo.y && point.x < hi.x && point.y < hi.y;
}

Vector2 Bonus::GetPosition() const
{
    if (!model_)
        return position;
    const Vector3& c = model_->box.GetCenter();
    return Vector2(c.x, c.y);
}

bool Bonus::IsVisible() const { return window_->IsVisible(); }

void Bonus::SetVisible(bool visible)
{
    if (visible)
        window_->SetFlags(GUIWindow::kShown);
    else
        window_->ClearFlags(GUIWindow::kShown);
}

} // namespace Puzzle
