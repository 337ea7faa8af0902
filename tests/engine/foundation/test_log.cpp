#include <gtest/gtest.h>

#include <regex>

#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/MessageManager.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using namespace TestSupport;

namespace {

std::string ReadText(const std::string& path)
{
    std::vector<unsigned char> b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

} // namespace

TEST(EngineSettings, DefaultsAndIndependentCopies)
{
    EngineSettings s;
    EXPECT_TRUE(s.name.empty());
    EXPECT_EQ(s.version, 0u);
    EXPECT_EQ(s.videoMode, "800x600x32");
    EXPECT_TRUE(s.usePacks);
    EXPECT_EQ(s.packCacheLimit, 0u);
    EXPECT_FALSE(s.logEnabled);
    EXPECT_FALSE(s.saveConfigOnExit);
    EXPECT_EQ(s.hostWindow, nullptr);
    EXPECT_EQ(s.windowPosition, Vector2i(0, 0));

    EngineSettings engineCopy;
    engineCopy = s;
    ApplyEngineBanner(engineCopy);
    EXPECT_EQ(engineCopy.name, "Korvane Engine");
    EXPECT_EQ(engineCopy.version, 67u);
    EXPECT_EQ(MakeWindowTitle(engineCopy), "Korvane Engine 0.67");
    engineCopy.videoMode = "1024x768x32";
    EXPECT_EQ(s.videoMode, "800x600x32");
    EXPECT_TRUE(s.name.empty());

    EngineSettings game;
    game.name = "Pelloria";
    game.version = 101;
    ApplyEngineBanner(game);
    EXPECT_EQ(MakeWindowTitle(game), "Pelloria 1.01");
    game.version = 1200;
    EXPECT_EQ(MakeWindowTitle(game), "Pelloria 12.00");
}

TEST(Log, ColourText)
{
    EXPECT_EQ(MessageManager::ColorToText(Vector3(1, 1, 1)), "#FFFFFF");
    EXPECT_EQ(MessageManager::ColorToText(Vector3(0, 1, 0)), "#00FF00");
    EXPECT_EQ(MessageManager::ColorToText(Vector3(0.5f, 0.5f, 0.5f)), "#7F7F7F");
    EXPECT_EQ(MessageManager::ColorToText(Vector3(1, 0, 0)), "#FF0000");
    EXPECT_EQ(MessageManager::ColorToText(Vector3(0, 0, 0)), "#000000");
    EXPECT_EQ(MessageManager::ColorToText(Vector3(0.1f, 0.2f, 0.75f)), "#1933BF");
}

TEST(Log, DisabledKeepsHistoryOnly)
{
    std::string dir = MakeTempDir("log_disabled");
    {
        MessageManager log("Quiet", false, false, dir, "");
        EXPECT_EQ(MessageManager::Instance(), &log);
        log.LogMessage("a");
        log.LogNotice("b");
        log.LogWarning("c");
        log.LogError("x");
        ASSERT_EQ(log.GetHistorySize(), 4);
        EXPECT_EQ(log.GetHistoryRecord(0)->text, "a\n");
        EXPECT_EQ(log.GetHistoryRecord(1)->level, 1u);
        EXPECT_EQ(log.GetHistoryRecord(2)->text, "\nWarning: c!\n\n");
        EXPECT_EQ(log.GetHistoryRecord(3)->level, 3u);
        EXPECT_EQ(log.GetHistoryRecord(3)->text, "\nError: x!\n\n");
        EXPECT_EQ(log.GetHistoryRecord(4), nullptr);
        EXPECT_EQ(log.GetHistoryRecord(-1), nullptr);
        log.ClearHistory();
        EXPECT_EQ(log.GetHistorySize(), 0);

        log.SetLineSpacing(false);
        log.LogMessage("a");
        log.LogWarning("c");
        log.LogError("x");
        EXPECT_EQ(log.GetHistoryRecord(0)->text, "a");
        EXPECT_EQ(log.GetHistoryRecord(1)->text, "Warning: c!\n");
        EXPECT_EQ(log.GetHistoryRecord(2)->text, "Error: x!\n");
        EXPECT_EQ(log.GetFilePath(), "Quiet");
    }
    EXPECT_EQ(MessageManager::Instance(), nullptr);
    EXPECT_FALSE(FileExists(dir + "\\Quiet.html"));
    RemoveTree(dir);
}

TEST(Log, FatalLogsThenThrowsBareMessage)
{
    MessageManager log("Fatal", false, false, "", "");
    try {
        log.LogFatal("device gone");
        FAIL() << "LogFatal returned";
    } catch (const FatalError& e) {
        EXPECT_EQ(e.GetMessage(), "device gone");
    }
    ASSERT_EQ(log.GetHistorySize(), 1);
    EXPECT_EQ(log.GetHistoryRecord(0)->level, 4u);
    EXPECT_EQ(log.GetHistoryRecord(0)->text, "PROGRAM ABORTING: device gone\n");
    log.SetLineSpacing(false);
    EXPECT_THROW(log.LogFatal("again"), FatalError);
    EXPECT_EQ(log.GetHistoryRecord(1)->text, "PROGRAM ABORTING: again\n");
}

TEST(Log, FilePaths)
{
    std::string exe = GetExecutableDirectory();
    std::string rel = "tmp_log_rel\\deeper";
    RemoveTree(exe + "\\tmp_log_rel\\deeper");
    RemoveTree(exe + "\\tmp_log_rel");
    {
        // A relative folder is taken from the program folder and created when missing.
        MessageManager log("Game", true, false, rel, "short");
        EXPECT_EQ(log.GetFilePath(), exe + "\\tmp_log_rel\\deeper\\short.html");
    }
    EXPECT_TRUE(FileExists(exe + "\\tmp_log_rel\\deeper\\short.html"));
    {
        // Slashes separate folders as well as backslashes do.
        MessageManager log("Game", true, false, "tmp_log_rel/slashed\\and/deep", "short");
    }
    EXPECT_TRUE(FileExists(exe + "\\tmp_log_rel\\slashed\\and\\deep\\short.html"));
    RemoveTree(exe + "\\tmp_log_rel");

    std::string abs = MakeTempDir("log_abs");
    ASSERT_GE(abs.size(), 2u);
    ASSERT_EQ(abs[1], ':');
    {
        MessageManager log("Game", true, false, abs + "\\new", "");
        EXPECT_EQ(log.GetFilePath(), abs + "\\new\\Game.html");
    }
    EXPECT_TRUE(FileExists(abs + "\\new\\Game.html"));
    RemoveTree(abs);

    {
        MessageManager log("tmp_log_here", true, false, "", "");
        EXPECT_EQ(log.GetFilePath(), exe + "\\tmp_log_here.html");
    }
    EXPECT_TRUE(FileExists(exe + "\\tmp_log_here.html"));
    DeleteFileA((exe + "\\tmp_log_here.html").c_str());
}

TEST(Log, HtmlPage)
{
    std::string dir = MakeTempDir("log_html");
    std::string path = dir + "\\Pelloria.html";
    {
        MessageManager log("Pelloria", true, false, dir, "");
        log.LogMessage("...Creating a device...\nsecond line");
        log.LogNotice("ok");
        log.LogWarning("x");
        log.LogError("bad");
        EXPECT_THROW(log.LogFatal("end"), FatalError);
        log.Log(9, "odd level");
    }
    std::string html = ReadText(path);
    EXPECT_EQ(html.find('\n'), std::string::npos);
    EXPECT_EQ(html.find('\r'), std::string::npos);

    const std::string head =
        "<HTML><HEAD><TITLE>Pelloria Log</TITLE></HEAD><BODY bgcolor=\"#000000\"><FONT color=\"#FFFFFF\">"
        "<FONT color=\"#FFFFFF\">======== </FONT><FONT color=\"#00FF00\">Pelloria Log: ";
    ASSERT_EQ(html.compare(0, head.size(), head), 0) << html;
    std::regex stamp("[A-Z][a-z]{2} [A-Z][a-z]{2} \\d{2} \\d{2}:\\d{2}:\\d{2} \\d{4}");
    std::string date = html.substr(head.size(), 24);
    EXPECT_TRUE(std::regex_match(date, stamp)) << date;

    const std::string body =
        "</FONT><FONT color=\"#FFFFFF\"> ========<BR><BR></FONT>"
        "...Creating a device...<BR>second line<BR>"
        "<FONT color=\"#00FF00\">ok<BR></FONT>"
        "<FONT color=\"#7F7F7F\"><BR>Warning: x!<BR><BR></FONT>"
        "<FONT color=\"#FF0000\"><BR>Error: bad!<BR><BR></FONT>"
        "<FONT color=\"#FF0000\">PROGRAM ABORTING: end<BR></FONT>"
        "odd level"
        "<FONT color=\"#FFFFFF\"><BR>======== </FONT><FONT color=\"#00FF00\">Pelloria Log end: ";
    ASSERT_EQ(html.compare(head.size() + 24, body.size(), body), 0) << html;
    size_t tail = head.size() + 24 + body.size();
    EXPECT_TRUE(std::regex_match(html.substr(tail, 24), stamp));
    EXPECT_EQ(html.substr(tail + 24),
              "</FONT><FONT color=\"#FFFFFF\"> ========<BR></FONT></FONT></BODY></HTML>");

    // Every run rewrites the page.
    {
        MessageManager log("Pelloria", true, false, dir, "");
        log.LogMessage("fresh");
    }
    html = ReadText(path);
    EXPECT_EQ(html.find("Creating"), std::string::npos);
    EXPECT_NE(html.find("fresh<BR>"), std::string::npos);
    RemoveTree(dir);
}

TEST(Log, ReopenPerMessage)
{
    std::string dir = MakeTempDir("log_reopen");
    std::string path = dir + "\\R.html";
    {
        MessageManager log("R", true, true, dir, "");
        log.LogMessage("one");
        // Closed between messages: another writer can open it, and what is logged is on disk.
        std::string now = ReadText(path);
        EXPECT_NE(now.find("one<BR>"), std::string::npos);
        EXPECT_EQ(now.find("</HTML>"), std::string::npos);
        FILE* f = std::fopen(path.c_str(), "ab");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
        log.LogError("two");
    }
    std::string html = ReadText(path);
    EXPECT_NE(html.find("one<BR><FONT color=\"#FF0000\"><BR>Error: two!<BR><BR></FONT>"), std::string::npos);
    EXPECT_NE(html.find("</BODY></HTML>"), std::string::npos);
    RemoveTree(dir);
}

TEST(Log, UnopenableFileStillKeepsHistory)
{
    std::string dir = MakeTempDir("log_blocked");
    // A folder where the file should be: the open fails.
    ASSERT_TRUE(CreateDirectoryA((dir + "\\B.html").c_str(), nullptr));
    {
        MessageManager log("B", true, false, dir, "");
        log.LogWarning("w");
        EXPECT_EQ(log.GetHistorySize(), 1);
        EXPECT_THROW(log.LogFatal("f"), FatalError);
        EXPECT_EQ(log.GetHistorySize(), 2);
    }
    {
        MessageManager log("B", true, true, dir, "");
        log.LogMessage("m");
        EXPECT_EQ(log.GetHistorySize(), 1);
    }
    RemoveTree(dir);
}
