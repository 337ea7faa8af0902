#include "puzzle/logic/TexturePack.h"

#include <cmath>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/Image.h"
#include "engine/render/Model.h"
#include "engine/render/VertexBuffer.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/TextureManager.h"
#include "gui/GUIWindow.h"

namespace Puzzle {

using namespace KorvaneEngine;

namespace {

[[noreturn]] void Fatal(const std::string& message)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogFatal(message);
    throw FatalError(message);
}

// A shader user drawing one texture its owner supplies, blended by the
// texture's alpha.
ShaderUser* MakePageUser(ShaderManager& shaders, const std::string& textureName)
{
    ShaderDescriptor d;
    d.AddFlags(1);
    d.SetStageMode(0, 4);
    d.SetStageMode(1, 5);
    d.AddStage(5, 0, 1, 1, 1, 0.0f, textureName);
    return shaders.GetShaderUser(d, false);
}

} // namespace

TexturePack::TexturePack(std::vector<Image*>& pages, const std::string& name) : textures_(nullptr), name_(name)
{
    ShaderManager* shaders = ShaderManager::Instance();
    if (!shaders) {
        for (Image* page : pages)
            delete page;
        pages.clear();
        Fatal("Texture pack \"" + name + "\" needs the shader manager");
    }
    textures_ = shaders->GetTextureManager();
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string textureName = "pack_" + name + "_" + UnsignedToString(static_cast<uint32_t>(i));
        ShaderUser* user = MakePageUser(*shaders, textureName);
        Image* page = pages[i];
        pages[i] = nullptr;
        user->GetShader()->SetTexture(0, 0, textures_->GetTexture(true, textureName, "", page, nullptr, false));
        pages_.push_back(user);
    }
    pages.clear();
}

TexturePack::~TexturePack()
{
    if (ShaderManager* shaders = ShaderManager::Instance())
        for (ShaderUser* user : pages_)
            shaders->RemoveShaderUser(user);
    pages_.clear();
    images_.clear();
}

void TexturePack::AddImage(const std::string& name, uint32_t page, const Vector2& topLeft, const Vector2& bottomRight)
{
    if (page >= pages_.size())
        Fatal("Texture pack \"" + name_ + "\" has no page " + UnsignedToString(page) + " for \"" + name + "\"");
    std::unique_ptr<ImageRecord> record(new ImageRecord);
    record->user = pages_[page];
    record->topLeft = topLeft;
    record->bottomRight = bottomRight;
    images_[name] = std::move(record);
}

const TexturePack::ImageRecord& TexturePack::FindImage(const std::string& name) const
{
    auto it = images_.find(ToLowerCopy(name));
    if (it == images_.end())
        Fatal("Texture pack \"" + name_ + "\" is not contain \"" + name + "\" texture");
    return *it->second;
}

GUIWindow* TexturePack::CreateWindow(const std::string& name, uint32_t flags, const Vector2& position,
                                     const Vector2& size, GUIWindow* parent) const
{
    const ImageRecord& record = FindImage(name);
    GUIManager* gui = GUIManager::Instance();
    if (!gui)
        Fatal("Texture pack \"" + name_ + "\" needs the GUI manager for \"" + name + "\"");
    GUIWindow* window = gui->CreateWindow(flags, position, size, nullptr, record.user, parent);
    Model* model = window ? window->GetModel() : nullptr;
    if (!model)
        return window;
    // The quad's corners map 0..1; only those move, so a model with inner
    // vertices would keep them.
    auto map = [](float t, float low, float high) {
        if (std::fabs(t) < 0.0001f)
            return low;
        if (std::fabs(t - 1.0f) < 0.0001f)
            return high;
        return t;
    };
    VertexBuffer* vb = model->GetVertexBuffer();
    const uint32_t count = vb->vertexCount;
    if (flags & GUIWindow::kColored) {
        ColoredVertex* v = vb->LockColoredVertices(0, count);
        for (uint32_t i = 0; v && i < count; ++i) {
            v[i].u = map(v[i].u, record.topLeft.x, record.bottomRight.x);
            v[i].v = map(v[i].v, record.topLeft.y, record.bottomRight.y);
        }
    } else {
        Vertex* v = vb->LockVertices(0, count);
        for (uint32_t i = 0; v && i < count; ++i) {
            v[i].u = map(v[i].u, record.topLeft.x, record.bottomRight.x);
            v[i].v = map(v[i].v, record.topLeft.y, record.bottomRight.y);
        }
    }
    vb->Unlock();
    return window;
}

} // namespace Puzzle
