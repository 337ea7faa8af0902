#include <gtest/gtest.h>

#include <windows.h>

#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/foundation/Config.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/Random.h"
#include "framework/SoundController.h"
#include "framework/PlayerFilesTestSupport.h"
#include "puzzle/app/LevelManager.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/app/ProfileTestSupport.h"
#include "tools/formats/CatalogueWriter.h"

using GameFramework::Level;
using GameFramework::LevelResult;
using GameFramework::ProfileBase;
using PlayerFilesTest::Bytes;
using PlayerFilesTest::Image;
using ProfileTest::Fields;

namespace {

std::string LowerLetters(const std::wstring& name)
{
    std::string out;
    for (wchar_t c : name) {
        if (c >= L'A' && c <= L'Z')
            out.push_back(static_cast<char>(c - L'A' + 'a'));
        else if (c >= L'a' && c <= L'z')
            out.push_back(static_cast<char>(c));
    }
    return out;
}

class ProfilesTest : public ::testing::Test {
protected:
    void SetUp() override { s.Start("profiles"); }
    void TearDown() override { s.Stop(); }

    std::unique_ptr<Puzzle::ProfileManager> Open()
    {
        return std::unique_ptr<Puzzle::ProfileManager>(new Puzzle::ProfileManager(nullptr, s.userData));
    }
    std::string Profiles() const { return s.User("profiles"); }
    std::string List() const { return s.User("profiles.pmf"); }
    static Puzzle::Profile* P(ProfileBase* p) { return static_cast<Puzzle::Profile*>(p); }
    static std::vector<std::wstring> Names(const Puzzle::ProfileManager& m)
    {
        std::vector<std::wstring> names;
        for (ProfileBase* p : m.GetProfiles())
            names.push_back(p->GetDisplayName());
        return names;
    }
    // The list file the program writes for a current name and no records.
    static Bytes ListImage(const std::wstring& current) { return Image("VQPMF", 100).WString(current).U32(0).Done(); }

    PlayerFilesTest::Services s;
};

TEST_F(ProfilesTest, NewPlayersAreStoredRebuiltRenamedAndDeleted)
{
    auto m = Open();
    EXPECT_TRUE(m->GetProfiles().empty());
    EXPECT_EQ(m->GetCurrentProfile(), nullptr);
    EXPECT_EQ(TestSupport::ReadFileBytes(List()), ListImage(L""));

    ProfileBase* anna = m->AddProfile(L" Anna ");
    ProfileBase* bob = m->AddProfile(L"bob");
    ProfileBase* carl = m->AddProfile(L"Carl");
    ASSERT_TRUE(anna && bob && carl);
    EXPECT_EQ(m->AddProfile(L"ANNA"), anna);
    EXPECT_EQ(m->GetProfiles().size(), 3u);
    EXPECT_EQ(Names(*m), (std::vector<std::wstring>{L"Anna", L"bob", L"Carl"}));
    EXPECT_EQ(m->FindProfile(L"  carl "), carl);
    for (ProfileBase* p : {anna, bob, carl}) {
        const std::string f = p->GetFileName();
        ASSERT_EQ(f.size(), 20u) << f;
        EXPECT_EQ(f.find('_'), LowerLetters(p->GetDisplayName()).size()) << f;
        EXPECT_EQ(f.substr(16), ".prf");
        EXPECT_EQ(P(p)->GetClassValue(), 2);
    }

    // The whole file of a new player, base part and puzzle part.
    Fields fields;
    fields.name = L"Anna";
    const Bytes expected = ProfileTest::ProfileImage(fields).Done();
    const Bytes stored = TestSupport::ReadFileBytes(anna->GetFilePath());
    EXPECT_EQ(stored, expected);
    // After the base part: three flags, four zero words, the lists {1: 0},
    // {2: 0, 0}, {1: 0} and 1500 stars.
    const Bytes puzzlePart(stored.end() - 51, stored.end());
    EXPECT_EQ(puzzlePart, (Bytes{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                              2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xDC, 0x05, 0, 0}));
    EXPECT_EQ(Bytes(stored.begin() + 13, stored.begin() + 23),
              (Bytes{5, 'A', 0, 'n', 0, 'n', 0, 'a', 0, 0}));

    // Play changes every field; the list gets a current player and records.
    Puzzle::Profile* b = P(bob);
    m->SetCurrentProfile(bob, true);
    b->SetPlayValue(1);
    b->SetCarryOverValue(7);
    b->SetTotalScore(4321);
    b->SetCurrentPosition(Level(1, 0));
    b->SetReachedPosition(Level(1, 1), true);
    for (float t : {61.5f, 58.25f}) {
        LevelResult* r = new LevelResult;
        r->playValue = 1;
        r->stageIndex = 0;
        r->levelIndex = 2;
        r->time = t;
        b->AddLevelResult(r);
    }
    b->SetExtraValue(9);
    b->SetSavedGame(true);
    b->SetMusicVolume(0.25f);
    b->SetSoundVolume(0.75f);
    b->SetFlag(2, false);
    b->SetSelectedTheme(1);
    b->SetSelectedPicture(3);
    b->SetSelectedPuzzle(2);
    b->SetSelectedSize(1);
    b->GetListA().push_back(1);
    b->GetListB().insert(b->GetListB().end(), {1, 0, 1, 3});
    b->GetListC().push_back(2);
    b->SetStars(200);
    ASSERT_TRUE(b->Save());
    EXPECT_TRUE(m->AddRecord(Level(0, 2), b->GetDisplayName(), 1, 58.25f));
    EXPECT_TRUE(m->AddRecord(Level(0, 1), L"Anna", 0, 12.0f));

    std::vector<std::string> before;
    for (ProfileBase* p : m->GetProfiles())
        before.push_back(ProfileTest::Describe(*P(p)));
    const Bytes list = TestSupport::ReadFileBytes(List());
    m.reset();

    // A rebuilt manager: same order, same current, every field, same records.
    m = Open();
    std::vector<std::string> after;
    for (ProfileBase* p : m->GetProfiles())
        after.push_back(ProfileTest::Describe(*P(p)));
    EXPECT_EQ(after, before);
    // The total time counted every recorded time; read back, the best ones.
    EXPECT_FLOAT_EQ(m->FindProfile(L"bob")->GetTotalTime(), 58.25f);
    ASSERT_NE(m->GetCurrentProfile(), nullptr);
    EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"bob");
    EXPECT_FALSE(m->GetCurrentProfile()->IsNewProfile());
    ASSERT_EQ(m->GetRecords().size(), 2u);
    EXPECT_EQ(m->FindRecord(Level(0, 2), 1)->holderName, L"bob");
    EXPECT_EQ(m->FindRecord(Level(0, 1), 0)->time, 12.0f);
    EXPECT_EQ(TestSupport::ReadFileBytes(List()), list);
    EXPECT_EQ(s.Errors(), 0) << s.Dump();

