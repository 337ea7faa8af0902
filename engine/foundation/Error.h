#pragma once
#include <string>

namespace KorvaneEngine {

// The engine's own exception family. Deliberately not derived from
// std::exception: a handler for standard exceptions must not swallow these.
class Error {
public:
    virtual ~Error();
    explicit Error(const std::string& message);
    const std::string& GetMessage() const { return message_; }

private:
    std::string message_;
};

class FileError : public Error {
public:
    ~FileError() override;
    explicit FileError(const std::string& message);
};

class FatalError : public Error {
public:
    ~FatalError() override;
    explicit FatalError(const std::string& message);
};

} // namespace KorvaneEngine
