#pragma once
#include <string>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"

namespace KorvaneEngine {
namespace RenderLog {

// The back-end logs through the engine's log; without one (tools) the
// messages are dropped and the fatal level still ends the program.
inline void Message(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogMessage(text);
}
inline void Warning(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogWarning(text);
}
inline void Error(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogError(text);
}
[[noreturn]] inline void Fatal(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogFatal(text);
    throw FatalError(text);
}

} // namespace RenderLog
} // namespace KorvaneEngine
