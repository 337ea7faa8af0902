#pragma once
#include <cstdint>
#include <string>

namespace KorvaneEngine {

struct EngineSettings;
class ShaderDescriptor;

// The one object that owns every engine service. It builds them from a copy
// of the start-up settings in a fixed order, sets each service's instance word
// (the services that set their own are left to it), drives them once per frame
// (UpdateInput, then Frame) and deletes them in reverse order.
//
// The console is the one service the constructor does not make: the game asks
// for it with CreateConsole once the GUI's screen size and fonts exist. Until
// then its word stays null and every use of it is skipped.
class Engine {
public:
    // Throws KorvaneEngine::Error when a service other than sound cannot be
    // made. Whatever was made by then is deleted again in reverse order, COM
    // is released and the configuration is not saved, so a second Engine can
    // be built afterwards. Without a sound device the engine runs without
    // sound: the SoundSystem and SoundManager words stay null.
    explicit Engine(const EngineSettings& settings);
    // Saves the configuration when the settings ask for it and
    // SetConfigSaveOnExit has not turned that off, then deletes the services.
    virtual ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The input step, once per frame before any game logic: configuration
    // requests, frame clock, window, controls, the GUI's input pass, the
    // console, then this frame's log records are dropped (the console has
    // printed them by then).
    void UpdateInput();
    // Every service's update and the scene pass; called by Frame.
    void Update();
    // Ends a frame: Update, an optional sleep, present, the screenshot key,
    // end-of-frame resets. The game passes 0.
    void Frame(uint32_t sleepMs);

    // Makes the console with exactly these arguments (see Console) into its
    // instance word; the engine deletes it first of all services.
    void CreateConsole(const std::string& caption, const ShaderDescriptor& background, int32_t fontId,
        uint16_t cursorCharacter, uint16_t promptCharacter, uint16_t separatorCharacter, const std::string& key,
        float alpha, float size, float speed);

    // True while the configuration command "exit" is pending.
    bool IsExitRequested() const;
    void RequestExit();
    // "<name> <version / 100>.<version % 100, two digits>": the window's title.
    std::string GetWindowTitle() const;

    const EngineSettings& GetSettings() const { return *settings; }
    // A game whose start-up failed part-way turns the exit save off: the
    // variables it had not registered yet would be dropped from the file.
    void SetConfigSaveOnExit(bool save);

private:
    // Deletes every service that exists, in reverse order of creation.
    void DestroyServices();

    EngineSettings* settings = nullptr;
    bool comInitialised = false;
    bool saveOnExit = false;
};

} // namespace KorvaneEngine
