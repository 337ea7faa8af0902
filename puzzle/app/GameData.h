#pragma once
#include <cstdint>
#include <string>

#include "engine/render/DataKeeper.h"

namespace KorvaneEngine {
class GUIWindow;
class ShaderUser;
} // namespace KorvaneEngine

namespace Puzzle {

// The game's resident resources (menu background, game objects, the GUI's
// models and shaders), loaded from the resource lists in the language the game
// runs in. Of its own it holds the two small publisher logos the menus show
// (each only when both its picture and its alpha picture exist) and, after
// its one loading step, two container widgets.
class GameData : public GameTools::DataKeeper {
public:
    explicit GameData(const std::string& language);
    // Destroys the containers through the GUI manager when it still exists.
    ~GameData() override;

    // The keeper's steps, then the game data's own: the one after the
    // keeper's 101 (or all at once, -1) makes the containers, once.
    bool LoadStep(int32_t step) override;

    // Null when that logo is absent (or i is not 0 or 1).
    KorvaneEngine::ShaderUser* GetSmallLogo(uint32_t i) const { return i < 2 ? smallLogo[i] : nullptr; }
    KorvaneEngine::GUIWindow* GetContainerRoot() const { return containerRoot; }
    KorvaneEngine::GUIWindow* GetContainerChild() const { return containerChild; }

    // "data\ui\textures\publishers\<n>_logo_<kind>.jpg".
    static std::string LogoFile(uint32_t n, const std::string& kind);

private:
    KorvaneEngine::ShaderUser* smallLogo[2] = {nullptr, nullptr};
    KorvaneEngine::GUIWindow* containerRoot = nullptr;
    KorvaneEngine::GUIWindow* containerChild = nullptr;
};

} // namespace Puzzle
