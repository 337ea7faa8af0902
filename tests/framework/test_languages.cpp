// Choosing the language from the real registry and the font folders the file
// manager finds (loose or packed), and what it does to the C library locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <string>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/PackWriter.h"
#include "engine/foundation/StringUtils.h"
#include "framework/LanguageManager.h"
#include "support/ProgramRunner.h"
#include "support/TestSupport.h"

using GameFramework::Language;
using GameFramework::LanguageManager;

namespace {

const char kCompany[] = "Quillfen Games Test";
const char kTitle[] = "test_languages";
const std::string kKey = std::string("SOFTWARE\\") + kCompany + "\\" + kTitle;

std::string Locale(int category)
{
    const char* name = std::setlocale(category, nullptr);
    return KorvaneEngine::ToLowerCopy(std::string(name ? name : ""));
}

class Languages : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestSupport::ClearUserData(kCompany, kTitle);
        dir = TestSupport::MakeTempDir("languages");
        log = std::make_unique<KorvaneEngine::MessageManager>("Languages test", false, false, "", "");
    }
    void TearDown() override
    {
        files.reset();
        log.reset();
        TestSupport::ClearUserData(kCompany, kTitle);
        TestSupport::RemoveTree(dir);
        std::setlocale(LC_ALL, "C");
    }
    // Loose font folders for the given codes (each with one file, as the
    // shipped fonts), then a file manager over them.
    void Fonts(const std::vector<std::string>& codes)
    {
        files.reset();
        TestSupport::RemoveTree(dir + "\\data");
        for (const std::string& code : codes) {
            CreateDirectoryA((dir + "\\data").c_str(), nullptr);
            CreateDirectoryA((dir + "\\data\\ui").c_str(), nullptr);
            CreateDirectoryA((dir + "\\data\\ui\\fonts").c_str(), nullptr);
            CreateDirectoryA((dir + "\\data\\ui\\fonts\\" + code).c_str(), nullptr);
            TestSupport::WriteFileText(dir + "\\data\\ui\\fonts\\" + code + "\\menu.kefnt", "x");
        }
        files = std::make_unique<KorvaneEngine::FileManager>(dir, true, "data", 0);
    }
    std::string dir;
    std::unique_ptr<KorvaneEngine::MessageManager> log;
    std::unique_ptr<KorvaneEngine::FileManager> files;
};

TEST_F(Languages, TheTableAndLookUpIgnoringCase)
{
    Fonts({"en"});
    LanguageManager m(kKey);
    ASSERT_EQ(m.GetLanguages().size(), 8u);
    const char* const codes[] = {"en", "ru", "ge", "fr", "it", "sp", "jp", "cz"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(m.GetLanguages()[i]->code, codes[i]);
    const Language* en = m.FindLanguage("EN");
    ASSERT_NE(en, nullptr);
    EXPECT_EQ(en->name, "english");
    EXPECT_EQ(en->layoutId, 0x0409u);
    EXPECT_EQ(m.FindLanguage("Cz")->layoutId, 0x0405u);
    EXPECT_EQ(m.FindLanguage("xx"), nullptr);
    EXPECT_EQ(m.FindLanguage(""), nullptr);
    for (const Language* l : m.GetLanguages())
        EXPECT_EQ(l->switchKeyboard, 0);
}

TEST_F(Languages, TheRegistryChoosesWhenItsFontsAreThere)
{
    // Both shipped languages, no value: the first of the table.
    Fonts({"en", "cz"});
    EXPECT_EQ(LanguageManager(kKey).GetLanguage()->code, "en");

    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Language", "cz"));
    {
        LanguageManager m(kKey);
        EXPECT_EQ(m.GetLanguage()->code, "cz");
        EXPECT_EQ(m.GetLanguage()->name, "czech");
        // Only classification and collation follow the language.
        EXPECT_NE(Locale(LC_CTYPE).find("czech"), std::string::npos) << Locale(LC_CTYPE);
        EXPECT_NE(Locale(LC_COLLATE).find("czech"), std::string::npos) << Locale(LC_COLLATE);
        EXPECT_NE(Locale(LC_NUMERIC).find("english"), std::string::npos) << Locale(LC_NUMERIC);
        EXPECT_NE(Locale(LC_MONETARY).find("english"), std::string::npos) << Locale(LC_MONETARY);
        EXPECT_NE(Locale(LC_TIME).find("english"), std::string::npos) << Locale(LC_TIME);
        // Numbers still print with a point.
        char number[16];
        std::snprintf(number, sizeof number, "%.2f", 1.5);
        EXPECT_STREQ(number, "1.50");
    }
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Language", "CZ"));
    EXPECT_EQ(LanguageManager(kKey).GetLanguage()->code, "cz");

    // A value whose fonts are not installed: the first language that has them.
    Fonts({"fr", "cz"});
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Language", "ge"));
    EXPECT_EQ(LanguageManager(kKey).GetLanguage()->code, "fr");
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Language", "..\\cz"));
    EXPECT_EQ(LanguageManager(kKey).GetLanguage()->code, "fr");
    // A folder that exists but is no language of the table: English.
    Fonts({"xx", "cz"});
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Language", "xx"));
    EXPECT_EQ(LanguageManager(kKey).GetLanguage()->code, "en");
    // No fonts at all, no value: English.
    TestSupport::ClearUserData(kCompany, kTitle);
    Fonts({});
    {
        LanguageManager m(kKey);
        EXPECT_EQ(m.GetLanguage()->code, "en");
        EXPECT_NE(Locale(LC_CTYPE).find("english"), std::string::npos) << Locale(LC_CTYPE);
    }
}

TEST_F(Languages, FontFoldersInAPackCount)
{
    Fonts({});
    files.reset();
    CreateDirectoryA((dir + "\\data").c_str(), nullptr);
    std::vector<KorvaneEngine::PackInput> entries(1);
    entries[0].name = "ui\\fonts\\cz\\menu.kefnt";
    entries[0].data = {1, 2, 3};
    std::string reason;
    ASSERT_TRUE(KorvaneEngine::WritePackFile(dir + "\\data\\fonts.pak", entries, &reason)) << reason;
    files = std::make_unique<KorvaneEngine::FileManager>(dir, true, "data", 0);
    ASSERT_EQ(files->GetPackCount(), 1u);
    EXPECT_EQ(LanguageManager(kKey).GetLanguage()->code, "cz");
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Language", "en"));
    EXPECT_EQ(LanguageManager(kKey).GetLanguage()->code, "cz");
}

} // namespace
