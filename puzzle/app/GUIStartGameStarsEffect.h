#pragma once
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIWindow;
class ParticleSystem;
} // namespace KorvaneEngine

namespace Puzzle {

class GameData;

// A flight of star particles along a curve from the star counter to a bought
// item, at 400 GUI units a second, drawn just in front of the window it
// belongs to. An effect is reused once finished.
class GUIStartGameStarsEffect {
public:
    // Its own copy of the "ui/start_game_stars" particle system on the GUI
    // camera, hidden until Start. Neither argument is owned.
    GUIStartGameStarsEffect(GameData* gameData, KorvaneEngine::GUIWindow* parentWidget);
    virtual ~GUIStartGameStarsEffect();
    GUIStartGameStarsEffect(const GUIStartGameStarsEffect&) = delete;
    GUIStartGameStarsEffect& operator=(const GUIStartGameStarsEffect&) = delete;

    // Points in GUI units.
    void Start(const KorvaneEngine::Vector2& from, const KorvaneEngine::Vector2& to);
    // Moves on while the parent is shown; stops emitting at the target or
    // when the parent is hidden, and finishes once the last star has died.
    void Update();
    bool IsFinished() const;

    static constexpr float kSpeed = 400.0f;

    const KorvaneEngine::Vector2& GetPosition() const { return position; }
    KorvaneEngine::ParticleSystem* GetParticles() const { return particles; }

private:
    GameData* gameData;
    KorvaneEngine::GUIWindow* parentWidget;
    KorvaneEngine::ParticleSystem* particles = nullptr;
    float time = 0.0f;
    KorvaneEngine::Vector2 from, to, position;
};

} // namespace Puzzle