    // Rename keeps the file name and reorders the list.
    ProfileBase* c = m->FindProfile(L"Carl");
    const std::string carlFile = c->GetFileName();
    EXPECT_TRUE(m->RenameProfile(L"carl", L" Aaron "));
    EXPECT_EQ(c->GetDisplayName(), L"Aaron");
    EXPECT_EQ(c->GetFileName(), carlFile);
    EXPECT_EQ(Names(*m), (std::vector<std::wstring>{L"Aaron", L"Anna", L"bob"}));
    EXPECT_FALSE(m->RenameProfile(L"Aaron", L"BOB"));  // another player's name
    EXPECT_FALSE(m->RenameProfile(L"Aaron", L"aaron")); // letter case alone
    EXPECT_FALSE(m->RenameProfile(L"nobody", L"Zed"));
    EXPECT_FALSE(m->RenameProfile(L"Aaron", L"   "));
    EXPECT_EQ(c->GetDisplayName(), L"Aaron");
    // The current player renamed: the list holds the new name.
    EXPECT_TRUE(m->RenameProfile(L"bob", L"Bobby"));
    m.reset();
    m = Open();
    EXPECT_EQ(Names(*m), (std::vector<std::wstring>{L"Aaron", L"Anna", L"Bobby"}));
    EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"Bobby");
    EXPECT_EQ(m->FindProfile(L"aaron")->GetFileName(), carlFile);

    // Deleting the current player removes file and folder; the first
    // remaining player becomes current.
    ProfileBase* cur = m->GetCurrentProfile();
    const std::string curFile = cur->GetFilePath(), curFolder = cur->GetFolderPath();
    ASSERT_TRUE(CreateDirectoryA(curFolder.c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteFileText(curFolder + "\\saved.bin", "x"));
    EXPECT_TRUE(m->DeleteProfile(L"BOBBY"));
    EXPECT_FALSE(TestSupport::FileExists(curFile));
    EXPECT_FALSE(TestSupport::FileExists(curFolder));
    ASSERT_NE(m->GetCurrentProfile(), nullptr);
    EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"Aaron");
    EXPECT_FALSE(m->DeleteProfile(L"Bobby"));
    EXPECT_TRUE(m->DeleteProfile(L"Anna"));
    EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"Aaron");
    EXPECT_TRUE(m->DeleteProfile(L"Aaron"));
    EXPECT_EQ(m->GetCurrentProfile(), nullptr);
    EXPECT_TRUE(m->GetProfiles().empty());
    EXPECT_EQ(PlayerFilesTest::ListFiles(Profiles()), std::vector<std::string>());
    // No current player: an empty name, the records kept.
    const Bytes last = TestSupport::ReadFileBytes(List());
    ASSERT_GE(last.size(), 20u);
    EXPECT_EQ(Bytes(last.begin() + 13, last.begin() + 16), (Bytes{1, 0, 0}));
    EXPECT_EQ(PlayerFilesTest::U32At(last, 16), 2u);
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
}

