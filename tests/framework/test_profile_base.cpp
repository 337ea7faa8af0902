#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/Random.h"
#include "framework/PlayerFilesTestSupport.h"
#include "framework/ProfileBase.h"

using GameFramework::Level;
using GameFramework::LevelResult;
using GameFramework::ProfileBase;
using PlayerFilesTest::Bytes;

namespace {

// A game's profile class as the framework sees one: a field of its own after
// the base part, and an options writer that can be made to fail half way,
// as a full disk would.
class TestProfile : public ProfileBase {
public:
    TestProfile(const std::wstring& name, const std::string& folder) : ProfileBase(name, folder, "TSPRF", 7)
    {
        Create(name);
    }
    TestProfile(const std::string& file, const std::string& folder) : ProfileBase(file, folder, "TSPRF", 7)
    {
        Load(file);
    }
    void Write(KorvaneEngine::FileBinary& file) override
    {
        ProfileBase::Write(file);
        file.Write(&own, 4);
    }
    void Read(KorvaneEngine::FileBinary& file) override
    {
        ProfileBase::Read(file);
        own = KorvaneEngine::ReadU32(file);
    }
    void WriteOptions(KorvaneEngine::FileBinary& file) override
    {
        if (failOptions) {
            const float half = GetMusicVolume();
            file.Write(&half, 4);
            throw KorvaneEngine::FileError("disk full");
        }
        ProfileBase::WriteOptions(file);
    }

    uint32_t own = 0x12345678;
    bool failOptions = false;
};

class ProfileBaseTest : public ::testing::Test {
protected:
    void SetUp() override { s.Start("profile_base"); }
    void TearDown() override { s.Stop(); }

    std::unique_ptr<TestProfile> Make(const std::wstring& name)
    {
        return std::unique_ptr<TestProfile>(new TestProfile(name, s.userData));
    }
    std::unique_ptr<TestProfile> Reload(const std::string& file)
    {
        return std::unique_ptr<TestProfile>(new TestProfile(file, s.userData));
    }
    std::string Profiles() const { return s.User("profiles"); }
    Bytes Stored(const ProfileBase& p) const { return TestSupport::ReadFileBytes(p.GetFilePath()); }
    // The file of a new player "Anna" with one result of 12 s.
    Bytes AnnaWithOneResult()
    {
        auto p = Make(L"Anna");
        LevelResult* r = new LevelResult;
        r->time = 12.0f;
        p->AddLevelResult(r);
        return Stored(*p);
    }

