#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/ResourceTestSupport.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/Texture2D.h"
#include "framework/PlayerFilesTestSupport.h"
#include "puzzle/app/Content.h"
#include "puzzle/app/ContentTestSupport.h"
#include "puzzle/app/LevelManager.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/logic/GameLogicData.h"
#include "tools/formats/CatalogueWriter.h"

using ContentTest::NN;
using GameTools::DataKeeper;
namespace Catalogue = ::Content::Catalogue;

namespace {

// What the catalogue found, in one comparable text.
std::string Summary(const Puzzle::Content& c, const DataKeeper& keeper)
{
    std::string s;
    for (uint32_t t = 0; t < c.GetThemeCount(); ++t)
        s += c.GetThemeName(t) + ":" + std::to_string(c.GetPictureCount(t)) + " ";
    s += "costs " + std::to_string(c.GetThemeCost()) + "/" + std::to_string(c.GetPictureCost()) + " puzzles";
    for (uint32_t u = 0; u < c.GetPuzzleCount(); ++u)
        s += " " + std::to_string(c.GetPuzzleCost(u));
    for (const DataKeeper::PendingResource* r : keeper.GetPendingQueue())
        s += " " + r->name + "=" + r->descriptor->GetStage(0).diffuse;
    return s;
}

// The resource keeper stands on the render services, so these tests run on a
// real device; the data are read from a program folder of the test's own.
class ContentTestBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        try {
            scene.StartResources("content");
        } catch (const KorvaneEngine::Error& e) {
            FAIL() << "render system: " << e.GetMessage();
        }
        s.Start("content", false);
        tree = ContentTest::MakeTree();
        Write(true);
        profiles.reset(new Puzzle::ProfileManager(nullptr, s.userData));
        profiles->SetCurrentProfile(profiles->AddProfile(L"Anna"), true);
    }
    void TearDown() override
    {
        profiles.reset();
        s.Stop();
        scene.StopResources();
    }
    // The tree into the program folder, loose or in one pack.
    void Write(bool loose)
    {
        s.files.reset();
        TestSupport::RemoveTree(s.root + "\\data");
        std::string error;
        ASSERT_TRUE(tree.Write(s.root, loose, &error)) << error;
        s.OpenFiles();
    }
    std::unique_ptr<Puzzle::Content> Open(DataKeeper* keeper)
    {
        return std::unique_ptr<Puzzle::Content>(new Puzzle::Content(profiles.get(), keeper));
    }
    std::string FatalOf()
    {
        DataKeeper keeper("en");
        try {
            Open(&keeper);
        } catch (const KorvaneEngine::FatalError& e) {
            EXPECT_EQ(s.CountWith(4, "PROGRAM ABORTING: " + e.GetMessage()), 1) << s.Dump();
            return e.GetMessage();
        }
        return "";
    }
    Puzzle::Profile* Current() { return profiles->GetCurrentPuzzleProfile(); }

    ResourceTest::ResourceScene scene;
    PlayerFilesTest::Services s;
    ::Content::ContentSet tree;
    std::unique_ptr<Puzzle::ProfileManager> profiles;
};

