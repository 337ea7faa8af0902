#pragma once
#include "framework/GUIGameCursorBase.h"

namespace GameTools {
class DataKeeper;
}

namespace KorvaneEngine {
class ParticleSystem;
}

namespace Puzzle {

// The puzzle game's cursor: three drawn cursors from one arrow picture, each
// with a system cursor of the program's resources (1000, 107, 106), and two
// sparkle effects in the menus: a trail that follows the pointer and a burst
// at each left click.
class GUIGameCursor : public GameFramework::GUIGameCursorBase {
public:
    // The drawn cursors' side in GUI units.
    static constexpr float kCursorSize = 40.0f;
    // The trail starts below and right of the arrow's tip.
    static constexpr float kTrailOffsetX = 12.0f, kTrailOffsetY = -18.0f;
    // In front of the windows, behind the console.
    static constexpr float kEffectsDepth = -21.0f;

    // Needs the GUI manager; the cursors start hidden, cursor 0 current.
    GUIGameCursor();
    ~GUIGameCursor() override;

    // The two effects from the game's resources ("ui/cursor_train",
    // "ui/cursor_click"), once those are loaded.
    void CreateEffects(GameTools::DataKeeper* gameData);
    // The trail and the click burst; off during play.
    void SetEffectsVisible(bool visible);
    bool AreEffectsVisible() const { return effectsVisible; }

    bool Update() override;
    void SetVisible(bool visible) override;

    KorvaneEngine::ParticleSystem* GetTrail() const { return train; }
    KorvaneEngine::ParticleSystem* GetClick() const { return click; }

private:
    KorvaneEngine::ParticleSystem* train = nullptr;
    KorvaneEngine::ParticleSystem* click = nullptr;
    bool effectsVisible = true;
};

} // namespace Puzzle
