#pragma once
#include <string>

namespace KorvaneEngine {

struct EngineSettings;

// The one object that owns every engine service. It builds them from a copy
// of the start-up settings in a fixed order, sets each service's instance word
// (the services that set their own are left to it), drives them once per frame
// (UpdateInput, then Frame) and deletes them in reverse order.
//
// The console has its place in the order but is not made yet: its word stays
// null and every use of it is skipped.
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
    // requests, frame clock, window, controls, then this frame's log records
    // are dropped (the console has read them by then).
    void UpdateInput();
    // Every service's update and the scene pass; called by Frame.
    void Update();
    // Ends a frame: Update, an optional sleep, present, the screenshot key,
    // end-of-frame resets. The game passes 0.
    void Frame(uint32_t sleepMs);

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
