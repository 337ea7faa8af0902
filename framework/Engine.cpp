#include "framework/Engine.h"

#include <objbase.h>
#include <windows.h>

#include "engine/audio_input/Controls.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/SoundSystem.h"
#include "engine/audio_input/di7/Controls_DI7.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Shader.h"
#include "engine/render/SpriteGroup.h"
#include "engine/render/d3d7/RenderSystem_D3D7.h"
#include "gui/Console.h"
#include "gui/GUIManager.h"

namespace KorvaneEngine {

namespace {

// Deletes the service held in T's instance word, if any. The services clear
// their own word as they go.
template <class T> void DeleteService()
{
    if (T* service = T::Instance()) {
        delete service;
        T::ResetInstance(service);
    }
}

// Makes the sound services, or neither: a missing or failing sound device
// leaves the program silent, never stopped.
void CreateSound(bool use3D)
{
    SoundSystem* system = nullptr;
    try {
        system = new SoundSystem_DS7(use3D);
    } catch (const Error&) {
        // The back-end has logged why; its message is empty.
        return;
    }
    SoundSystem::Instance(system);
    try {
        SoundManager* manager = new SoundManager();
        SoundManager::Instance(manager);
    } catch (const Error& e) {
        if (!e.GetMessage().empty())
            LogErrorIfOpen(e.GetMessage());
        delete system;
        SoundSystem::ResetInstance(system);
    }
}

} // namespace

Engine::Engine(const EngineSettings& source)
{
    settings = new EngineSettings(source);
    ApplyEngineBanner(*settings);
    saveOnExit = settings->saveConfigOnExit;
    comInitialised = CoInitialize(nullptr) == S_OK;
    try {
        new MessageManager(settings->name, settings->logEnabled, settings->logReopenPerMessage,
                           settings->logDirectory, settings->logFileName);
        new FileManager(settings->baseDirectory, settings->usePacks, settings->dataDirectory,
                        settings->packCacheLimit);
        new TimerManager();
        Config* config = new Config(settings->configDirectory, settings->configName, settings->overrideVideoMode,
                                    settings->videoMode, settings->overrideFullscreen, settings->fullscreenDefault);
        config->Load();
        uint32_t width = 0, height = 0;
        ParseVideoMode(config->videoMode, &width, &height, nullptr);
        new Window(GetWindowTitle(), settings->hostWindow, static_cast<uint16_t>(settings->iconId), width, height,
                   config->fullscreen, settings->centreWindow, settings->windowPosition);
        new RenderSystem_D3D7(settings->useStencil, settings->allowAnyWindowSize);
        CameraManager::Instance(new CameraManager());
        LightManager::Instance(new LightManager());
        ShaderManager::Instance(new ShaderManager());
        ModelManager::Instance(new ModelManager());
        SpriteGroupManager::Instance(new SpriteGroupManager());
        ParticleSystemManager::Instance(new ParticleSystemManager());
        new Controls_DI7(true);
        CreateSound(settings->use3D);
        // After the sound: its cues play through the SoundManager when there is one.
        new GUIManager();
        SetRandomSeed(GetTickCount());
    } catch (...) {
        // Nothing of a half-built engine may outlive it: not the log, not the
        // files, not an open (maybe topmost full-screen) window behind the
        // error box. The .ini is not written: it would lose the game's
        // variables, which are not registered yet.
        DestroyServices();
        delete settings;
        settings = nullptr;
        if (comInitialised)
            CoUninitialize();
        throw;
    }
}

Engine::~Engine()
{
    if (saveOnExit)
        if (Config* config = Config::Instance())
            config->Save();
    DestroyServices();
    delete settings;
    settings = nullptr;
    if (comInitialised)
        CoUninitialize();
}

void Engine::DestroyServices()
{
    // The console goes first: its panel and input line are the GUI manager's.
    DeleteService<Console>();
    DeleteService<GUIManager>();
    DeleteService<SoundManager>();
    DeleteService<SoundSystem>();
    DeleteService<Controls>();
    DeleteService<ParticleSystemManager>();
    DeleteService<SpriteGroupManager>();
    DeleteService<ModelManager>();
    DeleteService<ShaderManager>();
    DeleteService<LightManager>();
    DeleteService<CameraManager>();
    DeleteService<RenderSystem>();
    DeleteService<Window>();
    DeleteService<Config>();
    DeleteService<TimerManager>();
    DeleteService<FileManager>();
    DeleteService<MessageManager>();
}

void Engine::SetConfigSaveOnExit(bool save) { saveOnExit = save && settings->saveConfigOnExit; }

void Engine::CreateConsole(const std::string& caption, const ShaderDescriptor& background, int32_t fontId,
    uint16_t cursorCharacter, uint16_t promptCharacter, uint16_t separatorCharacter, const std::string& key,
    float alpha, float size, float speed)
{
    Console::Instance(new Console(caption, background, fontId, cursorCharacter, promptCharacter, separatorCharacter,
        key, alpha, size, speed));
}

std::string Engine::GetWindowTitle() const { return MakeWindowTitle(*settings); }

bool Engine::IsExitRequested() const
{
    Config* config = Config::Instance();
    return config && !config->IsCommandDone("exit");
}

void Engine::RequestExit()
{
    if (Config* config = Config::Instance())
        config->SetCommandDone("exit", false);
}

void Engine::UpdateInput()
{
    Config::Instance()->Update();
    TimerManager::Instance()->Update();
    Window::Instance()->Update();
    Controls::Instance()->Update();
    // The widgets read the pointer and "MOUSE1" as the controls left them.
    GUIManager::Instance()->Update();
    // After the widgets, so the input line has taken this frame's character
    // before the console reads the editing keys.
    if (Console* console = Console::Instance())
        console->Update();
    MessageManager::Instance()->ClearHistory();
}

void Engine::Update()
{
    RenderSystem::Instance()->Refresh();
    CameraManager::Instance()->UpdateCameras();
    ParticleSystemManager::Instance()->Update();
    SpriteGroupManager::Instance()->Update();
    // Before the scene pass, which draws the widgets' models.
    GUIManager::Instance()->Render();
    LightManager::Instance()->Refresh();
    ShaderManager::Instance()->Update();
    ModelManager::Instance()->Render();
    if (SoundSystem* system = SoundSystem::Instance())
        system->Refresh();
    if (SoundManager* manager = SoundManager::Instance())
        manager->Update(true);
}

void Engine::Frame(uint32_t sleepMs)
{
    Update();
    if (sleepMs)
        Sleep(sleepMs);
    ModelManager::Instance()->PresentFrame();
    Controls* controls = Controls::Instance();
    Config* config = Config::Instance();
    // One screenshot per press: IsPressed is the key's down edge.
    if (controls->IsPressed("PRINTSCRN"))
        config->SetCommandDone("sc_take_screenshot", false);
    controls->ResetState();
    config->ClearChangedFlags();
    if (!config->IsCommandDone("exit"))
        MessageManager::Instance()->LogMessage("\nExiting...\n");
}

} // namespace KorvaneEngine
