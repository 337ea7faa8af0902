#include "gui/SpriteManager.h"

#include "gui/Sprite2D.h"

namespace GameTools {

SpriteManager::SpriteManager()
{
    Instance(this);
}

SpriteManager::~SpriteManager()
{
    // Each sprite leaves the registry before it is deleted: its destructor
    // asks to be removed, which must not change the slots under a walk.
    for (;;) {
        Sprite2D* next = nullptr;
        for (Sprite2D* s : sprites.GetObjects())
            if (s) {
                next = s;
                break;
            }
        if (!next)
            break;
        sprites.RemoveObject(next);
        delete next;
    }
    ResetInstance(this);
}

void SpriteManager::Update()
{
    const std::vector<Sprite2D*>& slots = sprites.GetObjects();
    for (size_t i = 0; i < slots.size(); ++i)
        if (Sprite2D* s = slots[i])
            s->Update();
}

void SpriteManager::AddSprite(Sprite2D* sprite)
{
    sprites.AddObject(sprite);
}

bool SpriteManager::RemoveSprite(Sprite2D* sprite)
{
    return sprites.RemoveObject(sprite);
}

} // namespace GameTools
