#include "puzzle/logic/Carriage.h"

#include "engine/foundation/Matrix.h"
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
// Just behind the pieces (5) and their shadows (4) of the same container.
const int32_t kCarriageHeight = 4;
} // namespace

Carriage::Carriage(GameTools::DataKeeper* registry, GUIWindow* parent) : registry_(registry)
{
    window_ = KorvaneEngine::GUIManager::Instance()->CreateWindow(GUIWindow::kColored, Vector2(0, 0), Vector2(1, 1),
                                                                  registry_->GetModel("carriage/model"), nullptr,
                                                                  parent);
    window_->SetHeight(kCarriageHeight);
    model_ = window_->GetModel();
    RecentreWidgetModel(*window_);
    Rebuild();
}

Carriage::~Carriage()
{
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        gui->DestroyWindow(window_);
}

void Carriage::Update(bool, float alpha) { window_->SetColor(KorvaneEngine::Color(1, 1, 1, alpha)); }

void Carriage::SetPosition(const Vector2& position)
{
    position_ = position;
    Rebuild();
}

void Carriage::SetAngle(float angle)
{
    angle_ = angle;
    Rebuild();
}

void Carriage::SetScale(float scale)
{
    scale_ = scale;
    Rebuild();
}

bool Carriage::IsVisible() const { return window_->IsVisible(); }

void Carriage::SetVisible(bool visible)
{
    if (visible)
        window_->SetFlags(GUIWindow::kShown);
    else
        window_->ClearFlags(GUIWindow::kShown);
}

void Carriage::Rebuild()
{
    if (!model_)
        return;
    // Column vectors: the base transform first, then the turn, the scale and
    // the move to the position.
    Matrix4 r, s, t;
    Matrix4::SetRotationZ(r, angle_);
    Matrix4::SetScale(s, Vector3(scale_, scale_, 1.0f));
    Matrix4::SetTranslation(t, Vector3(position_.x, position_.y, 0.0f));
    model_->localMatrix = t * (s * (r * window_->baseMatrix));
    model_->box.SetTransform(model_->localMatrix);
}

} // namespace Puzzle