TEST_F(ContentTestBase, TheGeneratedTreeLooseAndPackedGivesTheCatalogueOfTheTable)
{
    // The generator's layout files are the table's.
    std::vector<int> stages(Catalogue::kLevelsPerStage, Catalogue::kLevelsPerStage + Catalogue::kStageCount);
    const std::vector<uint8_t>* levels = tree.Find("data\\levels\\levels.xml");
    ASSERT_NE(levels, nullptr);
    EXPECT_EQ(std::string(levels->begin(), levels->end()), ContentTools::WriteLevelsXml(stages));
    const std::vector<uint8_t>* themes = tree.Find("data\\themes\\themes.xml");
    ASSERT_NE(themes, nullptr);
    EXPECT_EQ(std::string(themes->begin(), themes->end()),
              "<content>\n  <theme_cost>1000</theme_cost>\n  <picture_cost>300</picture_cost>\n</content>\n");
    EXPECT_EQ(Catalogue::kPuzzleCosts[0], 0);

    std::string loose;
    {
        DataKeeper keeper("en");
        auto c = Open(&keeper);
        std::vector<std::string> names;
        for (const auto& t : Catalogue::kThemes)
            names.push_back(t.folder);
        std::sort(names.begin(), names.end());
        ASSERT_EQ(c->GetThemeNames(), names);
        for (uint32_t t = 0; t < c->GetThemeCount(); ++t)
            for (const auto& entry : Catalogue::kThemes)
                if (names[t] == entry.folder) {
                    EXPECT_EQ(c->GetPictureCount(t), static_cast<uint32_t>(entry.pictures)) << entry.folder;
                }
        EXPECT_EQ(c->GetThemeCost(), Catalogue::kThemeCost);
        EXPECT_EQ(c->GetPictureCost(), Catalogue::kPictureCost);
        ASSERT_EQ(c->GetPuzzleCount(), static_cast<uint32_t>(Catalogue::kPuzzleCount));
        for (int u = 0; u < Catalogue::kPuzzleCount; ++u)
            EXPECT_EQ(c->GetPuzzleCost(u), Catalogue::kPuzzleCosts[u]);

        // Every preview is pending under its name, from its own file.
        std::vector<std::string> pending;
        for (const DataKeeper::PendingResource* r : keeper.GetPendingQueue()) {
            pending.push_back(r->name);
            EXPECT_EQ(r->kind, DataKeeper::kShader);
            ASSERT_NE(r->descriptor, nullptr);
        }
        std::vector<std::string> wanted;
        for (uint32_t t = 0; t < c->GetThemeCount(); ++t)
            for (uint32_t p = 0; p < c->GetPictureCount(t); ++p)
                wanted.push_back("themes/" + names[t] + "/preview_" + NN(p));
        for (int u = 0; u < Catalogue::kPuzzleCount; ++u)
            wanted.push_back("puzzles/" + NN(u) + "/preview");
        EXPECT_EQ(pending, wanted);
        EXPECT_EQ(keeper.GetPendingQueue()[1]->descriptor->GetStage(0).diffuse,
                  "themes\\" + names[0] + "\\01_preview.jpg");
        EXPECT_EQ(keeper.GetPendingQueue().back()->descriptor->GetStage(0).diffuse,
                  "puzzles\\" + NN(Catalogue::kPuzzleCount - 1) + "\\preview.jpg");

        // The choice in the profile names the three files.
        Current()->SetSelectedTheme(1);
        Current()->SetSelectedPicture(1);
        Current()->SetSelectedPuzzle(2);
        Current()->SetSelectedSize(3);
        Puzzle::GameLogicData data("en", nullptr, nullptr);
        s.log->ClearHistory();
        c->FillGameLogicData(&data);
        EXPECT_EQ(data.picturePath, "data\\themes\\" + names[1] + "\\01.jpg");
        EXPECT_EQ(data.colorsPath, "data\\themes\\" + names[1] + "\\01.xml");
        EXPECT_EQ(data.puzzlePath, "data\\puzzles\\02\\puzzle_03.pzf");
        EXPECT_TRUE(s.files->FileExists(data.picturePath));
        EXPECT_TRUE(s.files->FileExists(data.colorsPath));
        EXPECT_TRUE(s.files->FileExists(data.puzzlePath));
        EXPECT_EQ(s.Errors(), 0) << s.Dump();
        loose = Summary(*c, keeper);
    }
    // The same tree in a pack is the same catalogue.
    Write(false);
    ASSERT_TRUE(TestSupport::FileExists(s.root + "\\data\\pelloria.pak"));
    ASSERT_FALSE(TestSupport::FileExists(s.root + "\\data\\themes"));
    DataKeeper keeper("en");
    auto c = Open(&keeper);
    EXPECT_EQ(Summary(*c, keeper), loose);
    // And the levels file of the pack is the progression of the table.
    Puzzle::LevelManager progression;
    EXPECT_EQ(progression.GetStageCount(), static_cast<uint32_t>(Catalogue::kStageCount));
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
}