TEST_F(ProfilesTest, EveryKindOfNameSurvivesARestart)
{
    const std::wstring twenty = L"Abcdefghijklmnopqrst";
    const std::vector<std::wstring> names = {
        std::wstring(254, L'L'),
        std::wstring(300, L'M'),
        std::wstring(253, L'P') + L"\xD83D\xDE00" + L"x",
        L"\xD83C\xDF3B Sunny \xD83C\xDF3B",
        L"\x017D\x006C\x0075\x0165\x006F\x0075\x010D\x006B\x00FD \x006B\x016F\x0148",
        L"\x5C71\x7530\x592A\x90CE",
        L"0123456789",
        L"..\\..\\x",
        L"C:",
        L"CON",
        L"a/b*?",
        twenty,
        L"Abcdefghijklmnopqrstuvwxyzabcdefghijklmn",
        L"abcdefghij klmnopqrst",
    };
    std::vector<std::wstring> expected;
    {
        auto m = Open();
        for (const std::wstring& n : names) {
            ProfileBase* p = m->AddProfile(n);
            ASSERT_NE(p, nullptr);
            expected.push_back(ProfileBase::MakeDisplayName(n));
            EXPECT_EQ(p->GetDisplayName(), expected.back());
        }
        EXPECT_EQ(m->GetProfiles().size(), names.size());
        EXPECT_EQ(m->FindProfile(std::wstring(300, L'M'))->GetDisplayName(), std::wstring(254, L'M'));
        EXPECT_EQ(m->FindProfile(twenty)->GetFileName(), "abcdefghijklmnopqrst.prf");
        EXPECT_EQ(m->FindProfile(L"Abcdefghijklmnopqrstuvwxyzabcdefghijklmn")->GetFileName(),
                  "abcdefghijklmnopqrstuvwxyzabcdef.prf");
        m->SetCurrentProfile(m->FindProfile(std::wstring(253, L'P') + L"\xD83D\xDE00"), true);
    }
    auto m = Open();
    ASSERT_EQ(m->GetProfiles().size(), names.size());
    std::set<std::string> files;
    for (const std::wstring& n : expected) {
        ProfileBase* p = m->FindProfile(n);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetDisplayName(), n);
        files.insert(p->GetFileName());
        const std::string f = p->GetFileName();
        EXPECT_EQ(f.substr(f.size() - 4), ".prf");
        for (size_t i = 0; i + 4 < f.size(); ++i)
            EXPECT_TRUE((f[i] >= 'a' && f[i] <= 'z') || (f[i] >= '0' && f[i] <= '9') || f[i] == '_') << f;
        EXPECT_EQ(f.substr(0, std::min<size_t>(LowerLetters(n).size(), 32)), LowerLetters(n).substr(0, 32)) << f;
    }
    EXPECT_EQ(files.size(), names.size());
    EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), std::wstring(253, L'P'));
    // Nothing but the profile files, directly in the folder.
    std::vector<std::string> listed = PlayerFilesTest::ListFiles(Profiles());
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), files);
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
    // Empty names are refused.
    EXPECT_EQ(m->AddProfile(L" \t "), nullptr);
    EXPECT_EQ(m->AddProfile(std::wstring(L"\0abc", 4)), nullptr);
}

