#include <windows.h>

#include "puzzle/app/GameLoader.h"

// 1 when the game ran and shut down normally, 0 after a fatal error (the
// installer and launcher read it this way round).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    Puzzle::GameLoader* loader = new Puzzle::GameLoader(instance, previousInstance, commandLine, showCommand);
    const bool ran = loader->Run();
    delete loader;
    return ran ? 1 : 0;
}