TEST_F(ContentTestBase, FoldersAsAPlayerMightLeaveThem)
{
    const std::string themes = s.root + "\\data\\themes\\";
    // A capitalised folder is catalogued under its lower-case name.
    ASSERT_TRUE(MoveFileA((themes + "gardens").c_str(), (themes + "Gardens").c_str()));
    // A theme called "previews": its pictures are told from their previews
    // by the file name alone.
    CreateDirectoryA((themes + "previews").c_str(), nullptr);
    for (int p = 0; p < 2; ++p) {
        ASSERT_TRUE(TestSupport::WriteFileBytes(themes + "previews\\" + NN(p) + ".jpg", ContentTest::Jpeg(8, 8, p)));
        ASSERT_TRUE(
            TestSupport::WriteFileBytes(themes + "previews\\" + NN(p) + "_preview.jpg", ContentTest::Jpeg(8, 8, p)));
    }
    // A theme without pictures, and files that are no pictures of a theme.
    CreateDirectoryA((themes + "empty").c_str(), nullptr);
    ASSERT_TRUE(TestSupport::WriteFileText(themes + "empty\\readme.txt", "nothing"));
    ASSERT_TRUE(TestSupport::WriteFileText(themes + "mosaics\\notes.txt", "x"));
    ASSERT_TRUE(TestSupport::WriteFileText(themes + "mosaics\\00.jpg.bak", "x"));
    CreateDirectoryA((themes + "mosaics\\old").c_str(), nullptr);
    ASSERT_TRUE(TestSupport::WriteFileBytes(themes + "mosaics\\old\\00.jpg", ContentTest::Jpeg(8, 8, 1)));
    s.OpenFiles();
    DataKeeper keeper("en");
    auto c = Open(&keeper);
    EXPECT_EQ(c->GetThemeNames(), (std::vector<std::string>{"empty", "gardens", "landscapes", "mosaics", "previews"}));
    EXPECT_EQ(c->GetPictureCount(0), 0u);
    EXPECT_EQ(c->GetPictureCount(1), 2u);
    EXPECT_EQ(c->GetPictureCount(3), 4u);
    EXPECT_EQ(c->GetPictureCount(4), 2u);
    EXPECT_EQ(c->GetPictureCount(5), 0u);
    EXPECT_EQ(c->GetThemeName(5), "");
    EXPECT_EQ(keeper.GetPendingQueue()[0]->name, "themes/gardens/preview_00");

    // The same in a pack: deeper files and near names are left out there too.
    ::Content::ContentSet odd = tree;
    odd.Add("data\\themes\\mosaics\\old\\00.jpg", ContentTest::Jpeg(8, 8, 1));
    odd.AddText("data\\themes\\mosaics\\00.jpg.bak", "x");
    odd.Add("data\\themes\\previews\\00.jpg", ContentTest::Jpeg(8, 8, 1));
    odd.Add("data\\themes\\previews\\00_preview.jpg", ContentTest::Jpeg(8, 8, 1));
    tree = odd;
    Write(false);
    DataKeeper packed("en");
    c = Open(&packed);
    EXPECT_EQ(c->GetThemeNames(), (std::vector<std::string>{"gardens", "landscapes", "mosaics", "previews"}));
    EXPECT_EQ(c->GetPictureCount(2), 4u);
    EXPECT_EQ(c->GetPictureCount(3), 1u);

    // A stray folder among the puzzles is a number without its files: fatal.
    Write(true);
    CreateDirectoryA((s.root + "\\data\\puzzles\\extra").c_str(), nullptr);
    s.OpenFiles();
    EXPECT_EQ(FatalOf(), "Incorrect \"data\\puzzles\\" + NN(Catalogue::kPuzzleCount) + "\\puzzle.xml\" file format");
}

