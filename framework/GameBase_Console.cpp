// The game base's console commands, polled once a frame, and the banner of
// cheat mode.
#include "framework/GameBase.h"

#include <vector>

#include "engine/audio_input/SoundManager.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "framework/Level.h"
#include "framework/LevelManagerBase.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "gui/Console.h"

namespace GameFramework {

using KorvaneEngine::Config;

void GameBase::RegisterConsoleCommands()
{
    Config* config = Config::Instance();
    const char* const commandsBefore[] = {"d_get_used_video_memory_size", "d_get_manages_occupation",
                                          "d_get_loaded_textures"};
    for (const char* name : commandsBefore)
        config->Register(name, KorvaneEngine::kConfigCommand, false, false, nullptr, "", false);
    config->Register("d_show_statistics", KorvaneEngine::kConfigBool, false, true, &showStatistics, "0", false);
    // Registered here, not only issued: an unknown command reads as pending,
    // and the frame would check the display mode every frame.
    const char* const commandsAfter[] = {"g_update_video_mode", "g_open_map", "g_reset_map", "g_disable_cheats"};
    for (const char* name : commandsAfter)
        config->Register(name, KorvaneEngine::kConfigCommand, false, false, nullptr, "", false);
}

void GameBase::HandleConsoleCommands()
{
    Config* config = Config::Instance();
    if (!config)
        return;
    // A command typed in the console is pending until handled here; twice
    // before a frame is still one action.
    auto issued = [config](const char* name) {
        if (config->IsCommandDone(name))
            return false;
        config->SetCommandDone(name, true);
        return true;
    };
    KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance();
    auto print = [log](const std::string& line) {
        if (log)
            log->LogMessage(line);
    };
    using KorvaneEngine::UnsignedToString;

    if (issued("d_get_used_video_memory_size")) {
        const uint32_t bytes = textureManager ? textureManager->GetUsedMemory() : 0;
        print("Video Memory Used: " + KorvaneEngine::FloatToString(bytes / 1048576.0f, 2) + " Mb");
    }
    if (issued("d_get_manages_occupation")) {
        const KorvaneEngine::ShaderManager* shaders = KorvaneEngine::ShaderManager::Instance();
        const KorvaneEngine::ModelManager* models = KorvaneEngine::ModelManager::Instance();
        // Without a sound device there is no sound manager to ask.
        const KorvaneEngine::SoundManager* sounds = KorvaneEngine::SoundManager::Instance();
        print("Shader users count: " + UnsignedToString(shaders ? shaders->GetUserCount() : 0));
        print("Shaders count: " + UnsignedToString(shaders ? shaders->GetShaderCount() : 0));
        print("Textures count: " + UnsignedToString(textureManager ? textureManager->GetTextureCount() : 0));
        print("Models count: " + UnsignedToString(models ? models->GetModelCount() : 0));
        print("Sounds count: " + UnsignedToString(sounds ? sounds->GetSoundCount() : 0));
    }
    if (issued("d_get_loaded_textures") && textureManager) {
        std::vector<KorvaneEngine::Texture2D*> textures;
        textureManager->GetTextures(textures);
        for (size_t i = 0; i < textures.size(); ++i)
            print("Texture " + UnsignedToString(static_cast<uint32_t>(i)) + ": " + textures[i]->GetName() +
                  " (used memory: " + UnsignedToString(textures[i]->GetMemorySize()) + ")");
    }
    ProfileBase* profile = profileManager ? profileManager->GetCurrentProfile() : nullptr;
    if (issued("g_open_map") && profile && levelManager) {
        // Every level open: the last one reached. Without a last level there
        // is nothing to open, and the profile keeps what it has.
        const uint32_t stages = levelManager->GetStageCount();
        const uint32_t levels = stages ? levelManager->GetLevelCount(stages - 1) : 0;
        if (levels == 0) {
            if (log)
                log->LogError("g_open_map: the level list has no last level to open");
        } else {
            profile->SetReachedPosition(Level(stages - 1, levels - 1), false);
            profile->SetCurrentPosition(Level(0, 0));
            profile->Save();
        }
    }
    if (issued("g_reset_map") && profile) {
        profile->ClearReachedPosition();
        profile->SetCurrentPosition(Level(0, 0));
        profile->Save();
        profile->Reset();
        profile->SetSavedGame(false);
        profile->Save();
    }
    if (issued("g_disable_cheats"))
        if (KorvaneEngine::Console* console = KorvaneEngine::Console::Instance())
            console->SetEnabled(false);
}

void GameBase::ShowCheatBanner()
{
    KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance();
    if (!log)
        return;
    const char* const lines[] = {
        "",
        "---------------------------------------",
        "- CHEAT MODE ON",
        "---------------------------------------",
        "- Key \"~\" - toggle console",
        "- Console command \"g_disable_cheats\" - cheat mode off",
    };
    for (const char* line : lines)
        log->LogNotice(line);
}

} // namespace GameFramework
