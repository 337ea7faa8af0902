#include "framework/GameLoaderBase.h"

#include <climits>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileTextual.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/Window.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLValue.h"
#include "framework/GameBase.h"

namespace GameFramework {

namespace {

const char kDefaultPublisher[] = "default";
const size_t kMaxPublisherLength = 64;
const char kFatalCaption[] = "Fatal Error";

// The publisher file, read before the log or the file manager exist: any
// failure leaves the name empty, silently.
std::string ReadPublisher(const std::string& programDirectory)
{
    const std::string path = programDirectory + "\\data\\publisher.xml";
    if (!KorvaneEngine::DiskFileExists(path))
        return std::string();
    try {
        KorvaneEngine::FileTextual file(path, KorvaneEngine::FileTextual::kRead, 0);
        GameTools::XMLNode root("", "", nullptr);
        GameTools::XMLParser parser;
        parser.Parse(&root, &file);
        GameTools::XMLNode* publisher = root.GetChild("publisher", 0);
        if (!publisher)
            return std::string();
        GameTools::XMLValue* name = publisher->GetAttribute("name", 0);
        return name ? name->GetString() : std::string();
    } catch (...) {
        return std::string();
    }
}

} // namespace

GameLoaderBase::GameLoaderBase(HINSTANCE instance_, HINSTANCE previousInstance_, const char* commandLine_,
                               int showCommand_, const std::string& companyName_, const std::string& gameTitle_,
                               int defaultVersion)
    : instance(instance_), previousInstance(previousInstance_), commandLine(commandLine_ ? commandLine_ : ""),
      showCommand(showCommand_), companyName(companyName_), gameTitle(gameTitle_)
{
    registryKeyPath = "SOFTWARE\\" + companyName + "\\" + gameTitle;
    std::string text;
    if (!KorvaneEngine::ReadRegistryString(registryKeyPath, "Version", text))
        text = KorvaneEngine::IntToString(defaultVersion);
    version = ParseVersion(text);
    programDirectory = KorvaneEngine::GetExecutableDirectory();
    publisherName = SafeFolderName(ReadPublisher(programDirectory));
}

GameLoaderBase::~GameLoaderBase() {}

int GameLoaderBase::ParseVersion(const std::string& text)
{
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

std::string GameLoaderBase::SafeFolderName(const std::string& name)
{
    std::string safe;
    for (char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || digit || c == ' ' || c == '-' || c == '_' || c == '.')
            safe += c;
        if (safe.size() == kMaxPublisherLength)
            break;
    }
    // Windows would drop these from a folder name, so two publishers could
    // share one folder or the name would point elsewhere.
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' '))
        safe.pop_back();
    while (!safe.empty() && safe.front() == ' ')
        safe.erase(safe.begin());
    if (safe.empty() || safe == "." || safe == "..")
        return kDefaultPublisher;
    return safe;
}

bool GameLoaderBase::Run()
{
    try {
        CreateGame();
        MainLoop();
        DestroyGame();
        return true;
    } catch (const KorvaneEngine::Error& e) {
        DestroyGame();
        MessageBoxA(nullptr, e.GetMessage().c_str(), kFatalCaption, MB_OK | MB_ICONERROR);
        return false;
    } catch (...) {
        DestroyGame();
        MessageBoxA(nullptr, "Unhandled exception!", kFatalCaption, MB_OK | MB_ICONERROR);
        return false;
    }
}

void GameLoaderBase::DestroyGame()
{
    delete game;
    game = nullptr;
}

void GameLoaderBase::MainLoop()
{
    if (!game)
        return;
    do {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            game->Update();
        }
    } while (!game->IsExitRequested());
}

} // namespace GameFramework
