#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// One logged message as the console sees it: the decorated text, not the bare one.
struct LogRecord {
    uint32_t level;
    std::string text;
};

// The engine's log: an HTML page on disk (one per run) plus the messages of the
// current frame for the console. Levels: 0 message, 1 notice, 2 warning,
// 3 error, 4 fatal (logs, then throws FatalError with the bare message).
class MessageManager : public GlobalPointerHolder<MessageManager> {
public:
    virtual ~MessageManager();
    // fileName empty: the file is named after name. directory empty: the program
    // folder; a drive path ("C:...") is used as is; anything else is taken from
    // the program folder. A missing folder is created.
    MessageManager(const std::string& name, bool enabled, bool reopenPerMessage,
                   const std::string& directory, const std::string& fileName);
    MessageManager(const MessageManager&) = delete;
    MessageManager& operator=(const MessageManager&) = delete;

    void LogMessage(const std::string& message);
    void LogNotice(const std::string& message);
    void LogWarning(const std::string& message);
    void LogError(const std::string& message);
    [[noreturn]] void LogFatal(const std::string& message);
    void Log(uint32_t level, const std::string& text);

    void SetLineSpacing(bool lineSpacing) { lineSpacing_ = lineSpacing; }

    int GetHistorySize() const { return static_cast<int>(history_.size()); }
    // Record i, 0 = oldest; null when i is out of range.
    const LogRecord* GetHistoryRecord(int i) const;
    void ClearHistory() { history_.clear(); }

    // Full path of the log file once enabled; the bare file name otherwise.
    const std::string& GetFilePath() const { return filePath_; }

    // "#RRGGBB" from channels in 0..1 (integer part of channel * 255).
    static std::string ColorToText(const Vector3& colour);

private:
    void WriteText(const std::string& text);
    void WriteColored(const Vector3& colour, const std::string& text);
    void Open(const char* mode);
    void Close();

    std::string name_;
    bool lineSpacing_ = true;
    bool enabled_;
    bool reopenPerMessage_;
    std::string filePath_;
    std::FILE* file_ = nullptr;
    std::vector<std::unique_ptr<LogRecord>> history_;
};

// Write to the log when one exists: services made without one (tests, early
// start-up) stay quiet instead of failing.
void LogMessageIfOpen(const std::string& text);
void LogErrorIfOpen(const std::string& text);

} // namespace KorvaneEngine