TEST_F(ContentTestBase, BadCostFilesAndMissingFoldersAreFatal)
{
    const std::string themesXml = "data\\themes\\themes.xml";
    const std::string puzzleXml = "data\\puzzles\\01\\puzzle.xml";
    struct Case {
        std::string file, text; // empty text: the file removed
        std::string fatal;
    };
    const std::string badThemes = "Incorrect \"" + themesXml + "\" file format";
    const std::string badPuzzle = "Incorrect \"" + puzzleXml + "\" file format";
    const std::vector<Case> cases = {
        {themesXml, "<content><theme_cost>1000</theme_cost></content>", badThemes},
        {themesXml, "<content><picture_cost>300</picture_cost></content>", badThemes},
        {themesXml, "<content><theme_cost></theme_cost><picture_cost>300</picture_cost></content>", badThemes},
        {themesXml, "<content><theme_cost>-5</theme_cost><picture_cost>300</picture_cost></content>", badThemes},
        {themesXml, "<content><theme_cost>12abc</theme_cost><picture_cost>300</picture_cost></content>", badThemes},
        {themesXml, "<content><theme_cost>1000</theme_cost><picture_cost>99999999999</picture_cost></content>",
            badThemes},
        {themesXml, "<content><theme_cost>1000</picture_cost></theme_cost></content>", badThemes},
        {themesXml, "<content theme_cost=\"1000\" picture_cost=\"300\"/>", badThemes},
        {themesXml, "", badThemes},
        {puzzleXml, "<content></content>", badPuzzle},
        {puzzleXml, "<content><puzzle_cost> </puzzle_cost></content>", badPuzzle},
        {puzzleXml, "<content><puzzle_cost>4.5</puzzle_cost></content>", badPuzzle},
        {puzzleXml, "", badPuzzle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + ": " + c.text);
        const std::string path = s.root + "\\" + c.file;
        const std::vector<unsigned char> good = TestSupport::ReadFileBytes(path);
        if (c.text.empty())
            DeleteFileA(path.c_str());
        else
            ASSERT_TRUE(TestSupport::WriteFileText(path, c.text));
        s.log->ClearHistory();
        EXPECT_EQ(FatalOf(), c.fatal);
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, good));
    }
    // Blanks round a number are allowed.
    ASSERT_TRUE(TestSupport::WriteFileText(s.root + "\\" + puzzleXml, "<content><puzzle_cost> 45 </puzzle_cost></content>"));
    {
        DataKeeper keeper("en");
        EXPECT_EQ(Open(&keeper)->GetPuzzleCost(1), 45);
    }

    // No puzzle at all, then no theme at all.
    TestSupport::RemoveTree(s.root + "\\data\\puzzles");
    s.log->ClearHistory();
    EXPECT_EQ(FatalOf(), "No puzzles in \"data\\puzzles\"");
    TestSupport::RemoveTree(s.root + "\\data\\themes");
    s.log->ClearHistory();
    EXPECT_EQ(FatalOf(), "No themes in \"data\\themes\"");
}

