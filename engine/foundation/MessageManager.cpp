#include "engine/foundation/MessageManager.h"

#include <ctime>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/Paths.h"

namespace KorvaneEngine {

namespace {

const Vector3 kWhite(1, 1, 1);
const Vector3 kGreen(0, 1, 0);
const Vector3 kGrey(0.5f, 0.5f, 0.5f);
const Vector3 kRed(1, 0, 0);
const Vector3 kBlack(0, 0, 0);

Vector3 LevelColour(uint32_t level)
{
    switch (level) {
    case 1: return kGreen;
    case 2: return kGrey;
    case 3:
    case 4: return kRed;
    default: return kWhite;
    }
}

// The 24-character ctime form, with English names whatever the locale.
std::string DateTimeText()
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t now = std::time(nullptr);
    const std::tm* t = std::localtime(&now);
    if (!t)
        return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d", days[t->tm_wday % 7],
                  months[t->tm_mon % 12], t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec,
                  t->tm_year + 1900);
    return text;
}

} // namespace

MessageManager::MessageManager(const std::string& name, bool enabled, bool reopenPerMessage,
                               const std::string& directory, const std::string& fileName)
    : name_(name), enabled_(enabled), reopenPerMessage_(reopenPerMessage),
      filePath_(fileName.empty() ? name : fileName)
{
    Instance(this);
    if (!enabled_)
        return;

    std::string folder;
    if (directory.empty())
        folder = GetExecutableDirectory();
    else if (directory.size() >= 2 && directory[1] == ':')
        folder = directory;
    else
        folder = GetExecutableDirectory() + "\\" + directory;
    filePath_ = folder + "\\" + filePath_ + ".html";
    CreateDirectories(folder + "\\");

    Open("wt");
    if (!file_)
        return; // messages still reach the history
    WriteText("<HTML>");
    WriteText("<HEAD>");
    WriteText("<TITLE>" + name_ + " Log</TITLE>");
    WriteText("</HEAD>");
    WriteText("<BODY bgcolor=\"" + ColorToText(kBlack) + "\">");
    WriteText("<FONT color=\"" + ColorToText(kWhite) + "\">"); // closed by the footer
    WriteColored(kWhite, "======== ");
    WriteColored(kGreen, name_ + " Log: " + DateTimeText());
    WriteColored(kWhite, " ========\n\n");
    if (reopenPerMessage_)
        Close();
}

MessageManager::~MessageManager()
{
    if (enabled_) {
        if (reopenPerMessage_)
            Open("at");
        if (file_) {
            WriteColored(kWhite, "\n======== ");
            WriteColored(kGreen, name_ + " Log end: " + DateTimeText());
            WriteColored(kWhite, " ========\n");
            WriteText("</FONT>");
            WriteText("</BODY>");
            WriteText("</HTML>");
        }
        Close();
    }
    history_.clear();
    ResetInstance(this);
}

void MessageManager::LogMessage(const std::string& message)
{
    Log(0, lineSpacing_ ? message + "\n" : message);
}

void MessageManager::LogNotice(const std::string& message)
{
    Log(1, lineSpacing_ ? message + "\n" : message);
}

void MessageManager::LogWarning(const std::string& message)
{
    Log(2, lineSpacing_ ? "\nWarning: " + message + "!\n\n" : "Warning: " + message + "!\n");
}

void MessageManager::LogError(const std::string& message)
{
    Log(3, lineSpacing_ ? "\nError: " + message + "!\n\n" : "Error: " + message + "!\n");
}

void MessageManager::LogFatal(const std::string& message)
{
    Log(4, "PROGRAM ABORTING: " + message + "\n");
    throw FatalError(message);
}

void MessageManager::Log(uint32_t level, const std::string& text)
{
    if (enabled_) {
        Vector3 colour = LevelColour(level);
        if (reopenPerMessage_)
            Open("at");
        if (file_) {
            if (colour.x == 1 && colour.y == 1 && colour.z == 1)
                WriteText(text);
            else
                WriteColored(colour, text);
        }
        if (reopenPerMessage_)
            Close();
        else if (file_)
            std::fflush(file_); // what was logged survives a crash
    }
    history_.push_back(std::make_unique<LogRecord>(LogRecord{level, text}));
}

const LogRecord* MessageManager::GetHistoryRecord(int i) const
{
    if (i < 0 || static_cast<size_t>(i) >= history_.size())
        return nullptr;
    return history_[static_cast<size_t>(i)].get();
}

std::string MessageManager::ColorToText(const Vector3& colour)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (int i = 0; i < 3; ++i) {
        float c = colour[i];
        c = c < 0 ? 0 : (c > 1 ? 1 : c);
        int v = static_cast<int>(c * 255.0f);
        text += digits[(v >> 4) & 15];
        text += digits[v & 15];
    }
    return text;
}

void MessageManager::WriteText(const std::string& text)
{
    if (!file_)
        return;
    // Line breaks become <BR>: the page is one line of HTML.
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        size_t n = (end == std::string::npos ? text.size() : end) - start;
        if (n)
            std::fwrite(text.data() + start, 1, n, file_);
        if (end == std::string::npos)
            break;
        std::fwrite("<BR>", 1, 4, file_);
        start = end + 1;
    }
}

void MessageManager::WriteColored(const Vector3& colour, const std::string& text)
{
    WriteText("<FONT color=\"" + ColorToText(colour) + "\">");
    WriteText(text);
    WriteText("</FONT>");
}

void MessageManager::Open(const char* mode)
{
    if (!file_)
        file_ = std::fopen(filePath_.c_str(), mode);
}

void MessageManager::Close()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void LogMessageIfOpen(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogMessage(text);
}

void LogErrorIfOpen(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogError(text);
}

} // namespace KorvaneEngine
