#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "framework/PlayerFilesTestSupport.h"
#include "puzzle/app/LevelManager.h"
#include "tools/content/Catalogue.h"
#include "tools/formats/CatalogueWriter.h"

using GameFramework::Level;
using GameFramework::Stage;

namespace {

class LevelManagerTest : public ::testing::Test {
protected:
    void SetUp() override { s.Start("levels"); }
    void TearDown() override { s.Stop(); }

    void PutLevels(const std::string& text) { s.PutData("levels\\levels.xml", text); }

    // The fatal message of a load that must fail, or "" when it loaded.
    std::string FatalOf()
    {
        try {
            Puzzle::LevelManager levels;
        } catch (const KorvaneEngine::FatalError& e) {
            return e.GetMessage();
        }
        return "";
    }

    PlayerFilesTest::Services s;
};

const char kFormatError[] = "Incorrect \"data\\levels\\levels.xml\" file format";

TEST_F(LevelManagerTest, ShippedTableGivesStagesSuccessorsAndTheLogLine)
{
    PutLevels(ContentTools::WriteLevelsXml({3, 2}));
    Puzzle::LevelManager levels;
    ASSERT_EQ(levels.GetStageCount(), 2u);
    EXPECT_EQ(levels.GetLevelCount(0), 3u);
    EXPECT_EQ(levels.GetLevelCount(1), 2u);
    EXPECT_EQ(levels.GetTotalLevelCount(), 5u);
    EXPECT_EQ(s.CountWith(0, "\nLevel Manager: Found 2 stages with 5 levels..."), 1) << s.Dump();
    EXPECT_EQ(s.log->GetHistoryRecord(s.log->GetHistorySize() - 1)->text,
              "\nLevel Manager: Found 2 stages with 5 levels...");

    EXPECT_EQ(levels.NextPosition(Level(0, 0)), Level(0, 1));
    EXPECT_EQ(levels.NextPosition(Level(0, 2)), Level(1, 0));
    EXPECT_EQ(levels.NextPosition(Level(1, 0)), Level(1, 1));
    EXPECT_EQ(levels.NextPosition(Level(1, 1)), Level(1, 1));
    EXPECT_TRUE(levels.IsLastLevel(Level(1, 1)));
    EXPECT_FALSE(levels.IsLastLevel(Level(0, 2)));
    EXPECT_FALSE(levels.IsLastLevel(Level(1, 0)));
    EXPECT_EQ(levels.GetLastPosition(), Level(1, 1));

    // Records hold their own place; the stage record is the one of the position.
    for (uint32_t st = 0; st < 2; ++st)
        for (uint32_t l = 0; l < levels.GetLevelCount(st); ++l) {
            Level* level = levels.GetLevel(Level(st, l));
            ASSERT_NE(level, nullptr);
            EXPECT_EQ(*level, Level(st, l));
            std::vector<std::string> resources;
            Stage* stage = levels.GetStage(Level(st, l), &resources);
            ASSERT_NE(stage, nullptr);
            EXPECT_EQ(stage->stageIndex, st);
            EXPECT_EQ(stage->levelCount, levels.GetLevelCount(st));
            EXPECT_TRUE(resources.empty());
        }
}

TEST_F(LevelManagerTest, PositionsOutsideTheFileAreNeverFollowed)
{
    PutLevels(ContentTools::WriteLevelsXml({3, 2}));
    Puzzle::LevelManager levels;
    // A damaged profile may hold any position: nothing indexes past the lists.
    for (Level bad : {Level(0, 3), Level(1, 2), Level(2, 0), Level(7, 7), Level(0xFFFFFFFF, 0), Level(0, 0xFFFFFFFF),
             Level(0xFFFFFFFF, 0xFFFFFFFF)}) {
        EXPECT_FALSE(levels.IsValidPosition(bad));
        EXPECT_EQ(levels.GetLevel(bad), nullptr);
        EXPECT_EQ(levels.NextPosition(bad), Level(0, 0));
        EXPECT_FALSE(levels.IsLastLevel(bad));
    }
    EXPECT_EQ(levels.GetStage(Level(2, 0), nullptr), nullptr);
    EXPECT_EQ(levels.GetStageAt(2), nullptr);
    EXPECT_EQ(levels.GetLevelCount(2), 0u);
}

TEST_F(LevelManagerTest, NamesAttributesCommentsAndDeclarationsChangeNothing)
{
    PutLevels("<?xml version=\"1.0\"?>\n"
              "<!-- progression -->\n"
              "<levels count=\"9\" kind='x'>\n"
              "  <!-- first stage -->\n"
              "  <chapter name=\"spring\" levels=\"7\"><a/><b time=\"3\"></b><!-- not a level --><c/></chapter>\n"
              "  <stage><level id=\"1\">text</level><x/></stage>\n"
              "</levels>\n");
    Puzzle::LevelManager levels;
    ASSERT_EQ(levels.GetStageCount(), 2u);
    EXPECT_EQ(levels.GetLevelCount(0), 3u);
    EXPECT_EQ(levels.GetLevelCount(1), 2u);
    EXPECT_EQ(levels.GetStageAt(0)->levelCount, 3u);
    EXPECT_TRUE(levels.IsLastLevel(Level(1, 1)));
    EXPECT_EQ(s.CountWith(0, "Found 2 stages with 5 levels..."), 1);
}

TEST_F(LevelManagerTest, BadFilesAreFatalNamingTheFile)
{
    const std::string aborting = std::string("PROGRAM ABORTING: ") + kFormatError;
    struct Case {
        const char* what;
        const char* text; // null: no file
    } cases[] = {
        {"missing", nullptr},
        {"malformed", "<levels><stage><level/></stage></levels"},
        {"an unclosed quote", "<levels><stage a=\"1><level/></stage></levels>"},
        {"mismatched", "<levels><stage><level></stage></level></levels>"},
        {"empty", ""},
        {"another top element", "<progression><stage><level/></stage></progression>"},
        {"no stage", "<levels></levels>"},
        {"self-closed levels", "<levels/>"},
        {"a stage without levels", "<levels><stage><level/></stage><stage/></levels>"},
        {"only an empty stage", "<levels><stage><!-- none --></stage></levels>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::RemoveTree(s.Data("levels"));
        if (c.text)
            PutLevels(c.text);
        s.log->ClearHistory();
        EXPECT_EQ(FatalOf(), kFormatError);
        EXPECT_EQ(s.CountWith(4, aborting), 1) << s.Dump();
        EXPECT_EQ(s.CountWith(0, "Level Manager: Found"), 0);
    }
}

TEST_F(LevelManagerTest, AReloadReplacesTheProgression)
{
    PutLevels(ContentTools::WriteLevelsXml({1}));
    Puzzle::LevelManager levels;
    EXPECT_TRUE(levels.IsLastLevel(Level(0, 0)));
    EXPECT_EQ(levels.NextPosition(Level(0, 0)), Level(0, 0));

    PutLevels(ContentTools::WriteLevelsXml({2, 1, 4}));
    levels.Load();
    ASSERT_EQ(levels.GetStageCount(), 3u);
    EXPECT_EQ(levels.GetTotalLevelCount(), 7u);
    EXPECT_EQ(levels.NextPosition(Level(0, 1)), Level(1, 0));
    EXPECT_EQ(levels.NextPosition(Level(1, 0)), Level(2, 0));
    EXPECT_EQ(levels.GetLastPosition(), Level(2, 3));

    // A failed reload keeps what was loaded before it.
    PutLevels("<levels><stage/></levels>");
    EXPECT_THROW(levels.Load(), KorvaneEngine::FatalError);
    EXPECT_EQ(levels.GetTotalLevelCount(), 7u);
}

TEST_F(LevelManagerTest, TheShippedContentTableIsAValidProgression)
{
    std::vector<int> stages(Content::Catalogue::kLevelsPerStage,
        Content::Catalogue::kLevelsPerStage + Content::Catalogue::kStageCount);
    PutLevels(ContentTools::WriteLevelsXml(stages));
    Puzzle::LevelManager levels;
    ASSERT_EQ(levels.GetStageCount(), static_cast<uint32_t>(Content::Catalogue::kStageCount));
    // Walking the successors from the start visits every level once and ends
    // on the last one, which is its own successor.
    Level p;
    uint32_t visited = 1;
    while (!levels.IsLastLevel(p)) {
        Level next = levels.NextPosition(p);
        ASSERT_TRUE(p < next);
        p = next;
        ASSERT_LE(++visited, levels.GetTotalLevelCount());
    }
    EXPECT_EQ(visited, levels.GetTotalLevelCount());
    EXPECT_EQ(levels.NextPosition(p), p);
}

} // namespace
