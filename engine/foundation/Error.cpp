#include "engine/foundation/Error.h"

namespace KorvaneEngine {

Error::~Error() = default;
Error::Error(const std::string& message) : message_(message) {}

FileError::~FileError() = default;
FileError::FileError(const std::string& message) : Error(message) {}

FatalError::~FatalError() = default;
FatalError::FatalError(const std::string& message) : Error(message) {}

} // namespace KorvaneEngine
