#pragma once
#include "framework/GUILogosWindowBase.h"

namespace KorvaneEngine {
class GUIWindow;
}

namespace Puzzle {

// The first screen: up to two full-screen publisher logos, one after the
// other, each fully shown for 1.5 s and then fading out over 1 s; then it
// reports 1. The logos are the pictures "data\ui\textures\publishers\0_logo_
// big.jpg" and "1_logo_big.jpg" (1024 x 1024 textures whose lower-left
// 800 x 600 corner is the logo); a missing one is left out, and with none
// the window reports 1 in its first frame.
class GUILogosWindow : public GameFramework::GUILogosWindowBase {
public:
    GUILogosWindow();
    ~GUILogosWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    // Destroys the logo widgets, which frees their big textures.
    void Hide() override;

    KorvaneEngine::GUIWindow* GetLogo(int i) const { return i == 0 || i == 1 ? logo[i] : nullptr; }
    bool IsActive() const { return active; }
    float GetTime() const { return time; }

    // How long a logo stands at full alpha before its 1 s fade begins.
    static constexpr float kHoldSeconds = 1.5f;

private:
    KorvaneEngine::GUIWindow* root = nullptr;
    KorvaneEngine::GUIWindow* logo[2] = {nullptr, nullptr};
    bool active = false;
    float time = 0.0f;
};

} // namespace Puzzle
