#pragma once
#include "engine/foundation/ObjectManager.h"

namespace GameTools {

class Sprite2D;

// The application's screen-space animated sprites, advanced once a frame.
// Owns every sprite in its registry.
class SpriteManager : public KorvaneEngine::GlobalPointerHolder<SpriteManager> {
public:
    virtual ~SpriteManager();
    SpriteManager();
    SpriteManager(const SpriteManager&) = delete;
    SpriteManager& operator=(const SpriteManager&) = delete;

    // Every sprite in slot order.
    void Update();
    // Registers a sprite (sprites do this themselves).
    void AddSprite(Sprite2D* sprite);
    // False when the sprite is not registered.
    bool RemoveSprite(Sprite2D* sprite);

    KorvaneEngine::ObjectManager<Sprite2D> sprites;
};

} // namespace GameTools