    PlayerFilesTest::Services s;
};

bool IsDigits(const std::string& t, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (t[i] < '0' || t[i] > '9')
            return false;
    return true;
}

TEST_F(ProfileBaseTest, FileNamesFromTheLettersOfTheName)
{
    auto anna = Make(L"  Anna \t");
    EXPECT_EQ(anna->GetDisplayName(), L"Anna");
    const std::string a = anna->GetFileName();
    ASSERT_EQ(a.size(), 20u) << a;
    EXPECT_EQ(a.substr(0, 5), "anna_");
    EXPECT_TRUE(IsDigits(a, 5, 16)) << a;
    EXPECT_EQ(a.substr(16), ".prf");
    EXPECT_TRUE(anna->IsNewProfile());
    EXPECT_TRUE(TestSupport::FileExists(Profiles() + "\\" + a));
    EXPECT_EQ(anna->GetFolderPath(), Profiles() + "\\" + a.substr(0, 16));

    const std::string digits = Make(L"2024")->GetFileName();
    ASSERT_EQ(digits.size(), 20u);
    EXPECT_EQ(digits[0], '_');
    EXPECT_TRUE(IsDigits(digits, 1, 16)) << digits;

    // Fifteen letters and more stand alone the first time.
    EXPECT_EQ(Make(L"Abcdefghij Klmnopqrst")->GetFileName(), "abcdefghijklmnopqrst.prf");
    EXPECT_EQ(Make(L"abcdefghijklmno")->GetFileName(), "abcdefghijklmno.prf");
    // The same letters again: another name, never the other player's file.
    const std::string again = Make(L"abcdefghij-klmnopqrst")->GetFileName();
    ASSERT_EQ(again.size(), 20u + 9u + 4u) << again;
    EXPECT_EQ(again.substr(0, 21), "abcdefghijklmnopqrst_");
    EXPECT_TRUE(IsDigits(again, 21, 29)) << again;
    // Forty letters are cut to 32 in the file name.
    const std::wstring forty = L"abcdefghijklmnopqrstuvwxyzabcdefghijklmn";
    EXPECT_EQ(Make(forty)->GetFileName(), "abcdefghijklmnopqrstuvwxyzabcdef.prf");

    // A short base is padded to 16 characters on every try: with the file of
    // the first try there (the draws replayed), the next name is as long.
    struct Short {
        std::wstring name;
        std::string base;
    } shorts[] = {{L" Anna ", "anna_"}, {L"Abcdefghijklmn", "abcdefghijklmn_"}, {L"2024", "_"}};
    for (const Short& c : shorts) {
        SCOPED_TRACE(c.base);
        KorvaneEngine::SetRandomSeed(4242);
        std::string first = c.base;
        while (first.size() < 16)
            first.push_back(static_cast<char>('0' + KorvaneEngine::RandomBelow(10)));
        first += ".prf";
        ASSERT_TRUE(TestSupport::WriteFileText(Profiles() + "\\" + first, "taken"));
        KorvaneEngine::SetRandomSeed(4242);
        const std::string next = Make(c.name)->GetFileName();
        ASSERT_EQ(next.size(), 20u) << next;
        EXPECT_NE(next, first);
        EXPECT_EQ(next.substr(0, c.base.size()), c.base);
        EXPECT_TRUE(IsDigits(next, c.base.size(), 16)) << next;
        EXPECT_EQ(next.substr(16), ".prf");
        EXPECT_EQ(TestSupport::ReadFileBytes(Profiles() + "\\" + first), Bytes({'t', 'a', 'k', 'e', 'n'}));
    }
    // Fifteen letters, taken: '_' and 8 digits.
    const std::string fifteen = Make(L"Abcdefghijk-lmno")->GetFileName();
    ASSERT_EQ(fifteen.size(), 15u + 9u + 4u) << fifteen;
    EXPECT_EQ(fifteen.substr(0, 16), "abcdefghijklmno_");
    EXPECT_TRUE(IsDigits(fifteen, 16, 24)) << fifteen;

    std::set<std::string> names;
    for (const std::string& n : PlayerFilesTest::ListFiles(Profiles()))
        names.insert(n);
    EXPECT_EQ(names.size(), 6u + 2u * 3u + 1u);
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
}

TEST_F(ProfileBaseTest, AFailedSaveLeavesTheOldFileAndTheProfile)
{
    auto p = Make(L"Anna");
    p->SetTotalScore(10);
    ASSERT_TRUE(p->Save());
    const Bytes before = Stored(*p);

    // The options writer throws after the base part was written.
    p->SetTotalScore(99);
    p->failOptions = true;
    s.log->ClearHistory();
    EXPECT_FALSE(p->Save());
    EXPECT_EQ(Stored(*p), before);
    EXPECT_FALSE(TestSupport::FileExists(p->GetFilePath() + ".tmp"));
    EXPECT_EQ(s.CountWith(3, "disk full"), 1) << s.Dump();
    EXPECT_EQ(p->GetTotalScore(), 99u);
    // Saves made by the profile's own operations fail the same way.
    p->SetReachedPosition(Level(0, 1), false);
    EXPECT_EQ(Stored(*p), before);

    // The next save is complete.
    p->failOptions = false;
    EXPECT_TRUE(p->Save());
    auto back = Reload(p->GetFileName());
    EXPECT_EQ(back->GetTotalScore(), 99u);
    EXPECT_EQ(back->GetReachedPosition(), Level(0, 1));
    EXPECT_EQ(back->own, 0x12345678u);
    EXPECT_FALSE(back->IsNewProfile());

    // A folder where the temporary file goes blocks the save the same way.
    const Bytes good = Stored(*p);
    ASSERT_TRUE(CreateDirectoryA((p->GetFilePath() + ".tmp").c_str(), nullptr));
    p->SetTotalScore(5);
    s.log->ClearHistory();
    EXPECT_FALSE(p->Save());
    EXPECT_EQ(Stored(*p), good);
    EXPECT_EQ(s.Errors(), 1) << s.Dump();
    RemoveDirectoryA((p->GetFilePath() + ".tmp").c_str());
    EXPECT_TRUE(p->Save());
    EXPECT_EQ(Reload(p->GetFileName())->GetTotalScore(), 5u);
}

TEST_F(ProfileBaseTest, ResultsReachedPositionsAndVolumes)
{
    auto p = Make(L"Runner");
    auto result = [](uint32_t play, uint32_t stage, uint32_t level, float time) {
        LevelResult* r = new LevelResult;
        r->playValue = play;
        r->stageIndex = stage;
        r->levelIndex = level;
        r->time = time;
        return r;
    };
    p->AddLevelResult(result(0, 0, 0, 40.0f));
    p->AddLevelResult(result(0, 0, 0, 30.0f));
    p->AddLevelResult(result(0, 0, 0, 35.0f));
    p->AddLevelResult(result(1, 0, 0, 50.0f));
    ASSERT_EQ(p->GetLevelResults().size(), 2u);
    EXPECT_EQ(p->GetLevelResults()[0]->time, 30.0f);
    EXPECT_EQ(p->GetLevelResults()[1]->time, 50.0f);
    // The running total counts every recorded time ...
    EXPECT_FLOAT_EQ(p->GetTotalTime(), 155.0f);
    // ... the stored one only the best times.
    EXPECT_FLOAT_EQ(Reload(p->GetFileName())->GetTotalTime(), 80.0f);

    // Times that could never be beaten are refused.
    s.log->ClearHistory();
    p->AddLevelResult(result(0, 1, 0, std::numeric_limits<float>::quiet_NaN()));
    p->AddLevelResult(result(0, 1, 1, -1.0f));
    p->AddLevelResult(result(0, 1, 2, std::numeric_limits<float>::infinity()));
    p->AddLevelResult(nullptr);
    EXPECT_EQ(p->GetLevelResults().size(), 2u);
    EXPECT_FLOAT_EQ(p->GetTotalTime(), 155.0f);
    EXPECT_EQ(s.Errors(), 3) << s.Dump();

    // A position behind the reached one changes nothing and saves nothing:
    // with saves blocked, no save attempt shows in the log.
    p->SetReachedPosition(Level(1, 1), false);
    const Bytes reached = Stored(*p);
    ASSERT_TRUE(CreateDirectoryA((p->GetFilePath() + ".tmp").c_str(), nullptr));
    s.log->ClearHistory();
    p->SetReachedPosition(Level(1, 0), true);
    p->SetReachedPosition(Level(0, 5), false);
    p->SetReachedPosition(Level(1, 1), false);
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
    EXPECT_EQ(p->GetReachedPosition(), Level(1, 1));
    EXPECT_FALSE(p->IsReachedLast());
    // The same position with the last flag is recorded (and tried to save).
    p->SetReachedPosition(Level(1, 1), true);
    EXPECT_TRUE(p->IsReachedLast());
    EXPECT_EQ(s.Errors(), 1);
    RemoveDirectoryA((p->GetFilePath() + ".tmp").c_str());
    EXPECT_EQ(Stored(*p), reached);

    // Volumes are clamped; what is not a number becomes 1.
    p->SetMusicVolume(1.7f);
    p->SetSoundVolume(-0.2f);
    EXPECT_EQ(p->GetMusicVolume(), 1.0f);
    EXPECT_EQ(p->GetSoundVolume(), 0.0f);
    p->SetSoundVolume(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(p->GetSoundVolume(), 1.0f);
    p->SetSoundVolume(0.25f);
    p->Reset();
    EXPECT_EQ(p->GetCarryOverValue(), 3u);
    EXPECT_EQ(p->GetTotalScore(), 0u);
    ASSERT_TRUE(p->Save());
    auto back = Reload(p->GetFileName());
    EXPECT_EQ(back->GetSoundVolume(), 0.25f);
    EXPECT_EQ(back->GetMusicVolume(), 1.0f);
    EXPECT_TRUE(back->IsReachedLast());
    EXPECT_EQ(back->GetClassValue(), 1);
}

TEST_F(ProfileBaseTest, TheNameRuleKeepsWhatTheFileKeeps)
{
    EXPECT_EQ(ProfileBase::MakeDisplayName(L"  Anna  "), L"Anna");
    EXPECT_EQ(ProfileBase::MakeDisplayName(L" \t\r\n"), L"");
    EXPECT_EQ(ProfileBase::MakeDisplayName(std::wstring(L"ab\0cd", 5)), L"ab");
    EXPECT_EQ(ProfileBase::MakeDisplayName(std::wstring(300, L'x')), std::wstring(254, L'x'));
    // Leading blanks do not count against the length.
    EXPECT_EQ(ProfileBase::MakeDisplayName(L"   " + std::wstring(254, L'y')), std::wstring(254, L'y'));
    // A cut that would fall inside a pair drops the whole pair.
    std::wstring pairs = std::wstring(253, L'z') + L"\xD83D\xDE00" + L"tail";
    EXPECT_EQ(ProfileBase::MakeDisplayName(pairs), std::wstring(253, L'z'));
    std::wstring fits = std::wstring(252, L'z') + L"\xD83D\xDE00" + L"tail";
    EXPECT_EQ(ProfileBase::MakeDisplayName(fits), std::wstring(252, L'z') + L"\xD83D\xDE00");
    // A blank where the cut falls is trimmed too, so the rule is stable.
    std::wstring blank = std::wstring(253, L'w') + L" v";
    EXPECT_EQ(ProfileBase::MakeDisplayName(blank), std::wstring(253, L'w'));
    for (const std::wstring& n : {pairs, fits, blank, std::wstring(L"  Q ")})
        EXPECT_EQ(ProfileBase::MakeDisplayName(ProfileBase::MakeDisplayName(n)), ProfileBase::MakeDisplayName(n));

    // What is kept in memory is what the next load reads.
    for (const std::wstring& n : {pairs, fits, blank, std::wstring(300, L'q')}) {
        auto p = Make(n);
        EXPECT_EQ(Reload(p->GetFileName())->GetDisplayName(), p->GetDisplayName());
        p->Rename(L"  " + n + L"!  ");
        EXPECT_EQ(Reload(p->GetFileName())->GetDisplayName(), p->GetDisplayName());
    }
}

TEST_F(ProfileBaseTest, DeletingRemovesFileAndOwnFolderOnly)
{
    auto anna = Make(L"Anna");
    auto bob = Make(L"Bob");
    ASSERT_TRUE(CreateDirectoryA(anna->GetFolderPath().c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteFileText(anna->GetFolderPath() + "\\picture.bmp", "x"));
    ASSERT_TRUE(CreateDirectoryA(bob->GetFolderPath().c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteFileText(bob->GetFolderPath() + "\\keep.txt", "x"));

    // Stray files whose names have no folder of their own: ".prf", "..prf",
    // and one that Windows would take for Anna's folder.
    const std::string annaStem = anna->GetFileName().substr(0, anna->GetFileName().size() - 4);
    for (const std::string& stray : {std::string(".prf"), std::string("..prf"), annaStem + "..prf"}) {
        SCOPED_TRACE(stray);
        const std::string path = Profiles() + "\\" + stray;
        ASSERT_TRUE(CopyFileA(bob->GetFilePath().c_str(), path.c_str(), FALSE));
        auto p = Reload(stray);
        p->DeleteFiles();
        EXPECT_FALSE(TestSupport::FileExists(path));
        EXPECT_TRUE(TestSupport::FileExists(Profiles()));
        EXPECT_TRUE(TestSupport::FileExists(anna->GetFilePath()));
        EXPECT_TRUE(TestSupport::FileExists(anna->GetFolderPath() + "\\picture.bmp"));
        EXPECT_TRUE(TestSupport::FileExists(bob->GetFilePath()));
        EXPECT_TRUE(TestSupport::FileExists(bob->GetFolderPath() + "\\keep.txt"));
    }

    bob->DeleteFiles();
    EXPECT_FALSE(TestSupport::FileExists(bob->GetFilePath()));
    EXPECT_FALSE(TestSupport::FileExists(bob->GetFolderPath()));
    EXPECT_TRUE(TestSupport::FileExists(anna->GetFolderPath() + "\\picture.bmp"));
    anna->DeleteFiles();
    EXPECT_EQ(PlayerFilesTest::ListFiles(Profiles()), std::vector<std::string>());
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
}

TEST_F(ProfileBaseTest, UnreadableFilesAreLoggedAndThrowWithoutTouchingTheFile)
{
    const Bytes good = AnnaWithOneResult();
    struct Case {
        const char* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    Bytes version = good;
    PlayerFilesTest::PutU32At(version, 9, 6);
    cases.push_back({"another version", version});
    Bytes magic = good;
    magic[4] = 'X';
    cases.push_back({"another magic", magic});
    Bytes longer = good;
    longer.push_back(0);
    cases.push_back({"a byte after the body, header not patched", longer});
    Bytes shorter(good.begin(), good.end() - 1);
    PlayerFilesTest::PutU32At(shorter, 0, static_cast<uint32_t>(shorter.size()));
    cases.push_back({"one byte short", shorter});
    cases.push_back({"nothing", Bytes()});
    const std::string path = Profiles() + "\\case.prf";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, c.bytes));
        s.log->ClearHistory();
        EXPECT_THROW(Reload("case.prf"), KorvaneEngine::Error);
        EXPECT_EQ(s.CountWith(3, "case.prf"), 1) << s.Dump();
        EXPECT_EQ(TestSupport::ReadFileBytes(path), c.bytes);
    }
    ASSERT_TRUE(TestSupport::WriteFileBytes(path, good));
    EXPECT_EQ(Reload("case.prf")->GetLevelResults().size(), 1u);

    // Bytes after the game's own fields (counted in the header) are left
    // unread with a warning; everything before them loads.
    Bytes trailing = good;
    trailing.insert(trailing.end(), 16, 0x5A);
    PlayerFilesTest::PutU32At(trailing, 0, static_cast<uint32_t>(trailing.size()));
    ASSERT_TRUE(TestSupport::WriteFileBytes(path, trailing));
    s.log->ClearHistory();
    auto later = Reload("case.prf");
    EXPECT_EQ(later->GetDisplayName(), L"Anna");
    ASSERT_EQ(later->GetLevelResults().size(), 1u);
    EXPECT_EQ(later->GetLevelResults()[0]->time, 12.0f);
    EXPECT_EQ(later->own, 0x12345678u);
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
    EXPECT_EQ(s.CountWith(2, "case.prf\": 16 bytes after the last known field"), 1) << s.Dump();
    EXPECT_EQ(TestSupport::ReadFileBytes(path), trailing);
}

// Offsets in a TestProfile file: the result count follows the name record
// and eight fields; the volumes and the test's own word end the file.
size_t ResultCountAt(const Bytes& b) { return 13 + 1 + 2 * size_t(b.at(13)) + 7 * 4 + 1; }

Bytes WithName(const Bytes& b, const Bytes& record)
{
    Bytes out(b.begin(), b.begin() + 13);
    out.insert(out.end(), record.begin(), record.end());
    out.insert(out.end(), b.begin() + 13 + 1 + 2 * size_t(b.at(13)), b.end());
    PlayerFilesTest::PutU32At(out, 0, static_cast<uint32_t>(out.size()));
    return out;
}

Bytes NameRecord(const std::wstring& units, bool zero)
{
    Bytes r{static_cast<unsigned char>(units.size() + (zero ? 1 : 0))};
    for (wchar_t c : units) {
        r.push_back(static_cast<unsigned char>(c & 0xFF));
        r.push_back(static_cast<unsigned char>(c >> 8));
    }
    if (zero)
        r.insert(r.end(), 2, 0);
    return r;
}

void PutF32At(Bytes& b, size_t at, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PlayerFilesTest::PutU32At(b, at, v);
}

TEST_F(ProfileBaseTest, WhatAReadLeavesOutIsKeptAsideBeforeTheNextSave)
{
    const Bytes good = AnnaWithOneResult();
    const std::string path = Profiles() + "\\case.prf";

    Bytes trailing = good;
    trailing.insert(trailing.end(), 16, 0x5A);
    PlayerFilesTest::PutU32At(trailing, 0, static_cast<uint32_t>(trailing.size()));
    Bytes nan = good, negative = good;
    PutF32At(nan, ResultCountAt(good) + 4 + 12, std::numeric_limits<float>::quiet_NaN());
    PutF32At(negative, ResultCountAt(good) + 4 + 12, -3.0f);
    // 255 units and no zero: the name keeps 254.
    const Bytes longName = WithName(good, NameRecord(std::wstring(255, L'n'), false));
    // Blanks around the name and volumes out of range: repaired, nothing lost.
    Bytes blanks = WithName(good, NameRecord(L"  Anna ", true));
    PutF32At(blanks, blanks.size() - 12, 7.0f);
    PutF32At(blanks, blanks.size() - 8, -0.5f);

    struct Case {
        const char* what;
        Bytes bytes;
        const char* warning;
        const char* copy; // the copy the first save makes, or none
    } cases[] = {
        {"bytes after the last field", trailing, "16 bytes after the last known field", "case.prf.bad"},
        {"a result whose time is not a number", nan, "the level result of stage 0, level 0 with the time",
            "case.prf.bad.1"},
        {"a negative result", negative, "the level result of stage 0, level 0 with the time -3.000 dropped",
            "case.prf.bad.2"},
        {"a name of 255 units", longName, "the display name", "case.prf.bad.3"},
        {"blanks and volumes", blanks, "the volumes 7.000 (music) and -0.500 (sound) taken as 1.000 and 0.000",
            nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, c.bytes));
        s.log->ClearHistory();
        auto read = Reload("case.prf");
        EXPECT_EQ(s.CountWith(2, std::string("case.prf\": ") + c.warning), 1) << s.Dump();
        EXPECT_EQ(s.Errors(), 0) << s.Dump();
        EXPECT_EQ(TestSupport::ReadFileBytes(path), c.bytes);
        const std::vector<std::string> before = PlayerFilesTest::AsideCopies(path);
        // A save of the profile's own (a new reached position) keeps the
        // file as it was read before replacing it; the next one only writes.
        s.log->ClearHistory();
        read->SetReachedPosition(Level(0, 3), false);
        std::vector<std::string> expected = before;
        if (c.copy) {
            EXPECT_EQ(TestSupport::ReadFileBytes(Profiles() + "\\" + c.copy), c.bytes);
            EXPECT_EQ(s.CountWith(2, "kept as \"" + Profiles() + "\\" + c.copy + "\""), 1) << s.Dump();
            expected.push_back(c.copy);
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(PlayerFilesTest::AsideCopies(path), expected);
        EXPECT_NE(TestSupport::ReadFileBytes(path), c.bytes);
        EXPECT_EQ(Reload("case.prf")->GetReachedPosition(), Level(0, 3));
        ASSERT_TRUE(read->Save());
        EXPECT_EQ(PlayerFilesTest::AsideCopies(path), expected);
    }
    // Every copy is still the file it was made of.
    EXPECT_EQ(TestSupport::ReadFileBytes(path + ".bad"), trailing);
    EXPECT_EQ(TestSupport::ReadFileBytes(path + ".bad.1"), nan);
    EXPECT_EQ(TestSupport::ReadFileBytes(path + ".bad.2"), negative);
    EXPECT_EQ(TestSupport::ReadFileBytes(path + ".bad.3"), longName);
}

} // namespace