TEST_F(ContentTestBase, AChoiceBeyondTheCatalogueFallsBackToTheFirst)
{
    DataKeeper keeper("en");
    auto c = Open(&keeper);
    std::string picture, colours, puzzle;
    const std::string first = "data\\themes\\" + c->GetThemeName(0) + "\\00";

    struct Case {
        uint32_t theme, picture, puzzle, size;
        int errors;
        std::string picturePath, puzzlePath;
    };
    const uint32_t lastTheme = c->GetThemeCount() - 1;
    const std::string last = "data\\themes\\" + c->GetThemeName(lastTheme) + "\\";
    const std::vector<Case> cases = {
        {lastTheme, c->GetPictureCount(lastTheme) - 1, 2, 3, 0, last + NN(c->GetPictureCount(lastTheme) - 1) + ".jpg",
            "data\\puzzles\\02\\puzzle_03.pzf"},
        {9, 0, 0, 0, 1, first + ".jpg", "data\\puzzles\\00\\puzzle_00.pzf"},
        {lastTheme, 99, 1, 1, 1, last + "00.jpg", "data\\puzzles\\01\\puzzle_01.pzf"},
        {0, 0, 0xFFFFFFFF, 2, 1, first + ".jpg", "data\\puzzles\\00\\puzzle_02.pzf"},
        {0, 0, 1, 7, 1, first + ".jpg", "data\\puzzles\\01\\puzzle_00.pzf"},
        {50, 50, 50, 50, 4, first + ".jpg", "data\\puzzles\\00\\puzzle_00.pzf"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.theme) + " " + std::to_string(k.picture) + " " + std::to_string(k.puzzle) +
                     " " + std::to_string(k.size));
        Current()->SetSelectedTheme(k.theme);
        Current()->SetSelectedPicture(k.picture);
        Current()->SetSelectedPuzzle(k.puzzle);
        Current()->SetSelectedSize(k.size);
        ASSERT_TRUE(Current()->Save());
        s.log->ClearHistory();
        c->GetChoicePaths(&picture, &colours, &puzzle);
        EXPECT_EQ(s.Errors(), k.errors) << s.Dump();
        EXPECT_EQ(picture, k.picturePath);
        EXPECT_EQ(colours, k.picturePath.substr(0, k.picturePath.size() - 3) + "xml");
        EXPECT_EQ(puzzle, k.puzzlePath);
        // What was played is what the profile holds now, on disk too.
        Puzzle::ProfileManager again(nullptr, s.userData);
        Puzzle::Profile* stored = again.GetCurrentPuzzleProfile();
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(stored->GetSelectedTheme(), Current()->GetSelectedTheme());
        EXPECT_EQ(stored->GetSelectedPicture(), Current()->GetSelectedPicture());
        EXPECT_EQ(stored->GetSelectedPuzzle(), Current()->GetSelectedPuzzle());
        EXPECT_EQ(stored->GetSelectedSize(), Current()->GetSelectedSize());
        if (k.errors) {
            EXPECT_EQ(puzzle, "data\\puzzles\\" + NN(stored->GetSelectedPuzzle()) + "\\puzzle_" +
                                  NN(stored->GetSelectedSize()) + ".pzf");
        }
    }

    // A size whose file is gone falls back as well.
    DeleteFileA((s.root + "\\data\\puzzles\\01\\puzzle_02.pzf").c_str());
    Current()->SetSelectedPuzzle(1);
    Current()->SetSelectedSize(2);
    s.log->ClearHistory();
    c->GetChoicePaths(nullptr, nullptr, &puzzle);
    EXPECT_EQ(puzzle, "data\\puzzles\\01\\puzzle_00.pzf");
    EXPECT_EQ(s.Errors(), 1);

    // Without a current profile: the first of everything, logged.
    profiles->SetCurrentProfile(nullptr, false);
    s.log->ClearHistory();
    c->GetChoicePaths(&picture, nullptr, &puzzle);
    EXPECT_EQ(picture, first + ".jpg");
    EXPECT_EQ(puzzle, "data\\puzzles\\00\\puzzle_00.pzf");
    EXPECT_EQ(s.Errors(), 1);
}

TEST_F(ContentTestBase, LoadingTheGameDataMakesThePreviewsAtTheirPictureSizes)
{
    Write(false);
    DataKeeper keeper("en");
    auto content = Open(&keeper);
    const size_t pending = keeper.GetPendingQueue().size();
    ASSERT_GT(pending, 0u);
    s.log->ClearHistory();
    keeper.LoadAll();
    EXPECT_EQ(s.Errors(), 0) << s.Dump();

    uint32_t checked = 0;
    auto check = [&](const std::string& name, const std::string& file) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t>* bytes = tree.Find(file);
        ASSERT_NE(bytes, nullptr);
        const auto size = ContentTest::JpegSize(*bytes);
        ASSERT_NE(size.first, 0u);
        ASSERT_EQ(keeper.GetShaderUsers().count(name), 1u);
        KorvaneEngine::ShaderUser* user = keeper.GetShaderUser(name);
        ASSERT_NE(user, keeper.GetDefaultShaderUser());
        KorvaneEngine::Texture2D* texture = user->GetShader()->GetTexture(0, 0);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetWidth(), size.first);
        EXPECT_EQ(texture->GetHeight(), size.second);
        ++checked;
    };
    for (uint32_t t = 0; t < content->GetThemeCount(); ++t)
        for (uint32_t p = 0; p < content->GetPictureCount(t); ++p)
            check("themes/" + content->GetThemeName(t) + "/preview_" + NN(p),
                "data\\themes\\" + content->GetThemeName(t) + "\\" + NN(p) + "_preview.jpg");
    for (uint32_t u = 0; u < content->GetPuzzleCount(); ++u)
        check("puzzles/" + NN(u) + "/preview", "data\\puzzles\\" + NN(u) + "\\preview.jpg");
    EXPECT_EQ(checked, pending);
}

} // namespace
