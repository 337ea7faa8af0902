#pragma once
#include <windows.h>

#include <string>

namespace GameFramework {

class GameBase;

// Runs the process of a game on the framework: learns the installation's
// identity before any engine service exists (registry version, program
// folder, publisher), makes the game through CreateGame, pumps the message
// queue with one game frame per idle pass, destroys the game, and turns an
// escaping exception into a "Fatal Error" box.
class GameLoaderBase {
public:
    // The version is the registry's "Version" under
    // SOFTWARE\<company>\<title> (leading decimal digits; none gives 0),
    // else defaultVersion. The publisher is the "name" of the top element
    // "publisher" in <program folder>\data\publisher.xml, made safe as a folder
    // name (SafeFolderName); "default" without a usable file.
    GameLoaderBase(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine, int showCommand,
                   const std::string& companyName, const std::string& gameTitle, int defaultVersion);
    // Does not delete the game: DestroyGame has done that.
    virtual ~GameLoaderBase();
    GameLoaderBase(const GameLoaderBase&) = delete;
    GameLoaderBase& operator=(const GameLoaderBase&) = delete;

    // CreateGame, MainLoop, DestroyGame. False after an error, which has been
    // shown: the game is destroyed first, so its window is gone behind the box.
    virtual bool Run();
    // Makes the game from the identity below and stores it in `game`.
    virtual GameBase* CreateGame() = 0;
    virtual void DestroyGame();
    // Until the engine's "exit" command is pending (WM_QUIT means nothing
    // here); the test runs after every message and every frame.
    virtual void MainLoop();

    int GetVersion() const { return version; }
    const std::string& GetRegistryKeyPath() const { return registryKeyPath; }
    const std::string& GetProgramDirectory() const { return programDirectory; }
    const std::string& GetPublisherName() const { return publisherName; }
    GameBase* GetGame() const { return game; }

    // The publisher name as it may name a folder of the player files: only
    // ASCII letters, digits, blanks, '-', '_' and '.' are kept, at most 64
    // characters, without trailing dots or blanks (Windows drops them);
    // "default" when nothing usable is left ("", ".", "..").
    static std::string SafeFolderName(const std::string& name);
    // Leading decimal digits ("105" -> 105, "12a" -> 12, "abc" -> 0), capped at
    // the largest int.
    static int ParseVersion(const std::string& text);

protected:
    HINSTANCE instance;
    HINSTANCE previousInstance;
    std::string commandLine;
    int showCommand;
    std::string companyName;
    std::string gameTitle;
    int version = 0;
    std::string registryKeyPath;
    std::string programDirectory;
    std::string publisherName;
    GameBase* game = nullptr;
};

} // namespace GameFramework
