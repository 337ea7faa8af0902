#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {
class Model;
class ParticleSystem;
class ShaderDescriptor;
class ShaderUser;
class Timer;
} // namespace KorvaneEngine

namespace GameTools {

class TexturePack;
class XMLNode;

// Named store of loaded resources (shader users, models, particle systems,
// texture packs), filled from resources XML files. Entries load at once or are
// queued and loaded later, all at once or in time-sliced steps a loading
// window can show as progress. Game data classes derive from it and add steps
// of their own through LoadStep. The keeper owns everything it stores.
class DataKeeper {
public:
    enum Kind : uint32_t { kShader = 0, kModel = 1, kParticleSystem = 2, kTexturePack = 3 };

    // One queued resource.
    struct PendingResource {
        uint32_t kind = kShader;
        std::string name;
        bool temporaryTextures = false;
        bool unnamed = false;
        KorvaneEngine::ShaderDescriptor* descriptor = nullptr;  // kind 0, owned
        std::string fileName;                                     // kinds 1-3
        bool colorVertices = false;                               // kind 1
        bool hasAnimationSpeed = false;                           // kind 1
        float animationSpeed = 0.0f;                              // kind 1
    };

    // A loop counter while a resources file is read.
    struct LoopVariable {
        std::string name;
        int32_t value = 0;
    };

    virtual ~DataKeeper();
    // A derived keeper's own loading step (step -1: all of them at once).
    // True when the step is done and the step counter may advance.
    virtual bool LoadStep(int32_t step);

    explicit DataKeeper(const std::string& language);
    DataKeeper(const DataKeeper&) = delete;
    DataKeeper& operator=(const DataKeeper&) = delete;

    // Absent names log an error and give the default object; never throw.
    KorvaneEngine::ShaderUser* GetShaderUser(const std::string& name);
    KorvaneEngine::Model* GetModel(const std::string& name);
    KorvaneEngine::ParticleSystem* GetParticleSystem(const std::string& name);

    // Store an object under a name. Null does nothing; a name already taken
    // logs an error and the first object stays. True when stored.
    bool AddShaderUser(const std::string& name, KorvaneEngine::ShaderUser* user);
    bool AddModel(const std::string& name, KorvaneEngine::Model* model);
    bool AddParticleSystem(const std::string& name, KorvaneEngine::ParticleSystem* system);
    bool AddTexturePack(const std::string& name, TexturePack* pack);
    // Keep an unnamed object, released with the keeper.
    void KeepShaderUser(KorvaneEngine::ShaderUser* user);
    void KeepModel(KorvaneEngine::Model* model);
    void KeepParticleSystem(KorvaneEngine::ParticleSystem* system);
    void KeepTexturePack(TexturePack* pack);

    // Resource entry points: load at once, or queue for LoadNextStep/LoadAll.
    void AddShader(const std::string& name, const KorvaneEngine::ShaderDescriptor& descriptor,
        bool temporaryTextures, bool loadNow, bool unnamed);
    void AddModelResource(const std::string& name, const std::string& fileName, bool colorVertices,
        bool hasAnimationSpeed, float animationSpeed, bool temporaryTextures, bool loadNow, bool unnamed);
    void AddParticleSystemResource(const std::string& name, const std::string& fileName, bool temporaryTextures,
        bool loadNow, bool unnamed);
    void AddTexturePackResource(const std::string& name, const std::string& fileName, bool temporaryTextures,
        bool loadNow, bool unnamed);

    // Reads a resources XML file under the data folder. A missing or
    // malformed file is fatal (logged, then FatalError).
    void LoadResourceFile(const std::string& path, bool loadNow);
    // One step: the texture pre-pass (step 0), a percent of the queue (steps
    // 1..100), then the derived class's steps. Complete at extraSteps + 101.
    void LoadNextStep();
    // Everything at once, without pre-pass or time slicing.
    void LoadAll();

