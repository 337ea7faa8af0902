#include "puzzle/app/GameLoader.h"

#include "puzzle/app/Game.h"

namespace Puzzle {

const char* const GameLoader::kCompanyName = "Quillfen Games";
const char* const GameLoader::kGameTitle = "Pelloria";

GameLoader::GameLoader(HINSTANCE instance, HINSTANCE previousInstance, const char* commandLine, int showCommand)
    : GameFramework::GameLoaderBase(instance, previousInstance, commandLine, showCommand, kCompanyName, kGameTitle,
                                    kDefaultVersion)
{
}

GameLoader::~GameLoader() {}

GameFramework::GameBase* GameLoader::CreateGame()
{
    // A version from the registry beyond what the title can show is the
    // registry's business; negative values are impossible (digits only).
    game = new Game(companyName, gameTitle, static_cast<uint32_t>(version), registryKeyPath, programDirectory,
                    publisherName);
    return game;
}

} // namespace Puzzle
