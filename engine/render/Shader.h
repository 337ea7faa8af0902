#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/render/ShaderDescriptor.h"

namespace KorvaneEngine {

class AnimationControl;
class Texture2D;
class TextureManager;

// The textures of one descriptor, shared by every user whose descriptor
// compares equal. Per stage one texture a frame (null where a frame names no
// picture).
class Shader {
public:
    virtual ~Shader();
    Shader(TextureManager* textures, const ShaderDescriptor& descriptor, bool deferred);
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // Blend and texture-stage states for one draw with a user's settings.
    void Apply(const ShaderDescriptor& user);

    uint32_t GetStageCount() const { return static_cast<uint32_t>(stages_.size()); }
    uint32_t GetTextureCount(uint32_t stage) const;
    Texture2D* GetTexture(uint32_t stage, uint32_t frame) const;
    // For stages that load no picture files: the owner supplies the texture
    // (taken from the texture manager); the one it replaces is released.
    void SetTexture(uint32_t stage, uint32_t frame, Texture2D* texture);

    uint32_t userCount = 0;

private:
    TextureManager* textures_;
    std::vector<std::vector<Texture2D*>> stages_;
};

// A descriptor of its own, with its own animation state, bound to a shared
// shader.
class ShaderUser : public ShaderDescriptor {
public:
    ~ShaderUser() override;
    ShaderUser(Shader* shader, const ShaderDescriptor& descriptor);
    ShaderUser(const ShaderUser&) = delete;
    ShaderUser& operator=(const ShaderUser&) = delete;

    void Apply();
    // Advances every animated stage and sets its frame or its grid cell.
    void Update();

    Shader* GetShader() const { return shader_; }
    AnimationControl* GetAnimation(uint32_t stage) const
    {
        return stage < animations_.size() ? animations_[stage] : nullptr;
    }

private:
    Shader* shader_;
    std::vector<AnimationControl*> animations_;
};

// Hands out shader users, shares shaders among equal descriptors, animates
// every user once a frame and owns the texture manager.
class ShaderManager : public GlobalPointerHolder<ShaderManager> {
public:
    virtual ~ShaderManager();
    ShaderManager();
    ShaderManager(const ShaderManager&) = delete;
    ShaderManager& operator=(const ShaderManager&) = delete;

    // Deferral mode 1 defers every request, 2 none; 0 keeps the request's own.
    ShaderUser* GetShaderUser(const ShaderDescriptor& descriptor, bool deferred);
    // A file that cannot be read gives a user without stages, and the reason
    // is logged.
    ShaderUser* GetShaderUserFromFile(const std::string& file, bool deferred);
    // Removing a user the manager does not hold is fatal.
    void RemoveShaderUser(ShaderUser* user);
    void Update();

    TextureManager* GetTextureManager() const { return textureManager_; }
    uint32_t GetShaderCount() const { return shaderCount_; }
    uint32_t GetUserCount() const { return static_cast<uint32_t>(users_.size()); }

    uint32_t deferralMode = 0;

private:
    bool ApplyDeferralMode(bool deferred) const;

    TextureManager* textureManager_;
    std::multimap<uint32_t, ShaderUser*> users_;
    uint32_t shaderCount_ = 0;
};

} // namespace KorvaneEngine