TEST_F(ProfilesTest, ListFallbacksLeftoversAndForeignFiles)
{
    std::string annaFile, bobFile;
    {
        auto m = Open();
        annaFile = m->AddProfile(L"Anna")->GetFileName();
        bobFile = m->AddProfile(L"Bob")->GetFileName();
    }
    // No list file: quietly, the first in name order becomes current.
    DeleteFileA(List().c_str());
    s.log->ClearHistory();
    {
        auto m = Open();
        ASSERT_NE(m->GetCurrentProfile(), nullptr);
        EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"Anna");
        EXPECT_EQ(s.Errors(), 0) << s.Dump();
        EXPECT_EQ(TestSupport::ReadFileBytes(List()), ListImage(L"Anna"));
        m->SetCurrentProfile(m->FindProfile(L"Bob"), true);
        EXPECT_TRUE(m->AddRecord(Level(0, 0), L"Bob", 0, 5.0f));
    }
    // Bytes after the records, counted in the header; and a player whose
    // file has such bytes too. Both are read as far as this program knows
    // them (warnings), and kept.
    const Bytes list = TestSupport::ReadFileBytes(List());
    Bytes longer = list;
    longer.insert(longer.end(), 16, 0xEE);
    PlayerFilesTest::PutU32At(longer, 0, static_cast<uint32_t>(longer.size()));
    ASSERT_TRUE(TestSupport::WriteFileBytes(List(), longer));
    Fields later;
    later.name = L"Later";
    later.stars = 77;
    Bytes laterFile = ProfileTest::ProfileImage(later).U32(0xFFFFFFFF).U32(5).Done();
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\later_0000000000.prf", laterFile));
    s.log->ClearHistory();
    {
        auto m = Open();
        EXPECT_EQ(Names(*m), (std::vector<std::wstring>{L"Anna", L"Bob", L"Later"}));
        ASSERT_NE(m->FindProfile(L"Later"), nullptr);
        EXPECT_EQ(P(m->FindProfile(L"Later"))->GetStars(), 77u);
        EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"Bob");
        ASSERT_EQ(m->GetRecords().size(), 1u);
        EXPECT_EQ(m->GetRecords()[0]->holderName, L"Bob");
        EXPECT_EQ(m->GetRecords()[0]->time, 5.0f);
        EXPECT_EQ(s.Errors(), 0) << s.Dump();
        EXPECT_EQ(s.CountWith(2, "profiles.pmf\": 16 bytes after the last known field"), 1) << s.Dump();
        EXPECT_EQ(s.CountWith(2, "later_0000000000.prf\": 8 bytes after the last known field"), 1) << s.Dump();
        EXPECT_EQ(TestSupport::ReadFileBytes(List()), longer);
        EXPECT_FALSE(TestSupport::FileExists(List() + ".bad"));
        // The first save of the list keeps it as it was, those bytes too.
        s.log->ClearHistory();
        EXPECT_TRUE(m->DeleteProfile(L"Later"));
        EXPECT_EQ(TestSupport::ReadFileBytes(List() + ".bad"), longer);
        EXPECT_EQ(s.CountWith(2, "kept as \"" + List() + ".bad\""), 1) << s.Dump();
        EXPECT_EQ(TestSupport::ReadFileBytes(List()), list);
    }
    // A cut list: kept byte for byte under the next free name, the copy
    // before it untouched, and logged; no records, the first player
    // current, the list written anew.
    Bytes cut(list.begin(), list.end() - 1);
    PlayerFilesTest::PutU32At(cut, 0, static_cast<uint32_t>(cut.size()));
    ASSERT_TRUE(TestSupport::WriteFileBytes(List(), cut));
    s.log->ClearHistory();
    {
        auto m = Open();
        EXPECT_EQ(s.CountWith(3, "profiles.pmf"), 1) << s.Dump();
        EXPECT_EQ(s.CountWith(3, "kept as \"" + List() + ".bad.1\""), 1) << s.Dump();
        EXPECT_EQ(TestSupport::ReadFileBytes(List() + ".bad.1"), cut);
        EXPECT_EQ(TestSupport::ReadFileBytes(List() + ".bad"), longer);
        EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"Anna");
        EXPECT_TRUE(m->GetRecords().empty());
        EXPECT_EQ(TestSupport::ReadFileBytes(List()), ListImage(L"Anna"));
    }
    // A current player without a profile that loaded, for want of a file
    // or because it cannot be read: the first is current, and a warning
    // names both players.
    const std::string now = "\" has no profile that loaded; \"Anna\" is the current player now";
    ASSERT_TRUE(TestSupport::WriteFileBytes(List(), ListImage(L"Zoe")));
    s.log->ClearHistory();
    EXPECT_EQ(Open()->GetCurrentProfile()->GetDisplayName(), L"Anna");
    EXPECT_EQ(s.CountWith(2, "profiles.pmf\": the current player \"Zoe" + now), 1) << s.Dump();
    const Bytes bob = TestSupport::ReadFileBytes(Profiles() + "\\" + bobFile);
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\" + bobFile, Bytes(bob.begin(), bob.end() - 1)));
    ASSERT_TRUE(TestSupport::WriteFileBytes(List(), ListImage(L"Bob")));
    s.log->ClearHistory();
    EXPECT_EQ(Open()->GetCurrentProfile()->GetDisplayName(), L"Anna");
    EXPECT_EQ(s.CountWith(2, "the current player \"Bob" + now), 1) << s.Dump();
    EXPECT_EQ(TestSupport::ReadFileBytes(List()), ListImage(L"Anna"));
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\" + bobFile, bob));
    // Without a current name nothing is said.
    s.log->ClearHistory();
    ASSERT_TRUE(TestSupport::WriteFileBytes(List(), ListImage(L"")));
    Open();
    EXPECT_EQ(s.CountWith(2, "the current player"), 0) << s.Dump();

    // Leftovers: a temporary file of a save, a folder named like a profile
    // with a profile inside, a profile of another version. None is loaded,
    // none is touched.
    const Bytes anna = TestSupport::ReadFileBytes(Profiles() + "\\" + annaFile);
    Fields other;
    other.name = L"Tmp";
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\tmp_00000000000.prf.tmp",
                                            ProfileTest::ProfileImage(other).Done()));
    ASSERT_TRUE(CreateDirectoryA((Profiles() + "\\inner.prf").c_str(), nullptr));
    other.name = L"Inner";
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\inner.prf\\inner_0000000000.prf",
                                            ProfileTest::ProfileImage(other).Done()));
    other.name = L"Old";
    const Bytes old = ProfileTest::ProfileImage(other, 104).Done();
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\old_000000000000.prf", old));
    s.log->ClearHistory();
    {
        auto m = Open();
        EXPECT_EQ(Names(*m), (std::vector<std::wstring>{L"Anna", L"Bob"}));
        EXPECT_EQ(s.CountWith(3, "old_000000000000.prf"), 1) << s.Dump();
        EXPECT_EQ(s.Errors(), 1);
        // Its name is free to take: the new player gets a file of its own.
        ProfileBase* again = m->AddProfile(L"Old");
        ASSERT_NE(again, nullptr);
        EXPECT_NE(again->GetFileName(), "old_000000000000.prf");
    }
    EXPECT_EQ(TestSupport::ReadFileBytes(Profiles() + "\\old_000000000000.prf"), old);
    EXPECT_TRUE(TestSupport::FileExists(Profiles() + "\\tmp_00000000000.prf.tmp"));
    EXPECT_TRUE(TestSupport::FileExists(Profiles() + "\\inner.prf\\inner_0000000000.prf"));
    EXPECT_EQ(TestSupport::ReadFileBytes(Profiles() + "\\" + annaFile), anna);

    // A blocked list save: the old list stays, logged, memory changed.
    auto m = Open();
    const Bytes good = TestSupport::ReadFileBytes(List());
    ASSERT_TRUE(CreateDirectoryA((List() + ".tmp").c_str(), nullptr));
    s.log->ClearHistory();
    EXPECT_TRUE(m->AddRecord(Level(1, 1), L"Anna", 0, 3.0f));
    EXPECT_EQ(s.CountWith(3, "profiles.pmf"), 1) << s.Dump();
    EXPECT_EQ(TestSupport::ReadFileBytes(List()), good);
    EXPECT_EQ(m->GetRecords().size(), 1u);
    RemoveDirectoryA((List() + ".tmp").c_str());
    EXPECT_TRUE(m->SaveProfileList());
    EXPECT_EQ(Open()->GetRecords().size(), 1u);
}

