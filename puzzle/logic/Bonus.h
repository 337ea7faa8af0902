#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro.
#include "gui/GUIManager.h"

#include <cstdint>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIWindow;
class Model;
} // namespace KorvaneEngine

namespace GameTools {
class DataKeeper;
}

namespace Puzzle {

// A bonus riding the path's queue: a small model that lives 30 seconds of
// scaled time, blinks through its last 1.625 s and expires, or, once applied
// or cashed in, grows and fades out in a second.
class Bonus {
public:
    enum Type { kMagnet = 0, kPause = 1, kRollback = 2, kTip = 3 };
    static constexpr float kLifetime = 30.0f;

    // The model "bonuses/magnet", "bonuses/pause", "bonuses/rollback" or
    // "bonuses/tip" from registry, in a hidden widget under parent.
    Bonus(GameTools::DataKeeper* registry, int type, KorvaneEngine::GUIWindow* parent);
    virtual ~Bonus();
    Bonus(const Bonus&) = delete;
    Bonus& operator=(const Bonus&) = delete;

    // factor: the game's fade factor, which scales both time and alpha.
    void Update(float factor);
    void StartVanishing();
    // Strictly inside the x and y range of the model's world box.
    bool Contains(const KorvaneEngine::Vector3& point) const;
    // The centre of the model's world box.
    KorvaneEngine::Vector2 GetPosition() const;
    bool IsVisible() const;
    void SetVisible(bool visible);

    int GetType() const { return type_; }
    bool IsAlive() const { return alive_; }
    bool Exists() const { return exists_; }
    bool IsVanishing() const { return vanishing_; }
    float GetAge() const { return age_; }
    float GetAlpha() const { return alpha_; }
    KorvaneEngine::GUIWindow* GetWindow() const { return window_; }

    static const char* ModelName(int type);

    // Set by the path; the position takes effect at the next update.
    KorvaneEngine::Vector2 position;
    float scale = 1.0f;

private:
    GameTools::DataKeeper* registry_;
    KorvaneEngine::GUIWindow* window_ = nullptr;
    KorvaneEngine::Model* model_ = nullptr;
    int type_;
    float vanishTime_ = 0.0f;
    bool alive_ = true;
    bool exists_ = true;
    bool vanishing_ = false;
    float age_ = 0.0f;
    float alpha_ = 1.0f;
};

} // namespace Puzzle
