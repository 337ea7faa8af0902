#include "puzzle/app/GameData.h"

#include "engine/foundation/FileManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderDescriptor.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"

namespace Puzzle {

namespace {

// The keeper's counter when its own steps are done and ours is due.
const int32_t kOwnStep = 101;

// The logo pictures are named under the data folder; shaders name them
// relative to it.
std::string WithoutDataFolder(const std::string& path) { return path.substr(5); }

} // namespace

std::string GameData::LogoFile(uint32_t n, const std::string& kind)
{
    return "data\\ui\\textures\\publishers\\" + KorvaneEngine::UnsignedToString(n) + "_logo_" + kind + ".jpg";
}

GameData::GameData(const std::string& language) : GameTools::DataKeeper(language)
{
    KorvaneEngine::FileManager* files = KorvaneEngine::FileManager::Instance();
    KorvaneEngine::ShaderManager* shaders = KorvaneEngine::ShaderManager::Instance();
    if (!files || !shaders)
        return;
    for (uint32_t n = 0; n < 2; ++n) {
        const std::string picture = LogoFile(n, "small"), alpha = LogoFile(n, "small_alpha");
        if (!files->FileExists(picture) || !files->FileExists(alpha))
            continue;
        KorvaneEngine::ShaderDescriptor descriptor(false, WithoutDataFolder(picture), WithoutDataFolder(alpha), true);
        smallLogo[n] = shaders->GetShaderUser(descriptor, false);
        KeepShaderUser(smallLogo[n]);
    }
}

GameData::~GameData()
{
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance()) {
        gui->DestroyWindow(containerChild);
        gui->DestroyWindow(containerRoot);
    }
}

bool GameData::LoadStep(int32_t s)
{
    GameTools::DataKeeper::LoadStep(s);
    // The keeper also calls this during its own steps 0 to 100, whenever a
    // step of its own is still unfinished: those are not ours.
    if (s != -1 && s != kOwnStep)
        return false;
    if (!containerRoot) {
        KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance();
        if (gui) {
            containerRoot = gui->CreateContainerWindow(5, nullptr);
            containerChild = gui->CreateContainerWindow(1, containerRoot);
            if (containerChild)
                containerChild->SetHeight(100);
        }
    }
    return true;
}

} // namespace Puzzle