TEST_F(ProfilesTest, OfTwoFilesWithOneNameTheFirstWins)
{
    // Two players' files holding the same name (copied by hand, or from an
    // older program): both load, and every lookup by name takes the first
    // file in name order, always the same one.
    KorvaneEngine::CreateDirectories(Profiles() + "\\");
    Fields first, second;
    first.name = L"Bob";
    first.stars = 11;
    second.name = L"BOB";
    second.stars = 22;
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\bob_2.prf", ProfileTest::ProfileImage(second).Done()));
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\bob_1.prf", ProfileTest::ProfileImage(first).Done()));
    auto m = Open();
    ASSERT_EQ(m->GetProfiles().size(), 2u);
    EXPECT_EQ(m->GetProfiles()[0]->GetFileName(), "bob_1.prf");
    ProfileBase* found = m->FindProfile(L"bob");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetFileName(), "bob_1.prf");
    EXPECT_EQ(m->AddProfile(L"Bob"), found);
    EXPECT_EQ(m->GetCurrentProfile(), found);
    m.reset();
    m = Open();
    EXPECT_EQ(m->GetCurrentProfile()->GetFileName(), "bob_1.prf");
    EXPECT_EQ(P(m->GetCurrentProfile())->GetStars(), 11u);
    // Deleting by the name removes the first; the second then answers.
    EXPECT_TRUE(m->DeleteProfile(L"Bob"));
    EXPECT_FALSE(TestSupport::FileExists(Profiles() + "\\bob_1.prf"));
    ASSERT_NE(m->FindProfile(L"bob"), nullptr);
    EXPECT_EQ(m->FindProfile(L"bob")->GetFileName(), "bob_2.prf");
    EXPECT_EQ(m->GetCurrentProfile(), m->FindProfile(L"bob"));
}

