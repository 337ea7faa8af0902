#include <gtest/gtest.h>

#include <algorithm>

#include "engine/foundation/Config.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "support/TestSupport.h"

#include <windows.h>

using namespace KorvaneEngine;

namespace {

Config MakeConfig(bool forceMode = false, const std::string& mode = "", bool forceFullscreen = false,
                  bool fullscreen = false)
{
    return Config("", "tmp_config_core", forceMode, mode, forceFullscreen, fullscreen);
}

} // namespace

TEST(ConfigRegistry, EngineTableAndDefaults)
{
    Config c("", "", false, "", false, true);
    EXPECT_EQ(Config::Instance(), &c);
    EXPECT_EQ(c.GetIniPath(), "Korvane Engine.ini");
    EXPECT_EQ(c.videoMode, "800x600x32");
    EXPECT_TRUE(c.fullscreen);
    EXPECT_TRUE(c.vsync);
    EXPECT_EQ(c.brightness, 1.0f);
    EXPECT_TRUE(c.useMipMapping);
    EXPECT_FALSE(c.showMipMaps);
    EXPECT_EQ(c.textureAnisotropy, 1);
    EXPECT_EQ(c.screenshotFormat, 0);

    std::vector<std::string> names{"stale"};
    c.GetVariableNames(names);
    // 22 engine names, in name order.
    ASSERT_EQ(names.size(), 22u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(names.front(), "c_invert_mouse");
    EXPECT_EQ(names.back(), "v_window_change_mode");

    EXPECT_EQ(c.GetValueString("v_brightness"), "1.000000");
    EXPECT_EQ(c.GetValueString("V_FULLSCREEN"), "1");
    EXPECT_EQ(c.GetValueString("r_texture_anisotropy"), "1");
    EXPECT_EQ(c.GetValueString("v_mode"), "800x600x32");
    EXPECT_EQ(c.GetValueString("exit"), "");
    EXPECT_EQ(c.GetValueString("nothing"), "");
    EXPECT_EQ(c.GetDefaultValue("v_gamma"), "1.0");
    EXPECT_EQ(c.GetDefaultValue("nothing"), "");
    EXPECT_TRUE(c.IsCommandDone("exit"));
    EXPECT_FALSE(c.IsCommandDone("v_mode"));
    EXPECT_FALSE(c.IsCommandDone("nothing"));

    Config named("C:\\Users\\me", "Pelloria", false, "1024x768x32", false, false);
    EXPECT_EQ(named.GetIniPath(), "C:\\Users\\me\\Pelloria.ini");
    EXPECT_EQ(named.videoMode, "1024x768x32");
    EXPECT_FALSE(named.fullscreen);
    EXPECT_EQ(Config::Instance(), &named);
}

TEST(ConfigRegistry, RegisterTypesAndReregistration)
{
    Config c = MakeConfig();
    int i = 7;
    float f = 0;
    bool b = false;
    std::string s = "old";
    c.Register("G_Count", kConfigInt, false, true, &i, "42", false);
    c.Register("g_volume", kConfigFloat, false, true, &f, "0.25", false);
    c.Register("g_flag", kConfigBool, false, true, &b, "2", false);
    c.Register("g_text", kConfigString, false, true, &s, "hello world", false);
    EXPECT_EQ(i, 42); // the default reaches the storage
    EXPECT_EQ(f, 0.25f);
    EXPECT_TRUE(b);
    EXPECT_EQ(s, "hello world");
    EXPECT_EQ(c.GetValueString("g_count"), "42");
    EXPECT_EQ(c.GetValueString("g_volume"), "0.250000");

    // Registering a known name again does nothing.
    int other = 5;
    c.Register("g_count", kConfigInt, false, true, &other, "1", false);
    EXPECT_EQ(other, 5);
    EXPECT_EQ(c.GetDefaultValue("g_count"), "42");

    // Bool reads the leading integer: words are false.
    c.SetValueFromText("g_flag", "true");
    EXPECT_FALSE(b);
    c.SetValueFromText("g_flag", "-3x");
    EXPECT_TRUE(b);
    c.SetValueFromText("g_count", "12abc");
    EXPECT_EQ(i, 12);
    c.SetValueFromText("g_count", "abc");
    EXPECT_EQ(i, 0);
    c.SetValueFromText("g_volume", "1e-3junk");
    EXPECT_FLOAT_EQ(f, 0.001f);
    c.SetValueFromText("nothing", "1"); // unknown: nothing happens

    // Unregistering keeps the value as text for the next owner.
    c.SetValueFromText("g_count", "99");
    c.UnregisterVariable("G_COUNT");
    std::vector<std::string> names;
    c.GetVariableNames(names);
    EXPECT_EQ(std::count(names.begin(), names.end(), "g_count"), 0);
    EXPECT_EQ(c.GetValueString("g_count"), "99");
    EXPECT_EQ(c.GetDefaultValue("g_count"), "42");
    c.SetValueFromText("g_count", "1");
    c.ResetVariable("g_count");
    EXPECT_EQ(i, 99); // the old storage is no longer touched
    EXPECT_EQ(c.GetValueString("g_count"), "99");
    std::string name;
    EXPECT_EQ(c.ExecuteLine("g_count 3", &name), kExecuteUnknownName);
    EXPECT_EQ(name, "g_count");
    int second = 0;
    c.Register("g_count", kConfigFloat, true, false, &second, "8", false);
    EXPECT_EQ(second, 99);
    EXPECT_EQ(c.ExecuteLine("g_count 3", nullptr), kExecuteDone); // still not read-only, still an int
    EXPECT_EQ(second, 3);
}

TEST(ConfigConsole, ExecuteLineResultsAndQuirks)
{
    Config c = MakeConfig();
    std::string name = "stale";
    EXPECT_EQ(c.ExecuteLine("v_brightness 0.5", &name), kExecuteDone);
    EXPECT_EQ(c.brightness, 0.5f);
    EXPECT_EQ(name, "v_brightness");

    // Two blanks vanish, so the name swallows the value.
    EXPECT_EQ(c.ExecuteLine("v_brightness  0.7", &name), kExecuteUnknownName);
    EXPECT_EQ(name, "v_brightness0.7");
    EXPECT_EQ(c.brightness, 0.5f);
    // Three blanks leave one.
    EXPECT_EQ(c.ExecuteLine("v_brightness   0.7", &name), kExecuteDone);
    EXPECT_EQ(c.brightness, 0.7f);
    // Four blanks vanish too.
    EXPECT_EQ(c.ExecuteLine("v_brightness    0.8", &name), kExecuteUnknownName);

    EXPECT_EQ(c.ExecuteLine("V_Mode 1024x768x32 \\\\ my favourite", &name), kExecuteDone);
    EXPECT_EQ(c.videoMode, "1024x768x32");
    EXPECT_EQ(name, "v_mode");
    EXPECT_EQ(c.ExecuteLine("  \\\\v_mode 640x480x16\t", &name), kExecuteDone);
    EXPECT_EQ(c.videoMode, "640x480x16");
    EXPECT_EQ(c.ExecuteLine("v_mode a b  c", nullptr), kExecuteDone);
    EXPECT_EQ(c.videoMode, "a bc");
    EXPECT_EQ(c.ExecuteLine("v_mode\\\\1024x768x32", nullptr), kExecuteNoValue);
    EXPECT_EQ(c.ExecuteLine("v_mode \\\\1024x768x32", nullptr), kExecuteNoValue);
    EXPECT_EQ(c.videoMode, "a bc");

    EXPECT_EQ(c.ExecuteLine("v_gamma", &name), kExecuteNoValue);
    EXPECT_EQ(c.ExecuteLine("v_gamma   ", &name), kExecuteNoValue);
    EXPECT_EQ(c.ExecuteLine("", &name), kExecuteEmptyLine);
    EXPECT_EQ(name, "");
    EXPECT_EQ(c.ExecuteLine(" \t ", nullptr), kExecuteEmptyLine);
    EXPECT_EQ(c.ExecuteLine("\\\\\\", nullptr), kExecuteEmptyLine);
    EXPECT_EQ(c.ExecuteLine("no_such_name 1", &name), kExecuteUnknownName);
    EXPECT_EQ(name, "no_such_name");

    EXPECT_TRUE(c.IsCommandDone("exit"));
    EXPECT_EQ(c.ExecuteLine("EXIT now please", &name), kExecuteDone);
    EXPECT_FALSE(c.IsCommandDone("exit"));
    EXPECT_EQ(name, "exit");
    c.SetCommandDone("exit", true);
    EXPECT_TRUE(c.IsCommandDone("exit"));
    c.SetCommandDone("EXIT", false); // looked up as given: no such record
    EXPECT_TRUE(c.IsCommandDone("exit"));

    // Read-only: text may not set it, but a command ignores the flag.
    int locked = 0;
    c.Register("d_locked", kConfigInt, true, true, &locked, "4", false);
    EXPECT_EQ(locked, 4);
    EXPECT_EQ(c.ExecuteLine("d_locked 9", nullptr), kExecuteReadOnly);
    EXPECT_EQ(c.ExecuteLine("d_locked", nullptr), kExecuteNoValue);
    EXPECT_EQ(locked, 4);
    c.Register("d_cmd", kConfigCommand, true, false, nullptr, "", false);
    EXPECT_EQ(c.ExecuteLine("d_cmd", nullptr), kExecuteDone);
    EXPECT_FALSE(c.IsCommandDone("d_cmd"));
}

TEST(ConfigConsole, ResetAndResetCommand)
{
    Config c = MakeConfig();
    int locked = 0;
    c.Register("d_locked", kConfigInt, true, false, &locked, "4", false);
    locked = 10;
    c.ExecuteLine("v_gamma 2", nullptr);
    c.ExecuteLine("r_texture_anisotropy 8", nullptr);
    c.ExecuteLine("exit", nullptr);
    c.ExecuteLine("v_window_change_mode", nullptr);
    c.Update(); // no reset requested yet
    EXPECT_EQ(c.gamma, 2.0f);

    EXPECT_EQ(c.ExecuteLine("reset_config", nullptr), kExecuteDone);
    EXPECT_EQ(c.gamma, 2.0f); // only the next Update acts
    c.Update();
    EXPECT_EQ(c.gamma, 1.0f);
    EXPECT_EQ(c.textureAnisotropy, 1);
    EXPECT_TRUE(c.IsCommandDone("exit"));
    EXPECT_TRUE(c.IsCommandDone("v_window_change_mode"));
    EXPECT_TRUE(c.IsCommandDone("reset_config"));
    EXPECT_EQ(locked, 10); // read-only records are skipped by a full reset
    c.ResetVariable("d_locked");
    EXPECT_EQ(locked, 4);
}

TEST(ConfigWatch, ChangedFlags)
{
    Config c = MakeConfig();
    float f = 0;
    int i = 0;
    bool b = false;
    std::string s;
    int quiet = 0;
    c.Register("g_f", kConfigFloat, false, false, &f, "1.0", true);
    c.Register("g_i", kConfigInt, false, false, &i, "0", true);
    c.Register("g_b", kConfigBool, false, false, &b, "0", true);
    c.Register("g_s", kConfigString, false, false, &s, "", true);
    c.Register("g_quiet", kConfigInt, false, false, &quiet, "0", false);
    // A watched variable reads changed in its first frame.
    EXPECT_TRUE(c.IsVariableChanged("G_F"));
    EXPECT_TRUE(c.IsVariableChanged("g_i"));
    EXPECT_FALSE(c.IsVariableChanged("g_quiet"));
    c.Update();
    c.ClearChangedFlags();
    EXPECT_FALSE(c.IsVariableChanged("g_f"));

    f = 1.00005f;
    quiet = 3;
    c.Update();
    EXPECT_FALSE(c.IsVariableChanged("g_f"));
    EXPECT_FALSE(c.IsVariableChanged("g_quiet"));
    f = 1.001f;
    c.Update();
    EXPECT_TRUE(c.IsVariableChanged("g_f"));
    c.Update(); // stays set until cleared
    EXPECT_TRUE(c.IsVariableChanged("g_f"));
    c.ClearChangedFlags();
    c.Update();
    EXPECT_FALSE(c.IsVariableChanged("g_f"));

    i = 1;
    b = true;
    s = "x";
    c.Update();
    EXPECT_TRUE(c.IsVariableChanged("g_i"));
    EXPECT_TRUE(c.IsVariableChanged("g_b"));
    EXPECT_TRUE(c.IsVariableChanged("g_s"));
    c.ClearChangedFlags();
    c.Update();
    EXPECT_FALSE(c.IsVariableChanged("g_s"));

    // An unregistered record keeps its flag and is no longer watched.
    c.UnregisterVariable("g_i");
    i = 50;
    c.Update();
    EXPECT_FALSE(c.IsVariableChanged("g_i"));
    c.Register("g_i", kConfigInt, false, false, &i, "0", true);
    EXPECT_TRUE(c.IsVariableChanged("g_i"));
    EXPECT_EQ(i, 1);
    EXPECT_FALSE(c.IsVariableChanged("nothing"));
}

TEST(ConfigVideoMode, Parse)
{
    uint32_t w = 0, h = 0, b = 0;
    ParseVideoMode("800x600x32", &w, &h, &b);
    EXPECT_EQ(w, 800u); EXPECT_EQ(h, 600u); EXPECT_EQ(b, 32u);
    ParseVideoMode("1024X768X16", &w, &h, &b);
    EXPECT_EQ(w, 1024u); EXPECT_EQ(h, 768u); EXPECT_EQ(b, 16u);
    ParseVideoMode("1024x768", &w, &h, &b);
    EXPECT_EQ(w, 640u); EXPECT_EQ(h, 480u); EXPECT_EQ(b, 16u);
    ParseVideoMode("", &w, &h, &b);
    EXPECT_EQ(w, 640u); EXPECT_EQ(h, 480u); EXPECT_EQ(b, 16u);
    ParseVideoMode("axbxc", &w, &h, &b);
    EXPECT_EQ(w, 0u); EXPECT_EQ(h, 0u); EXPECT_EQ(b, 0u);
    // No wrap-around from signs or overlong numbers.
    ParseVideoMode("-1x99999999999x32", &w, &h, &b);
    EXPECT_EQ(w, 0u); EXPECT_EQ(h, 0xFFFFFFFFu); EXPECT_EQ(b, 32u);
    ParseVideoMode("1280x1024x32", &w, nullptr, nullptr);
    EXPECT_EQ(w, 1280u);
}

namespace {

std::string ReadText(const std::string& path)
{
    std::vector<unsigned char> b = TestSupport::ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

const char* const kEngineLines =
    "c_invert_mouse 0\r\n"
    "r_show_faces_edges 0\r\n"
    "r_show_faces_normals 0\r\n"
    "r_show_mip_maps 0\r\n"
    "r_show_octree_nodes 0\r\n"
    "r_texture_anisotropy 4\r\n"
    "r_use_mip_mapping 1\r\n"
    "sc_take_screenshot_format 0\r\n"
    "v_brightness 0.500000\r\n"
    "v_contrast 1.000000\r\n"
    "v_fullscreen 0\r\n"
    "v_gamma 1.000000\r\n"
    "v_mode 1280x1024x32\r\n"
    "v_vsync 1\r\n";

} // namespace

TEST(ConfigFile, SaveAndLoadRoundTrip)
{
    MessageManager log("cfg", false, false, "", "");
    std::string dir = TestSupport::MakeTempDir("config_round");
    int music = 0, hidden = 0, locked = 0, gone = 0;
    std::string profile;
    {
        Config c(dir + "\\sub", "Game", false, "1024x768x32", false, true);
        c.Register("g_music", kConfigInt, false, true, &music, "5", false);
        c.Register("g_profile", kConfigString, false, true, &profile, "Ann", false);
        c.Register("g_hidden", kConfigInt, false, false, &hidden, "1", false);  // not persisted
        c.Register("g_locked", kConfigInt, true, true, &locked, "2", false);    // read-only: never saved
        c.Register("g_gone", kConfigInt, false, true, &gone, "3", false);
        c.ExecuteLine("v_brightness 0.5", nullptr);
        c.ExecuteLine("v_mode 1280x1024x32", nullptr);
        c.ExecuteLine("v_fullscreen 0", nullptr);
        c.ExecuteLine("r_texture_anisotropy 4", nullptr);
        c.ExecuteLine("g_music 9", nullptr);
        c.ExecuteLine("g_profile Bob Smith", nullptr);
        c.ExecuteLine("g_gone 77", nullptr);
        c.UnregisterVariable("g_gone"); // saved with its kept value
        c.Save();
    }
    EXPECT_EQ(log.GetHistorySize(), 0);
    const std::string path = dir + "\\sub\\Game.ini";
    const std::string first = "c_invert_mouse 0\r\n";
    EXPECT_EQ(ReadText(path), first + "g_gone 77\r\ng_music 9\r\ng_profile Bob Smith\r\n" +
                                  std::string(kEngineLines).substr(first.size()));
    EXPECT_FALSE(TestSupport::FileExists(path + ".tmp"));

    Config c(dir + "\\sub", "Game", false, "1024x768x32", false, true);
    c.Load();
    EXPECT_EQ(c.brightness, 0.5f);
    EXPECT_EQ(c.videoMode, "1280x1024x32");
    EXPECT_FALSE(c.fullscreen);
    EXPECT_EQ(c.textureAnisotropy, 4);
    // Lines of names nobody registered yet wait for their owner.
    EXPECT_EQ(c.GetValueString("g_music"), "");
    music = 0;
    c.Register("g_music", kConfigInt, false, true, &music, "5", false);
    EXPECT_EQ(music, 9);
    c.Register("g_profile", kConfigString, false, true, &profile, "Ann", false);
    EXPECT_EQ(profile, "Bob Smith");
    c.Register("g_gone", kConfigInt, false, true, &gone, "3", false);
    EXPECT_EQ(gone, 77);
    // Applied once: a later re-registration sees the default again.
    int later = 0;
    c.Register("g_later", kConfigInt, false, true, &later, "6", false);
    EXPECT_EQ(later, 6);
    TestSupport::RemoveTree(dir);
}

TEST(ConfigFile, LoadQuirksAndOverrides)
{
    std::string dir = TestSupport::MakeTempDir("config_quirks");
    const std::string path = dir + "\\Q.ini";
    ASSERT_TRUE(TestSupport::WriteFileText(path,
        "\xEF\xBB\xBFv_mode 640x480x16\r\n"
        "v_fullscreen 1 // a note\n"
        "\n"
        "// only a comment\r"
        "v_gamma\r\n"
        "g_late 0.3\r\n"
        "g_late 0.9\r\n"
        "   V_BRIGHTNESS    0.25   \r\n"
        "v_contrast   2\r\n"
        "d_locked 5\r\n"));
    int locked = 1;
    {
        Config c(dir, "Q", false, "1024x768x32", false, false);
        c.Register("d_locked", kConfigInt, true, false, &locked, "1", false);
        c.gamma = 3;
        c.ExecuteLine("exit", nullptr);
        c.Load();
        EXPECT_EQ(c.videoMode, "640x480x16");
        EXPECT_TRUE(c.fullscreen);
        EXPECT_EQ(c.gamma, 1.0f);        // reset by the load, the file line had no value
        EXPECT_EQ(c.brightness, 1.0f);   // four blanks vanish: "v_brightness0.25" is unknown
        EXPECT_EQ(c.contrast, 2.0f);     // three blanks leave one
        EXPECT_EQ(locked, 1);            // read-only lines are ignored
        EXPECT_TRUE(c.IsCommandDone("exit")); // a pending command is cancelled
        float late = 0;
        c.Register("g_late", kConfigFloat, false, true, &late, "0.5", false);
        EXPECT_FLOAT_EQ(late, 0.3f);     // the first line of an unknown name wins
    }
    {
        // Start-up settings that force the mode and full screen override the file.
        Config c(dir, "Q", true, "1024x768x32", true, false);
        c.Load();
        EXPECT_EQ(c.videoMode, "1024x768x32");
        EXPECT_FALSE(c.fullscreen);
    }
    {
        // Forcing with an empty mode argument is ignored.
        Config c(dir, "Q", true, "", false, false);
        c.Load();
        EXPECT_EQ(c.videoMode, "640x480x16");
    }
    {
        MessageManager log("cfg", false, false, "", "");
        Config c(dir, "Missing", false, "", false, false);
        c.ExecuteLine("v_gamma 2", nullptr);
        c.Load();
        EXPECT_EQ(c.gamma, 1.0f);
        EXPECT_EQ(log.GetHistorySize(), 0); // a missing file is no error
    }
    TestSupport::RemoveTree(dir);
}

TEST(ConfigFile, FailedSaveKeepsOldFile)
{
    MessageManager log("cfg", false, false, "", "");
    std::string dir = TestSupport::MakeTempDir("config_fail");
    const std::string path = dir + "\\F.ini";
    const std::string old = "v_mode 320x240x8\r\n";
    ASSERT_TRUE(TestSupport::WriteFileText(path, old));

    Config c(dir, "F", false, "", false, false);
    c.ExecuteLine("v_mode 1600x1200x32", nullptr);

    // The temporary file cannot be made: something else holds its name.
    ASSERT_TRUE(CreateDirectoryA((path + ".tmp").c_str(), nullptr));
    c.Save();
    EXPECT_EQ(ReadText(path), old);
    ASSERT_EQ(log.GetHistorySize(), 1);
    EXPECT_EQ(log.GetHistoryRecord(0)->level, 3u);
    EXPECT_NE(log.GetHistoryRecord(0)->text.find("F.ini.tmp"), std::string::npos);
    RemoveDirectoryA((path + ".tmp").c_str());

    // The rename fails (the target is held open without sharing): the temporary file goes.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    log.ClearHistory();
    c.Save();
    CloseHandle(held);
    EXPECT_EQ(ReadText(path), old);
    EXPECT_EQ(log.GetHistorySize(), 1);
    EXPECT_FALSE(TestSupport::FileExists(path + ".tmp"));

    // And once nothing is in the way the save goes through.
    log.ClearHistory();
    c.Save();
    EXPECT_EQ(log.GetHistorySize(), 0);
    EXPECT_NE(ReadText(path).find("v_mode 1600x1200x32\r\n"), std::string::npos);
    TestSupport::RemoveTree(dir);
}

TEST(ConfigFile, ThroughTheFileManagersRoot)
{
    MessageManager log("cfg", false, false, "", "");
    std::string root = TestSupport::MakeTempDir("config_root");
    {
        FileManager files(root, false, "data", 0);
        {
            Config c("settings", "R", false, "", false, false);
            c.ExecuteLine("v_gamma 1.5", nullptr);
            c.Save(); // the folder below the root is created
        }
        EXPECT_NE(ReadText(root + "\\settings\\R.ini").find("v_gamma 1.500000\r\n"), std::string::npos);
        Config c("settings", "R", false, "", false, false);
        c.Load();
        EXPECT_EQ(c.gamma, 1.5f);
    }
    EXPECT_FALSE(TestSupport::FileExists(GetExecutableDirectory() + "\\settings\\R.ini"));
    for (int i = 0; i < log.GetHistorySize(); ++i)
        EXPECT_NE(log.GetHistoryRecord(i)->level, 3u) << log.GetHistoryRecord(i)->text;
    TestSupport::RemoveTree(root);
}
