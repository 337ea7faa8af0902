#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;
class Model;
class ShaderDescriptor;
class ShaderUser;

// One camera-facing square of a sprite group.
struct SpriteRecord {
    uint8_t free = 1;
    float depth = 0.0f;
    Vector3 position;
    // Half the side length, in world units.
    float size = 0.0f;
    // Rotation about the camera's view direction, radians.
    float angle = 0.0f;
    Color colour;
};

// Many camera-facing squares drawn with one shader as one procedural model,
// whose vertices are rebuilt from the records once a frame.
class SpriteGroup {
public:
    // Four vertices a sprite must stay addressable by 16-bit indices.
    static constexpr uint32_t kMaxCapacity = 16383;
    static constexpr uint32_t kModelFlags = 0x2c84a9;

    virtual ~SpriteGroup();
    // camera null: the camera manager's default camera. A capacity above
    // kMaxCapacity is cut to it.
    SpriteGroup(uint32_t capacity, ShaderDescriptor* shader, Camera* camera, bool shaderFlag);
    // Without copySprites every record starts free and the free list is the
    // fresh 0 .. capacity - 1, so a copy never draws records it does not use.
    SpriteGroup(const SpriteGroup& source, bool copySprites);
    SpriteGroup& operator=(const SpriteGroup&) = delete;

    // No range check, as callers index what AddSprite gave them.
    SpriteRecord& GetSprite(uint32_t index) { return records_[index]; }
    const SpriteRecord& GetSprite(uint32_t index) const { return records_[index]; }
    // The front free index, or 0 without changes when the group is full.
    uint32_t AddSprite(const Vector3& position, float size, const Color& colour);
    void RemoveSprite(uint32_t index);

    // Rebuilds the vertices of the sprites in use; once a frame.
    void UpdateBuffers();

    ShaderUser* GetShader() const;
    Model* GetModel() const { return model_; }
    bool IsVisible() const;
    void SetVisible(bool visible);
    void SetShader(ShaderDescriptor* shader);
    void SetColor(const Color& colour) { colour_ = colour; }
    const Color& GetColor() const { return colour_; }
    void SetSorting(bool sorting) { sorting_ = sorting; }
    bool GetSorting() const { return sorting_; }
    const Vector3& GetCentre() const { return centre_; }
    uint32_t GetCapacity() const { return capacity_; }
    Camera* GetCamera() const { return camera_; }
    // The camera the sprites face and the model is drawn through (null: the
    // camera manager's default camera), for a group that lives on another
    // camera than its template's.
    void SetCamera(Camera* camera);
    uint32_t GetFreeCount() const { return static_cast<uint32_t>(freeList_.size()); }
    // The sprites drawn by the last rebuild, in drawing order.
    const std::vector<SpriteRecord*>& GetDrawList() const { return drawList_; }

private:
    void ResetFreeList();

    std::deque<uint32_t> freeList_;
    uint32_t capacity_;
    std::vector<SpriteRecord> records_;
    std::vector<SpriteRecord*> drawList_;
    Camera* camera_;
    Model* model_ = nullptr;
    bool sorting_ = true;
    Vector3 centre_;
    Color colour_ = Color(1.0f);
};

// Owns the registered sprite groups and rebuilds them every frame, before the
// model manager draws their models.
class SpriteGroupManager : public GlobalPointerHolder<SpriteGroupManager> {
public:
    virtual ~SpriteGroupManager();
    SpriteGroupManager();
    SpriteGroupManager(const SpriteGroupManager&) = delete;
    SpriteGroupManager& operator=(const SpriteGroupManager&) = delete;

    void Update();
    SpriteGroup* CreateSpriteGroup(uint32_t capacity, ShaderDescriptor* shader, Camera* camera, bool shaderFlag);
    // The caller owns the result.
    SpriteGroup* CreateSpriteGroupUnregistered(uint32_t capacity, ShaderDescriptor* shader, Camera* camera,
        bool shaderFlag);
    SpriteGroup* CloneSpriteGroup(const SpriteGroup& source, bool copySprites);
    // Removes and deletes a registered group; anything else is left alone.
    void DeleteSpriteGroup(SpriteGroup* group);

    uint32_t GetGroupCount() const { return groups_.GetCount(); }

private:
    ObjectManager<SpriteGroup> groups_;
};

} // namespace KorvaneEngine
