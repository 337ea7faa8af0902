// What the loader learns before any engine service exists, from the real
// registry and the real publisher file beside this program (this folder is
// its own: no other test keeps a data folder here).
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/foundation/ExecutableDirectory.h"
#include "framework/GameLoaderBase.h"
#include "support/ProgramRunner.h"
#include "support/TestSupport.h"

using GameFramework::GameLoaderBase;

namespace {

const char kCompany[] = "Quillfen Games Test";
const char kTitle[] = "test_game_loader";

class Loader : public GameLoaderBase {
public:
    Loader() : GameLoaderBase(GetModuleHandleA(nullptr), nullptr, "-x", SW_SHOW, kCompany, kTitle, 100) {}
    GameFramework::GameBase* CreateGame() override { return nullptr; }
};

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestSupport::ClearUserData(kCompany, kTitle);
        data = KorvaneEngine::GetExecutableDirectory() + "\\data";
        TestSupport::RemoveTree(data);
    }
    void TearDown() override
    {
        TestSupport::ClearUserData(kCompany, kTitle);
        TestSupport::RemoveTree(data);
    }
    std::string Publisher(const std::string& xml)
    {
        CreateDirectoryA(data.c_str(), nullptr);
        EXPECT_TRUE(TestSupport::WriteFileText(data + "\\publisher.xml", xml));
        return Loader().GetPublisherName();
    }
    std::string data;
};

TEST_F(LoaderTest, VersionFromTheRegistryOrTheDefault)
{
    Loader none;
    EXPECT_EQ(none.GetVersion(), 100);
    EXPECT_EQ(none.GetRegistryKeyPath(), std::string("SOFTWARE\\") + kCompany + "\\" + kTitle);
    EXPECT_EQ(none.GetProgramDirectory(), KorvaneEngine::GetExecutableDirectory());
    EXPECT_EQ(none.GetGame(), nullptr);

    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Version", "105"));
    EXPECT_EQ(Loader().GetVersion(), 105);
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Version", "abc"));
    EXPECT_EQ(Loader().GetVersion(), 0);
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Version", "12.5"));
    EXPECT_EQ(Loader().GetVersion(), 12);
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Version", "-5"));
    EXPECT_EQ(Loader().GetVersion(), 0);
    ASSERT_TRUE(TestSupport::SetRegistryString(kCompany, kTitle, "Version", "99999999999999"));
    EXPECT_EQ(Loader().GetVersion(), INT_MAX);
}

TEST_F(LoaderTest, PublisherFromItsFileMadeSafeForAFolderName)
{
    EXPECT_EQ(Loader().GetPublisherName(), "default") << "no file";
    EXPECT_EQ(Publisher("<publisher name=\"Demo Works-2_b.c\"/>"), "Demo Works-2_b.c");
    EXPECT_EQ(Publisher("<?xml version=\"1.0\"?>\n<publisher id=\"3\"/>"), "default") << "no name";
    EXPECT_EQ(Publisher("<vendor name=\"x\"/>"), "default") << "no publisher element";
    EXPECT_EQ(Publisher("<publisher name=\"x\""), "default") << "malformed";
    EXPECT_EQ(Publisher(""), "default") << "empty";
    EXPECT_EQ(Publisher("<publisher name=\"\"/>"), "default");
    // Nothing that leaves the folder or names a device or a stream.
    EXPECT_EQ(Publisher("<publisher name=\"..\\..\\x\"/>"), "....x");
    EXPECT_EQ(Publisher("<publisher name=\"a:b\"/>"), "ab");
    EXPECT_EQ(Publisher("<publisher name=\"\\\\\"/>"), "default");
    EXPECT_EQ(Publisher("<publisher name=\"..\"/>"), "default");
    EXPECT_EQ(Publisher("<publisher name=\"C:\\Windows\"/>"), "CWindows");
    EXPECT_EQ(Publisher("<publisher name=\" Tail . \"/>"), "Tail");
    const std::string longName(100, 'q');
    EXPECT_EQ(Publisher("<publisher name=\"" + longName + "\"/>"), longName.substr(0, 64));
}

TEST(LoaderRules, SafeNamesAndVersions)
{
    EXPECT_EQ(GameLoaderBase::SafeFolderName("a/b*c?d\"e<f>g|h"), "abcdefgh");
    EXPECT_EQ(GameLoaderBase::SafeFolderName("..."), "default");
    EXPECT_EQ(GameLoaderBase::SafeFolderName("   "), "default");
    EXPECT_EQ(GameLoaderBase::SafeFolderName("\xC5\xA0koda"), "koda");
    EXPECT_EQ(GameLoaderBase::ParseVersion(""), 0);
    EXPECT_EQ(GameLoaderBase::ParseVersion("0105"), 105);
    EXPECT_EQ(GameLoaderBase::ParseVersion(" 7"), 0);
}

} // namespace
