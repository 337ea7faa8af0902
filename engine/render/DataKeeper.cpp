#include "engine/render/DataKeeper.h"

#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/Model.h"
#include "engine/render/ModelManager.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/TexturePack.h"

using namespace KorvaneEngine;

namespace GameTools {

namespace {

const float kSliceSeconds = 0.1f;

// The attribute's text, or the fallback when the element has none.
std::string TextAttribute(XMLNode* node, const char* name, const std::string& fallback)
{
    XMLValue* v = node->GetAttribute(name, kReportSilent);
    return v ? v->GetString() : fallback;
}

int IntAttribute(XMLNode* node, const char* name, int fallback)
{
    XMLValue* v = node->GetAttribute(name, kReportSilent);
    return v ? v->GetInt() : fallback;
}

bool BoolAttribute(XMLNode* node, const char* name, bool fallback)
{
    XMLValue* v = node->GetAttribute(name, kReportSilent);
    return v ? v->GetBool() : fallback;
}

uint32_t NonNegative(int v) { return v < 0 ? 0u : static_cast<uint32_t>(v); }

uint32_t AnimationType(const std::string& text)
{
    if (text == "net")
        return 1;
    if (text == "diffuse")
        return 2;
    if (text == "opacity")
        return 3;
    if (text == "diffuse_and_opacity")
        return 4;
    return 0;
}

void ReleaseShaderUser(ShaderUser* user)
{
    if (user)
        if (ShaderManager* shaders = ShaderManager::Instance())
            shaders->RemoveShaderUser(user);
}

} // namespace

DataKeeper::DataKeeper(const std::string& language_) : language(language_)
{
    loadTimer = TimerManager::Instance()->CreateTimer(0.0f, false);
    pendingQueue.reserve(4000);
    pendingShaders.reserve(2000);
    pendingModels.reserve(2000);
    pendingParticleSystems.reserve(1000);
    pendingTexturePacks.reserve(100);
    keptShaderUsers.reserve(2000);
    keptModels.reserve(2000);
    keptParticleSystems.reserve(1000);
    keptTexturePacks.reserve(50);

    ShaderDescriptor plain;
    defaultShaderUser = ShaderManager::Instance()->GetShaderUser(plain, false);
    defaultModel =
        ModelManager::Instance()->CreateModelUnregistered(Vector3(-1.0f), Vector3(1.0f), nullptr, nullptr, 0);
    defaultParticleSystem = ParticleSystemManager::Instance()->CreateSelfMadeParticleSystem(nullptr);
    defaultParticleSystem->SetVisible(false);
}

DataKeeper::~DataKeeper()
{
    for (PendingResource* r : pendingShaders)
        delete r->descriptor;
    for (std::vector<PendingResource*>* list :
        {&pendingShaders, &pendingModels, &pendingParticleSystems, &pendingTexturePacks})
        DeleteAll(*list);
    pendingQueue.clear();
    nextQueue.clear();

    for (auto& entry : shaderUsers)
        ReleaseShaderUser(entry.second);
    shaderUsers.clear();
    for (ShaderUser* user : keptShaderUsers)
        ReleaseShaderUser(user);
    keptShaderUsers.clear();

    for (auto& entry : models)
        delete entry.second;
    models.clear();
    DeleteAll(keptModels);
    for (auto& entry : particleSystems)
        delete entry.second;
    particleSystems.clear();
    DeleteAll(keptParticleSystems);
    for (auto& entry : texturePacks)
        delete entry.second;
    texturePacks.clear();
    DeleteAll(keptTexturePacks);

    ReleaseShaderUser(defaultShaderUser);
    delete defaultModel;
    delete defaultParticleSystem;
    if (TimerManager* timers = TimerManager::Instance())
        timers->DeleteTimer(loadTimer);
}

bool DataKeeper::LoadStep(int32_t) { return false; }

// ---- lookups and registration ----

ShaderUser* DataKeeper::GetShaderUser(const std::string& name)
{
    auto it = shaderUsers.find(name);
    if (it != shaderUsers.end())
        return it->second;
    LogErrorIfOpen("(DataKeeper::GetShaderUser): There is no \"" + name + "\" resource");
    return defaultShaderUser;
}

Model* DataKeeper::GetModel(const std::string& name)
{
    auto it = models.find(name);
    if (it != models.end())
        return it->second;
    LogErrorIfOpen("(DataKeeper::GetModel): There is no \"" + name + "\" resource");
    return defaultModel;
}

ParticleSystem* DataKeeper::GetParticleSystem(const std::string& name)
{
    auto it = particleSystems.find(name);
    if (it != particleSystems.end())
        return it->second;
    LogErrorIfOpen("(DataKeeper::GetParticleSystem): There is no \"" + name + "\" resource");
    return defaultParticleSystem;
}

namespace {
template <class T>
bool Store(std::map<std::string, T*>& map, const std::string& name, T* object, const char* what)
{
    if (!object)
        return false;
    if (map.count(name)) {
        LogErrorIfOpen(std::string(what) + name + "\" is duplicated");
        return false;
    }
    map[name] = object;
    return true;
}
} // namespace

bool DataKeeper::AddShaderUser(const std::string& name, ShaderUser* user)
{
    return Store(shaderUsers, name, user, "(DataKeeper::AddShaderUser): Shader User \"");
}

bool DataKeeper::AddModel(const std::string& name, Model* model)
{
    return Store(models, name, model, "(DataKeeper::AddModel): Model \"");
}

bool DataKeeper::AddParticleSystem(const std::string& name, ParticleSystem* system)
{
    return Store(particleSystems, name, system, "(DataKeeper::AddParticleSystem): Particle System \"");
}

bool DataKeeper::AddTexturePack(const std::string& name, TexturePack* pack)
{
    return Store(texturePacks, name, pack, "(DataKeeper::AddTexturePack): Texture Pack \"");
}

void DataKeeper::KeepShaderUser(ShaderUser* user)
{
    if (user)
        keptShaderUsers.push_back(user);
}

void DataKeeper::KeepModel(Model* model)
{
    if (model)
        keptModels.push_back(model);
}

void DataKeeper::KeepParticleSystem(ParticleSystem* system)
{
    if (system)
        keptParticleSystems.push_back(system);
}

void DataKeeper::KeepTexturePack(TexturePack* pack)
{
    if (pack)
        keptTexturePacks.push_back(pack);
}

// ---- resource entry points ----

void DataKeeper::Queue(PendingResource* record)
{
    pendingQueue.push_back(record);
    switch (record->kind) {
    case kShader: pendingShaders.push_back(record); break;
    case kModel: pendingModels.push_back(record); break;
    case kParticleSystem: pendingParticleSystems.push_back(record); break;
    default: pendingTexturePacks.push_back(record); break;
    }
}

// Objects this keeper created and could not store are released at once: a
// refused duplicate would otherwise be owned by nobody.
void DataKeeper::Load(const PendingResource& r)
{
    switch (r.kind) {
    case kShader: {
        ShaderUser* user = ShaderManager::Instance()->GetShaderUser(*r.descriptor, r.temporaryTextures);
        if (r.unnamed)
            KeepShaderUser(user);
        else if (!AddShaderUser(r.name, user))
            ReleaseShaderUser(user);
        break;
    }
    case kModel: {
        Model* model = ModelManager::Instance()->LoadModelUnregistered(r.fileName, nullptr,
            r.colorVertices ? 32u : 0u, r.temporaryTextures);
        if (model && r.hasAnimationSpeed)
            model->GetAnimation()->speed = r.animationSpeed;
        if (r.unnamed)
            KeepModel(model);
        else if (!AddModel(r.name, model))
            delete model;
        break;
    }
    case kParticleSystem: {
        ParticleSystem* system =
            ParticleSystemManager::Instance()->LoadParticleSystem(r.fileName, nullptr, r.temporaryTextures);
        if (r.unnamed)
            KeepParticleSystem(system);
        else if (!AddParticleSystem(r.name, system))
            delete system;
        break;
    }
    default: {
        TexturePack* pack = new TexturePack(r.fileName, r.temporaryTextures);
        if (r.unnamed)
            KeepTexturePack(pack);
        else if (!AddTexturePack(r.name, pack))
            delete pack;
        break;
    }
    }
}

void DataKeeper::AddShader(const std::string& name, const ShaderDescriptor& descriptor, bool temporaryTextures,
    bool loadNow, bool unnamed)
{
    std::unique_ptr<PendingResource> r(new PendingResource);
    r->kind = kShader;
    r->name = name;
    r->temporaryTextures = temporaryTextures;
    r->unnamed = unnamed;
    if (loadNow) {
        r->descriptor = const_cast<ShaderDescriptor*>(&descriptor);
        Load(*r);
        r->descriptor = nullptr;
        return;
    }
    r->descriptor = new ShaderDescriptor(descriptor);
    Queue(r.release());
}

void DataKeeper::AddFileResource(uint32_t kind, const std::string& name, const std::string& fileName,
    bool temporaryTextures, bool loadNow, bool unnamed, bool colorVertices, bool hasAnimationSpeed,
    float animationSpeed)
{
    std::unique_ptr<PendingResource> r(new PendingResource);
    r->kind = kind;
    r->name = name;
    r->fileName = fileName;
    r->colorVertices = colorVertices;
    r->hasAnimationSpeed = hasAnimationSpeed;
    r->animationSpeed = animationSpeed;
    r->temporaryTextures = temporaryTextures;
    r->unnamed = unnamed;
    if (loadNow)
        Load(*r);
    else
        Queue(r.release());
}

void DataKeeper::AddModelResource(const std::string& name, const std::string& fileName, bool colorVertices,
    bool hasAnimationSpeed, float animationSpeed, bool temporaryTextures, bool loadNow, bool unnamed)
{
    AddFileResource(kModel, name, fileName, temporaryTextures, loadNow, unnamed, colorVertices, hasAnimationSpeed,
        animationSpeed);
}

void DataKeeper::AddParticleSystemResource(const std::string& name, const std::string& fileName,
    bool temporaryTextures, bool loadNow, bool unnamed)
{
    AddFileResource(kParticleSystem, name, fileName, temporaryTextures, loadNow, unnamed);
}

void DataKeeper::AddTexturePackResource(const std::string& name, const std::string& fileName,
    bool temporaryTextures, bool loadNow, bool unnamed)
{
    AddFileResource(kTexturePack, name, fileName, temporaryTextures, loadNow, unnamed);
}

// ---- resources XML ----

std::string DataKeeper::ExpandName(const std::string& text, const std::vector<LoopVariable>& variables)
{
    std::string out = text;
    for (const LoopVariable& v : variables)
        ReplaceNameVariable(out, v.name, v.value);
    return out;
}

void DataKeeper::LoadResourceFile(const std::string& path, bool loadNow)
{
    XMLNode root;
    try {
        XMLParser parser;
        parser.ParseFile(&root, path);
    } catch (const FileError& e) {
        if (MessageManager* log = MessageManager::Instance())
            log->LogFatal(e.GetMessage());
        throw FatalError(e.GetMessage());
    }
    // Resource files name their files relative to their own folder under the
    // data folder. A path outside it keeps its whole folder.
    std::string rest = path;
    const size_t data = ToLowerCopy(path).find("data\\");
    if (data != std::string::npos)
        rest = path.substr(data + 5);
    const std::string directory = GetDirectory(rest);
    std::vector<LoopVariable> variables;
    ReadResourceNode(loadNow, &root, directory, std::string(), variables);
}

void DataKeeper::ReadResourceNode(bool loadNow, XMLNode* node, const std::string& directory,
    const std::string& prefix, std::vector<LoopVariable>& variables)
{
    const std::string& element = node->GetName();
    if (element == "loop") {
        LoopVariable counter;
        counter.name = TextAttribute(node, "counter", "i");
        const int32_t start = IntAttribute(node, "start", 0);
        const int32_t count = IntAttribute(node, "count", 0);
        variables.push_back(counter);
        // Signed: a negative count is an empty loop, not four billion passes.
        for (int32_t v = start; v < count; ++v) {
            variables.back().value = v;
            for (XMLNode* child : node->GetChildList())
                ReadResourceNode(loadNow, child, directory, prefix, variables);
        }
        variables.pop_back();
        return;
    }
    XMLValue* name = node->GetAttribute("name", kReportSilent);
    if (name && !name->GetString().empty()) {
        ReadResourceElement(loadNow, node, directory, prefix, variables);
        return;
    }
    const std::string inner = element.empty() || element == "resources" ? prefix : prefix + element + "/";
    for (XMLNode* child : node->GetChildList())
        ReadResourceNode(loadNow, child, directory, inner, variables);
}

ShaderDescriptor DataKeeper::ShaderElement(XMLNode* node, const std::string& directory,
    const std::vector<LoopVariable>& variables)
{
    std::string diffuse, opacity;
    if (XMLValue* d = node->GetAttribute("diffuse_file_name", kReportSilent))
        diffuse = ExpandName(CombinePath(directory, d->GetString()), variables);
    if (XMLValue* o = node->GetAttribute("opacity_file_name", kReportSilent))
        opacity = o->GetString() == "32bit" ? std::string("32bit")
                                            : ExpandName(CombinePath(directory, o->GetString()), variables);
    int net[2] = {1, 1};
    if (XMLValue* n = node->GetAttribute("net_size", kReportSilent))
        n->GetInts(net, 2);
    XMLValue* speed = node->GetAttribute("animation_speed", kReportSilent);
    return ShaderDescriptor(true, AnimationType(TextAttribute(node, "animation_type", "")), NonNegative(net[0]),
        NonNegative(net[1]), NonNegative(IntAttribute(node, "frame_count", 1)), speed ? speed->GetFloat() : 0.0f,
        diffuse, opacity, BoolAttribute(node, "clamp", true));
}

void DataKeeper::ReadResourceElement(bool loadNow, XMLNode* node, const std::string& directory,
    const std::string& prefix, const std::vector<LoopVariable>& variables)
{
    XMLValue* lang = node->GetAttribute("language", kReportSilent);
    if (lang && lang->GetString() != language)
        return;
    const std::string name = prefix + ExpandName(node->GetAttribute("name", kReportSilent)->GetString(), variables);
    const std::string& element = node->GetName();
    const bool temporary = BoolAttribute(node, "temporary_textures", false);
    auto file = [&]() {
        return CombinePath(directory, ExpandName(TextAttribute(node, "file_name", "unknown_file_name"), variables));
    };

    if (element == "model") {
        XMLValue* speed = node->GetAttribute("animation_speed", kReportSilent);
        AddModelResource(name, file(), BoolAttribute(node, "color_verticies", false), speed != nullptr,
            speed ? speed->GetFloat() : 0.0f, temporary, loadNow, false);
    } else if (element == "shader") {
        AddShader(name, ShaderElement(node, directory, variables), temporary, loadNow, false);
    } else if (element == "particles") {
        AddParticleSystemResource(name, file(), temporary, loadNow, false);
    } else if (element == "texture_pack") {
        AddTexturePackResource(name, file(), temporary, loadNow, false);
    }
}

// ---- loading ----

bool DataKeeper::LoadPending(int32_t percent)
{
    if (percent != -1 && (percent < 1 || percent > 100))
        return false;
    const uint32_t size = static_cast<uint32_t>(pendingQueue.size());
    uint32_t target = size;
    if (percent != -1) {
        loadTimer->SetTime(0.0f);
        target = static_cast<uint32_t>(static_cast<uint64_t>(size) * static_cast<uint32_t>(percent) / 100u);
    } else if (step == 0) {
        // An unfinished texture pre-pass is dropped: nothing has loaded yet.
        loadedCount = 0;
        nextQueue.clear();
    }
    // "All" resumes where the steps left off too, so no record loads twice.
    for (uint32_t i = loadedCount; i < target; ++i) {
        Load(*pendingQueue[i]);
        ++loadedCount;
        if (percent != -1 && loadTimer->GetTime() > kSliceSeconds)
            break;
    }
    return loadedCount == target;
}

bool DataKeeper::PrepareTemporaryTextures()
{
    if (step != 0)
        return false;
    loadTimer->SetTime(0.0f);
    const uint32_t size = static_cast<uint32_t>(pendingQueue.size());
    if (loadedCount == 0) {
        for (uint32_t i = 1; i < size; ++i)
            std::swap(pendingQueue[i], pendingQueue[RandomBelow(i + 1)]);
        nextQueue.reserve(static_cast<size_t>(size) * 10);
    }
    FileManager* files = FileManager::Instance();
    for (uint32_t i = loadedCount; i < size; ++i) {
        PendingResource* record = pendingQueue[i];
        std::unique_ptr<ShaderDescriptor> descriptor;
        if (record->kind == kShader) {
            descriptor.reset(new ShaderDescriptor(*record->descriptor));
        } else {
            std::string shaderFile = record->fileName;
            ChangeExtension(shaderFile, "srf");
            if (files && files->FileExists("data\\" + shaderFile)) {
                // An unreadable shader file only loses its textures' head
                // start; the resource itself falls back when it loads.
                try {
                    descriptor.reset(new ShaderDescriptor(shaderFile));
                } catch (const Error&) {
                    descriptor.reset();
                }
            }
        }
        if (descriptor) {
            std::vector<std::string> names;
            for (uint32_t j = 0; j < descriptor->GetStageCount(); ++j) {
                descriptor->GetStageTextureNames(j, names);
                const bool mips = (descriptor->GetStage(j).flags & 1) != 0;
                for (size_t k = 0; k + 1 < names.size(); k += 2) {
                    const std::string diffuse = RemoveDataPrefix(names[k]);
                    const std::string opacity = RemoveDataPrefix(names[k + 1]);
                    if (diffuse.empty())
                        continue;
                    PendingResource* t = new PendingResource;
                    t->kind = kShader;
                    t->name = "temp_loading_" + std::to_string(i) + "_" + std::to_string(j) + "_" +
                        std::to_string(k / 2);
                    t->temporaryTextures = record->temporaryTextures;
                    t->unnamed = true;
                    t->descriptor = new ShaderDescriptor(mips, diffuse, opacity, true);
                    pendingShaders.push_back(t);
                    nextQueue.push_back(t);
                }
            }
        }
        nextQueue.push_back(record);
        ++loadedCount;
        if (loadTimer->GetTime() > kSliceSeconds)
            break;
    }
    if (loadedCount < size)
        return false;
    loadedCount = 0;
    pendingQueue.swap(nextQueue);
    nextQueue.clear();
    return true;
}

void DataKeeper::LoadNextStep()
{
    if (PrepareTemporaryTextures() || LoadPending(static_cast<int32_t>(step)) || LoadStep(static_cast<int32_t>(step)))
        ++step;
    progress = static_cast<float>(step) / static_cast<float>(extraSteps + 101);
}

void DataKeeper::LoadAll()
{
    LoadPending(-1);
    LoadStep(-1);
    step = extraSteps + 100;
    progress = 1.0f;
}

} // namespace GameTools