TEST_F(ProfilesTest, BestTimesPerLevelAndPlayValue)
{
    auto m = Open();
    EXPECT_TRUE(m->AddRecord(Level(0, 1), L"Anna", 0, 30.0f));
    EXPECT_FALSE(m->AddRecord(Level(0, 1), L"Bob", 0, 30.0f)); // equal is no record
    EXPECT_FALSE(m->AddRecord(Level(0, 1), L"Bob", 0, 31.0f));
    EXPECT_TRUE(m->AddRecord(Level(0, 1), L"Bob", 1, 40.0f));  // relax mode has its own
    EXPECT_TRUE(m->AddRecord(Level(0, 1), L"Carl", 0, 29.5f));
    s.log->ClearHistory();
    EXPECT_FALSE(m->AddRecord(Level(0, 1), L"Dan", 0, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(m->AddRecord(Level(0, 2), L"Dan", 0, -1.0f));
    EXPECT_EQ(s.Errors(), 2);
    ASSERT_EQ(m->GetRecords().size(), 2u);
    EXPECT_EQ(m->FindRecord(Level(0, 1), 0)->holderName, L"Carl");
    EXPECT_EQ(m->FindRecord(Level(0, 1), 0)->time, 29.5f);
    EXPECT_EQ(m->FindRecord(Level(0, 1), 1)->holderName, L"Bob");
    m.reset();
    m = Open();
    ASSERT_EQ(m->GetRecords().size(), 2u);
    EXPECT_EQ(m->FindRecord(Level(0, 1), 0)->holderName, L"Carl");
    m.reset();

    // Stored records a list cannot keep: times that are not usable, and a
    // holder's name of 255 units without its zero (254 are kept). Each is
    // dropped or cut with a warning, and the list's next save keeps the file
    // as it was first, under the next free name.
    Image longHolder("VQPMF", 100);
    longHolder.WString(L"").U32(1).U32(0).U32(3).U8(255);
    for (int i = 0; i < 255; ++i)
        longHolder.U8('h').U8(0);
    longHolder.U32(0).F32(9.0f);
    struct Case {
        const char* what;
        Bytes bytes;
        const char* warning;
    } cases[] = {
        {"not a number",
            Image("VQPMF", 100).WString(L"").U32(2).U32(0).U32(1).WString(L"Eve").U32(0).F32(8.0f).U32(0).U32(2)
                .WString(L"Eve").U32(0).F32(std::numeric_limits<float>::quiet_NaN()).Done(),
            "the record of stage 0, level 2 with the time"},
        {"negative",
            Image("VQPMF", 100).WString(L"").U32(1).U32(4).U32(5).WString(L"Eve").U32(1).F32(-2.0f).Done(),
            "the record of stage 4, level 5 with the time -2.000 dropped"},
        {"a long name", longHolder.Done(), "the holder's name of record 0 cut to 254 units"},
    };
    const std::string copies[] = {List() + ".bad", List() + ".bad.1", List() + ".bad.2"};
    for (size_t i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(TestSupport::WriteFileBytes(List(), c.bytes));
        s.log->ClearHistory();
        m = Open();
        EXPECT_EQ(s.CountWith(2, std::string("profiles.pmf\": ") + c.warning), 1) << s.Dump();
        EXPECT_EQ(s.Errors(), 0) << s.Dump();
        EXPECT_EQ(TestSupport::ReadFileBytes(List()), c.bytes);
        EXPECT_FALSE(TestSupport::FileExists(copies[i]));
        s.log->ClearHistory();
        EXPECT_TRUE(m->AddRecord(Level(7, 7), L"Fay", 0, 1.0f));
        EXPECT_EQ(TestSupport::ReadFileBytes(copies[i]), c.bytes);
        EXPECT_EQ(s.CountWith(2, "kept as \"" + copies[i] + "\""), 1) << s.Dump();
        EXPECT_NE(TestSupport::ReadFileBytes(List()), c.bytes);
        EXPECT_TRUE(m->AddRecord(Level(7, 8), L"Fay", 0, 1.0f));
        EXPECT_EQ(PlayerFilesTest::AsideCopies(List()).size(), i + 1);
    }
    EXPECT_EQ(m->FindRecord(Level(0, 3), 0)->holderName, std::wstring(254, L'h'));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(TestSupport::ReadFileBytes(copies[i]), cases[i].bytes) << i;
}

TEST_F(ProfilesTest, ValuesThatCannotBeUsedAreRepairedOnRead)
{
    Fields f;
    f.name = L"  Damaged ";
    f.music = std::numeric_limits<float>::quiet_NaN();
    f.sound = -std::numeric_limits<float>::infinity();
    f.results = {{0, 0, 0, 10.0f}, {0, 0, 1, std::numeric_limits<float>::quiet_NaN()}, {0, 0, 2, -4.0f},
        {0, 1, 0, 20.0f}};
    f.b = {0, 0, 1};
    KorvaneEngine::CreateDirectories(Profiles() + "\\");
    const Bytes damaged = ProfileTest::ProfileImage(f).Done();
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\damaged_00000000.prf", damaged));
    // Blanks around the name and volumes out of range only.
    Fields g;
    g.name = L"  Loud ";
    g.music = 7.0f;
    g.sound = -0.5f;
    const Bytes loud = ProfileTest::ProfileImage(g).Done();
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\loud_0000000000.prf", loud));
    // An unpaired picture value only.
    Fields o;
    o.name = L"Odd";
    o.b = {0, 0, 2, 5, 4};
    const Bytes odd = ProfileTest::ProfileImage(o).Done();
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\odd_00000000000.prf", odd));
    auto m = Open();
    Puzzle::Profile* d = P(m->FindProfile(L"Damaged"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetDisplayName(), L"Damaged");
    EXPECT_EQ(d->GetMusicVolume(), 1.0f);
    EXPECT_EQ(d->GetSoundVolume(), 1.0f);
    ASSERT_EQ(d->GetLevelResults().size(), 2u);
    EXPECT_FLOAT_EQ(d->GetTotalTime(), 30.0f);
    EXPECT_EQ(d->GetListB(), (std::vector<uint32_t>{0, 0}));
    // Each repair a warning naming the file: the name, two results, the
    // volumes, the unpaired picture value.
    EXPECT_EQ(s.CountWith(2, "damaged_00000000.prf"), 5) << s.Dump();
    Puzzle::Profile* l = P(m->FindProfile(L"Loud"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->GetMusicVolume(), 1.0f);
    EXPECT_EQ(l->GetSoundVolume(), 0.0f);
    EXPECT_EQ(s.CountWith(2, "loud_0000000000.prf\": the volumes 7.000 (music) and -0.500 (sound) taken as 1.000 and 0.000"), 1)
        << s.Dump();
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
    EXPECT_TRUE(d->IsInListA(0));
    EXPECT_FALSE(d->IsInListA(1));
    EXPECT_FALSE(d->IsInListA(-1));
    EXPECT_TRUE(d->IsInListC(0));
    EXPECT_TRUE(d->IsPictureUnlocked(0, 0));
    EXPECT_FALSE(d->IsPictureUnlocked(1, 0));
    Puzzle::Profile* od = P(m->FindProfile(L"Odd"));
    ASSERT_NE(od, nullptr);
    EXPECT_EQ(od->GetListB(), (std::vector<uint32_t>{0, 0, 2, 5}));
    EXPECT_EQ(s.CountWith(2, "odd_00000000000.prf\": the unpaired last picture value 4 dropped"), 1) << s.Dump();

    // Loading wrote nothing. Each player's next save keeps the file as it
    // was when the read left something out (results, a picture value); the
    // trimmed name and the volumes lose nothing and keep no copy.
    EXPECT_EQ(TestSupport::ReadFileBytes(d->GetFilePath()), damaged);
    EXPECT_EQ(TestSupport::ReadFileBytes(od->GetFilePath()), odd);
    EXPECT_EQ(TestSupport::ReadFileBytes(l->GetFilePath()), loud);
    for (ProfileBase* p : {static_cast<ProfileBase*>(d), static_cast<ProfileBase*>(od), static_cast<ProfileBase*>(l)})
        m->StoreProfileOptions(p);
    EXPECT_EQ(TestSupport::ReadFileBytes(d->GetFilePath() + ".bad"), damaged);
    EXPECT_EQ(TestSupport::ReadFileBytes(od->GetFilePath() + ".bad"), odd);
    EXPECT_NE(TestSupport::ReadFileBytes(od->GetFilePath()), odd);
    EXPECT_NE(TestSupport::ReadFileBytes(l->GetFilePath()), loud);
    EXPECT_EQ(PlayerFilesTest::AsideCopies(l->GetFilePath()), std::vector<std::string>());
    EXPECT_EQ(PlayerFilesTest::ListFiles(Profiles()),
              (std::vector<std::string>{"damaged_00000000.prf", "damaged_00000000.prf.bad", "loud_0000000000.prf",
                  "odd_00000000000.prf", "odd_00000000000.prf.bad"}));
}

TEST_F(ProfilesTest, APositionOutsideTheLevelsPlaysFromTheStart)
{
    s.PutData("levels\\levels.xml", ContentTools::WriteLevelsXml({3, 2}));
    Puzzle::LevelManager levels;
    auto m = Open();
    ProfileBase* p = m->AddProfile(L"Anna");
    p->SetCurrentPosition(Level(1, 1));
    EXPECT_FALSE(levels.RepairPosition(p));
    EXPECT_EQ(p->GetCurrentPosition(), Level(1, 1));
    for (Level bad : {Level(1, 2), Level(2, 0), Level(0xFFFFFFFF, 0xFFFFFFFF)}) {
        p->SetCurrentPosition(bad);
        s.log->ClearHistory();
        EXPECT_TRUE(levels.RepairPosition(p));
        EXPECT_EQ(p->GetCurrentPosition(), Level(0, 0));
        EXPECT_EQ(s.CountWith(2, "is not in the levels file"), 1) << s.Dump();
        EXPECT_EQ(s.Errors(), 0);
        auto again = Open();
        EXPECT_EQ(again->FindProfile(L"Anna")->GetCurrentPosition(), Level(0, 0));
    }
    EXPECT_FALSE(levels.RepairPosition(nullptr));
}

TEST_F(ProfilesTest, VolumesTravelBetweenProfilesAndTheSoundController)
{
    KorvaneEngine::Config config(s.root, "profiles_test", false, "800x600x32", false, false);
    GameFramework::SoundController sound(0.285f, 0.315f);
    {
        Puzzle::ProfileManager m(&sound, s.userData);
        // A new player starts with the volumes the game is playing at.
        ProfileBase* anna = m.AddProfile(L"Anna");
        ASSERT_NE(anna, nullptr);
        EXPECT_FLOAT_EQ(anna->GetMusicVolume(), 0.285f);
        EXPECT_FLOAT_EQ(anna->GetSoundVolume(), 0.315f);
        m.SetCurrentProfile(anna, true);
        anna->SetMusicVolume(0.6f);
        anna->SetSoundVolume(0.4f);
        anna->Save();
        m.ApplyProfileOptions();
        EXPECT_FLOAT_EQ(sound.GetMusicVolume(), 0.6f);
        EXPECT_FLOAT_EQ(sound.GetSoundVolume(), 0.4f);
        // The options screen changed the controller: the profile takes them.
        sound.SetMusicVolume(0.1f);
        sound.SetSoundVolume(0.9f);
        m.StoreProfileOptions(anna);
    }
    Fields f;
    f.name = L"Bob";
    f.music = std::numeric_limits<float>::quiet_NaN();
    f.sound = 3.0f;
    ASSERT_TRUE(TestSupport::WriteFileBytes(Profiles() + "\\bob_000000000000.prf", ProfileTest::ProfileImage(f).Done()));
    Puzzle::ProfileManager m(&sound, s.userData);
    ProfileBase* anna = m.FindProfile(L"anna");
    EXPECT_EQ(m.GetCurrentProfile(), anna);
    EXPECT_FLOAT_EQ(anna->GetMusicVolume(), 0.1f);
    EXPECT_FLOAT_EQ(anna->GetSoundVolume(), 0.9f);
    // A damaged profile's volumes reach the controller as numbers in range.
    m.SetCurrentProfile(m.FindProfile(L"Bob"), false);
    m.ApplyProfileOptions();
    EXPECT_EQ(sound.GetMusicVolume(), 1.0f);
    EXPECT_EQ(sound.GetSoundVolume(), 1.0f);
    // Without a current profile nothing changes.
    sound.SetMusicVolume(0.5f);
    m.SetCurrentProfile(nullptr, false);
    m.ApplyProfileOptions();
    EXPECT_EQ(sound.GetMusicVolume(), 0.5f);
}

TEST_F(ProfilesTest, WhenEveryFileNameIsTakenNoProfileIsAdded)
{
    auto m = Open();
    ASSERT_NE(m->AddProfile(L"Abcdefghijklmnopq"), nullptr);
    // Replay the draws of the next creation and take each name it will try.
    KorvaneEngine::SetRandomSeed(77);
    std::vector<std::string> taken;
    for (uint32_t attempt = 1; attempt < ProfileBase::kMaxNameAttempts; ++attempt) {
        std::string n = "abcdefghijklmnopq_";
        for (int i = 0; i < 8; ++i)
            n.push_back(static_cast<char>('0' + KorvaneEngine::RandomBelow(10)));
        taken.push_back(n + ".prf");
        ASSERT_TRUE(TestSupport::WriteFileText(Profiles() + "\\" + taken.back(), "taken"));
    }
    const size_t files = PlayerFilesTest::ListFiles(Profiles()).size();
    const Bytes list = TestSupport::ReadFileBytes(List());
    KorvaneEngine::SetRandomSeed(77);
    s.log->ClearHistory();
    EXPECT_EQ(m->AddProfile(L"Abcdefghij-klmnopq"), nullptr);
    EXPECT_EQ(m->GetProfiles().size(), 1u);
    EXPECT_EQ(PlayerFilesTest::ListFiles(Profiles()).size(), files);
    EXPECT_EQ(TestSupport::ReadFileBytes(List()), list);
    EXPECT_EQ(s.CountWith(3, "No free file name"), 1) << s.Dump();
    // The profile itself throws; nothing of another player is overwritten.
    KorvaneEngine::SetRandomSeed(77);
    EXPECT_THROW(Puzzle::Profile(L"Abcdefghij klmnopq", s.userData), KorvaneEngine::Error);
    EXPECT_EQ(TestSupport::ReadFileBytes(Profiles() + "\\" + taken.front()), Bytes({'t', 'a', 'k', 'e', 'n'}));
    // One name freed: exactly that one is used.
    DeleteFileA((Profiles() + "\\" + taken[500]).c_str());
    KorvaneEngine::SetRandomSeed(77);
    ProfileBase* p = m->AddProfile(L"Abcdefghij klmnopq");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetFileName(), taken[500]);
}

} // namespace
