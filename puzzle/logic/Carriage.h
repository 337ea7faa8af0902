#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIWindow;
class Model;
} // namespace KorvaneEngine

namespace GameTools {
class DataKeeper;
}

namespace Puzzle {

// The carriage that pushes the path's queue from behind: the model
// "carriage/model" in a widget, centred on its own origin and placed, turned
// and scaled by the path.
class Carriage {
public:
    // Starts hidden, under parent at height 4.
    Carriage(GameTools::DataKeeper* registry, KorvaneEngine::GUIWindow* parent);
    virtual ~Carriage();
    Carriage(const Carriage&) = delete;
    Carriage& operator=(const Carriage&) = delete;

    // alpha: the game's fade factor.
    void Update(bool paused, float alpha);
    void SetPosition(const KorvaneEngine::Vector2& position);
    void SetAngle(float angle);
    // x and y only: the model keeps its depth.
    void SetScale(float scale);
    bool IsVisible() const;
    void SetVisible(bool visible);

    const KorvaneEngine::Vector2& GetPosition() const { return position_; }
    float GetAngle() const { return angle_; }
    float GetScale() const { return scale_; }
    KorvaneEngine::GUIWindow* GetWindow() const { return window_; }
    KorvaneEngine::Model* GetModel() const { return model_; }

private:
    void Rebuild();

    GameTools::DataKeeper* registry_;
    KorvaneEngine::GUIWindow* window_ = nullptr;
    KorvaneEngine::Model* model_ = nullptr;
    float angle_ = 0.0f;
    float scale_ = 1.0f;
    KorvaneEngine::Vector2 position_;
};

} // namespace Puzzle
