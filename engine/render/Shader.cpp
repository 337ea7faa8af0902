#include "engine/render/Shader.h"

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"

namespace KorvaneEngine {

// ---------------------------------------------------------------- Shader

Shader::Shader(TextureManager* textures, const ShaderDescriptor& descriptor, bool deferred) : textures_(textures)
{
    stages_.resize(descriptor.GetStageCount());
    std::vector<std::string> names;
    for (uint32_t s = 0; s < descriptor.GetStageCount(); ++s) {
        descriptor.GetStageTextureNames(s, names);
        const bool mips = (descriptor.GetStage(s).flags & 1) != 0;
        std::vector<Texture2D*>& list = stages_[s];
        list.assign(names.size() / 2, nullptr);
        for (size_t f = 0; f < list.size(); ++f)
            if (!names[2 * f].empty() && textures_)
                list[f] = textures_->GetTexture(mips, names[2 * f], names[2 * f + 1], deferred);
    }
}

Shader::~Shader()
{
    for (std::vector<Texture2D*>& list : stages_)
        for (Texture2D* t : list)
            if (t && textures_)
                textures_->ReleaseTexture(t);
}

uint32_t Shader::GetTextureCount(uint32_t stage) const
{
    return stage < stages_.size() ? static_cast<uint32_t>(stages_[stage].size()) : 0;
}

Texture2D* Shader::GetTexture(uint32_t stage, uint32_t frame) const
{
    if (stage >= stages_.size() || stages_[stage].empty())
        return nullptr;
    const std::vector<Texture2D*>& list = stages_[stage];
    // Past the last frame the last texture shows.
    return list[frame < list.size() ? frame : list.size() - 1];
}

void Shader::SetTexture(uint32_t stage, uint32_t frame, Texture2D* texture)
{
    if (stage >= stages_.size() || frame >= stages_[stage].size())
        return;
    Texture2D*& slot = stages_[stage][frame];
    if (slot == texture)
        return;
    if (slot && textures_)
        textures_->ReleaseTexture(slot);
    slot = texture;
}

void Shader::Apply(const ShaderDescriptor& user)
{
    RenderSystem* rs = RenderSystem::Instance();
    if (!rs)
        return;
    const bool force = rs->forceStateUpdate;
    const bool blend = (user.GetFlags() & 1) != 0;
    if (force || rs->alphaBlend != blend) {
        rs->alphaBlend = blend;
        rs->UpdateAlphaBlend();
    }
    if (blend && (force || rs->sourceBlend != user.GetSourceBlend() ||
                     rs->destinationBlend != user.GetDestinationBlend())) {
        rs->sourceBlend = user.GetSourceBlend();
        rs->destinationBlend = user.GetDestinationBlend();
        rs->UpdateBlend();
    }

    const uint32_t stageLimit = rs->textureStageCount;
    uint32_t s = 0;
    for (; s < user.GetStageCount() && s < stageLimit; ++s) {
        const ShaderStage& stage = user.GetStage(s);
        Texture2D* texture = GetTexture(s, stage.currentFrame);
        if (force || rs->stageTextures[s] != texture) {
            rs->stageTextures[s] = texture;
            rs->UpdateTexture(s);
        }
        if (!texture)
            continue;
        texture->SetIdleFrames(0);
        const uint32_t filter = texture->HasMipMaps() ? 2 : 1;
        if (force || rs->stageFilter[s] != filter) {
            rs->stageFilter[s] = filter;
            rs->UpdateTextureFilter(s);
        }
        if (force || rs->stageAddressU[s] != stage.addressU) {
            rs->stageAddressU[s] = stage.addressU;
            rs->UpdateTextureAdressU(s);
        }
        if (force || rs->stageAddressV[s] != stage.addressV) {
            rs->stageAddressV[s] = stage.addressV;
            rs->UpdateTextureAdressV(s);
        }
        rs->SetTextureMatrix(s, stage.scaleU, stage.scaleV, stage.offsetU, stage.offsetV);
    }
    for (; s < stageLimit; ++s) {
        if (force || rs->stageTextures[s] != nullptr) {
            rs->stageTextures[s] = nullptr;
            rs->UpdateTexture(s);
        }
    }
}

// ---------------------------------------------------------------- ShaderUser

ShaderUser::ShaderUser(Shader* shader, const ShaderDescriptor& descriptor)
    : ShaderDescriptor(descriptor), shader_(shader)
{
    for (uint32_t s = 0; s < GetStageCount(); ++s) {
        const ShaderStage& stage = GetStage(s);
        AnimationControl* a = new AnimationControl(1, stage.frameCount > 1 ? stage.frameCount : 1);
        a->loop = 1;
        a->speed = stage.speed;
        if (stage.flags & 2)
            a->RandomizeStart();
        else
            a->time = 0.0f;
        a->Start();
        animations_.push_back(a);
    }
    ++shader_->userCount;
}

ShaderUser::~ShaderUser()
{
    for (AnimationControl* a : animations_)
        delete a;
    animations_.clear();
    if (--shader_->userCount == 0)
        delete shader_;
}

void ShaderUser::Apply()
{
    shader_->Apply(*this);
}

void ShaderUser::Update()
{
    for (uint32_t s = 0; s < GetStageCount() && s < animations_.size(); ++s) {
        ShaderStage& stage = GetStage(s);
        uint32_t frame = 0;
        if (stage.type != 0) {
            animations_[s]->Update();
            frame = animations_[s]->frameA;
        }
        if (stage.type == 1) {
            const uint32_t columns = stage.columns ? stage.columns : 1;
            const uint32_t rows = stage.rows ? stage.rows : 1;
            const uint32_t column = frame % columns;
            const uint32_t row = frame / columns;
            // Pictures are stored bottom row first; a frame past the grid
            // stays in its top row.
            const uint32_t flipped = row < rows ? rows - row - 1 : 0;
            const float e = 0.001f;
            const float k = 1.0f - e;
            stage.scaleU = k * (1.0f / static_cast<float>(columns));
            stage.scaleV = k * (1.0f / static_cast<float>(rows));
            stage.offsetU = static_cast<float>(double(stage.scaleU) * (double(e) / 2.0 + column) / double(k));
            stage.offsetV = static_cast<float>(double(stage.scaleV) * (double(e) / 2.0 + flipped) / double(k));
            stage.currentFrame = 0;
        } else {
            const uint32_t count = shader_->GetTextureCount(s);
            stage.currentFrame = count && frame >= count ? count - 1 : frame;
        }
    }
}

// ---------------------------------------------------------------- ShaderManager

ShaderManager::ShaderManager() : textureManager_(new TextureManager) {}

ShaderManager::~ShaderManager()
{
    for (auto& entry : users_)
        delete entry.second;
    users_.clear();
    shaderCount_ = 0;
    delete textureManager_;
    ResetInstance(this);
}

bool ShaderManager::ApplyDeferralMode(bool deferred) const
{
    if (deferralMode == 1)
        return true;
    if (deferralMode == 2)
        return false;
    return deferred;
}

ShaderUser* ShaderManager::GetShaderUser(const ShaderDescriptor& descriptor, bool deferred)
{
    deferred = ApplyDeferralMode(deferred);
    Shader* shader = nullptr;
    auto range = users_.equal_range(descriptor.GetHash());
    for (auto it = range.first; it != range.second; ++it)
        if (it->second->IsEqual(descriptor)) {
            shader = it->second->GetShader();
            break;
        }
    if (!shader) {
        shader = new Shader(textureManager_, descriptor, deferred);
        ++shaderCount_;
    }
    ShaderUser* user = new ShaderUser(shader, descriptor);
    users_.insert(std::make_pair(descriptor.GetHash(), user));
    return user;
}

ShaderUser* ShaderManager::GetShaderUserFromFile(const std::string& file, bool deferred)
{
    deferred = ApplyDeferralMode(deferred);
    try {
        ShaderDescriptor descriptor(file);
        return GetShaderUser(descriptor, deferred);
    } catch (const Error& e) {
        // The model still draws, untextured; say why.
        if (MessageManager* log = MessageManager::Instance())
            log->LogError(e.GetMessage());
    }
    return GetShaderUser(ShaderDescriptor(), deferred);
}

void ShaderManager::RemoveShaderUser(ShaderUser* user)
{
    if (!user)
        return;
    auto found = users_.end();
    auto range = users_.equal_range(user->GetHash());
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == user) {
            found = it;
            break;
        }
    if (found == users_.end()) {
        // A user whose stages were changed after it was handed out sits under
        // its old hash.
        for (auto it = users_.begin(); it != users_.end(); ++it)
            if (it->second == user) {
                found = it;
                break;
            }
    }
    if (found == users_.end()) {
        const std::string message = "Shader Manager: Failed to remove shader";
        if (MessageManager* log = MessageManager::Instance())
            log->LogFatal(message);
        throw FatalError(message);
    }
    users_.erase(found);
    if (user->GetShader()->userCount == 1)
        --shaderCount_;
    delete user;
}

void ShaderManager::Update()
{
    for (auto& entry : users_)
        entry.second->Update();
    textureManager_->Update();
}

} // namespace KorvaneEngine