    // Loop variables replaced in a name: "%" + name + optional width + "%".
    static std::string ExpandName(const std::string& text, const std::vector<LoopVariable>& variables);
    // The descriptor a "shader" element of a resources file stands for, its
    // pictures named from directory (under the data folder) with the loop
    // variables replaced. The content tools check the same descriptor.
    static KorvaneEngine::ShaderDescriptor ShaderElement(XMLNode* node, const std::string& directory,
        const std::vector<LoopVariable>& variables);
    // Widths above this are cut to it: a name is not a buffer to fill.
    static constexpr uint32_t kMaxNameDigits = KorvaneEngine::kMaxNameVariableDigits;

    // Read by the loading windows and the derived keepers.
    uint32_t step = 0;
    uint32_t extraSteps = 1;
    float progress = 0.0f;

    const std::string& GetLanguage() const { return language; }
    const std::vector<PendingResource*>& GetPendingQueue() const { return pendingQueue; }
    uint32_t GetLoadedCount() const { return loadedCount; }
    const std::map<std::string, KorvaneEngine::ShaderUser*>& GetShaderUsers() const { return shaderUsers; }
    const std::map<std::string, KorvaneEngine::Model*>& GetModels() const { return models; }
    const std::map<std::string, KorvaneEngine::ParticleSystem*>& GetParticleSystems() const
    {
        return particleSystems;
    }
    const std::map<std::string, TexturePack*>& GetTexturePacks() const { return texturePacks; }
    size_t GetKeptShaderUserCount() const { return keptShaderUsers.size(); }
    KorvaneEngine::ShaderUser* GetDefaultShaderUser() const { return defaultShaderUser; }
    KorvaneEngine::Model* GetDefaultModel() const { return defaultModel; }
    KorvaneEngine::ParticleSystem* GetDefaultParticleSystem() const { return defaultParticleSystem; }

private:
    void ReadResourceNode(bool loadNow, XMLNode* node, const std::string& directory, const std::string& prefix,
        std::vector<LoopVariable>& variables);
    void ReadResourceElement(bool loadNow, XMLNode* node, const std::string& directory, const std::string& prefix,
        const std::vector<LoopVariable>& variables);
    void Queue(PendingResource* record);
    void Load(const PendingResource& record);
    // A file resource's record, loaded at once or queued.
    void AddFileResource(uint32_t kind, const std::string& name, const std::string& fileName,
        bool temporaryTextures, bool loadNow, bool unnamed, bool colorVertices = false,
        bool hasAnimationSpeed = false, float animationSpeed = 0.0f);
    bool LoadPending(int32_t percent);
    bool PrepareTemporaryTextures();

    KorvaneEngine::Timer* loadTimer = nullptr;
    std::vector<PendingResource*> pendingQueue;
    std::vector<PendingResource*> pendingShaders;
    std::vector<PendingResource*> pendingModels;
    std::vector<PendingResource*> pendingParticleSystems;
    std::vector<PendingResource*> pendingTexturePacks;
    std::vector<PendingResource*> nextQueue;
    std::string language;
    uint32_t loadedCount = 0;
    KorvaneEngine::ShaderUser* defaultShaderUser = nullptr;
    KorvaneEngine::Model* defaultModel = nullptr;
    KorvaneEngine::ParticleSystem* defaultParticleSystem = nullptr;
    std::map<std::string, KorvaneEngine::ShaderUser*> shaderUsers;
    std::map<std::string, KorvaneEngine::Model*> models;
    std::map<std::string, KorvaneEngine::ParticleSystem*> particleSystems;
    std::map<std::string, TexturePack*> texturePacks;
    std::vector<KorvaneEngine::ShaderUser*> keptShaderUsers;
    std::vector<KorvaneEngine::Model*> keptModels;
    std::vector<KorvaneEngine::ParticleSystem*> keptParticleSystems;
    std::vector<TexturePack*> keptTexturePacks;
};

} // namespace GameTools
