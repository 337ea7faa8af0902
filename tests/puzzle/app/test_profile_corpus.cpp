// Damaged player files: every file the program saves (a profile with results
// and lists, the profile list with records, the high scores in two groups)
// is cut, overwritten and re-counted in every way below, and each damaged
// copy is loaded by a fresh manager or table. Nothing may crash, throw,
// allocate beyond reason or touch the other players' files, and a list or
// table given up on, or rewritten after a read that left something out, is
// first copied aside byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "framework/HighScoresTable.h"
#include "engine/foundation/Paths.h"
#include "framework/PlayerFilesTestSupport.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"

using GameFramework::HighScoreEntry;
using GameFramework::HighScoresTable;
using GameFramework::Level;
using GameFramework::LevelResult;
using GameFramework::ProfileBase;
using PlayerFilesTest::Bytes;
using PlayerFilesTest::PutU32At;
using PlayerFilesTest::U32At;

// Every allocation of this program passes here: one larger than any player
// file could justify is refused and remembered, so a count taken from a file
// without a check shows up even where the allocation would have succeeded.
namespace {
const size_t kAllocationLimit = 64u * 1024u * 1024u;
bool g_tooLarge = false;
size_t g_refusedSize = 0;

void* Allocate(size_t n)
{
    if (n > kAllocationLimit) {
        g_tooLarge = true;
        g_refusedSize = n;
        throw std::bad_alloc();
    }
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}
} // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

struct Mutation {
    std::string what;
    Bytes bytes;
    bool mustRefuse; // damage the loader cannot miss
};

struct Layout {
    std::vector<size_t> strings;                     // string record offsets
    std::vector<std::pair<size_t, uint32_t>> counts; // count offset, least bytes per element
    std::vector<size_t> floats;                      // volumes and times
};

uint32_t Fits(const Bytes& b, size_t countAt, uint32_t each)
{
    return static_cast<uint32_t>((b.size() - countAt - 4) / each);
}

std::vector<Mutation> Mutate(const Bytes& good, const Layout& layout)
{
    std::vector<Mutation> out;
    auto patched = [](Bytes b) {
        PutU32At(b, 0, static_cast<uint32_t>(b.size()));
        return b;
    };
    for (size_t n = 0; n < good.size(); ++n) {
        Bytes cut(good.begin(), good.begin() + n);
        out.push_back({"cut to " + std::to_string(n), cut, true});
        if (n >= 4)
            out.push_back({"cut to " + std::to_string(n) + ", length patched", patched(cut), true});
    }
    for (size_t i = 0; i < good.size(); ++i)
        for (unsigned char v : {0x00, 0xFF}) {
            if (good[i] == v)
                continue;
            Bytes b = good;
            b[i] = v;
            // The header's length and magic are checked whole; a version
            // byte changed is another version.
            out.push_back({"byte " + std::to_string(i) + " = " + std::to_string(v), b, i < 13});
        }
    for (const auto& c : layout.counts)
        for (uint32_t v : {0x7FFFFFFFu, 0xFFFFFFFFu, Fits(good, c.first, c.second) + 1}) {
            Bytes b = good;
            PutU32At(b, c.first, v);
            out.push_back({"count at " + std::to_string(c.first) + " = " + std::to_string(v), b, true});
        }
    for (size_t at : layout.strings)
        for (unsigned char v : {0, 255}) {
            Bytes b = good;
            b[at] = v;
            out.push_back({"string at " + std::to_string(at) + " counts " + std::to_string(v), b, false});
        }
    for (size_t at : layout.floats)
        for (float v : {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(), -1.0f}) {
            Bytes b = good;
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            PutU32At(b, at, bits);
            out.push_back({"float at " + std::to_string(at) + " = " + std::to_string(v), b, false});
        }
    Bytes b = good;
    PutU32At(b, 9, U32At(good, 9) + 1);
    out.push_back({"next version", b, true});
    b = good;
    PutU32At(b, 9, U32At(good, 9) - 1);
    out.push_back({"previous version", b, true});
    b = good;
    std::memcpy(&b[4], "XXXXX", 5);
    out.push_back({"foreign magic", b, true});
    b = good;
    PutU32At(b, 0, static_cast<uint32_t>(good.size() + 1));
    out.push_back({"length one more", b, true});
    // Bytes after the body: read up to there.
    b = good;
    b.push_back(0);
    out.push_back({"a byte after the body", patched(b), false});
    return out;
}

size_t SkipString(const Bytes& b, size_t at) { return at + 1 + 2 * size_t(b.at(at)); }

Layout ProfileLayout(const Bytes& b)
{
    Layout l;
    size_t at = 13;
    l.strings.push_back(at);
    at = SkipString(b, at) + 7 * 4 + 1;
    const uint32_t results = U32At(b, at);
    l.counts.push_back({at, 16});
    at += 4;
    for (uint32_t i = 0; i < results; ++i, at += 16)
        l.floats.push_back(at + 12);
    at += 4 + 1;
    l.floats.push_back(at);
    l.floats.push_back(at + 4);
    at += 8 + 3 + 16;
    for (int list = 0; list < 3; ++list) {
        l.counts.push_back({at, 4});
        at += 4 + 4 * size_t(U32At(b, at));
    }
    EXPECT_EQ(at + 4, b.size());
    return l;
}

Layout ListLayout(const Bytes& b)
{
    Layout l;
    size_t at = 13;
    l.strings.push_back(at);
    at = SkipString(b, at);
    const uint32_t records = U32At(b, at);
    l.counts.push_back({at, 17});
    at += 4;
    for (uint32_t i = 0; i < records; ++i) {
        l.strings.push_back(at + 8);
        at = SkipString(b, at + 8) + 4;
        l.floats.push_back(at);
        at += 4;
    }
    EXPECT_EQ(at, b.size());
    return l;
}

Layout ScoresLayout(const Bytes& b)
{
    Layout l;
    const uint32_t entries = U32At(b, 17);
    l.counts.push_back({17, 13});
    size_t at = 21;
    for (uint32_t i = 0; i < entries; ++i) {
        l.strings.push_back(at);
        at = SkipString(b, at) + 12;
    }
    EXPECT_EQ(at, b.size());
    return l;
}

class ProfileCorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        s.Start("profile_corpus");
        auto m = Open();
        ProfileBase* anna = m->AddProfile(L"Anna");
        ProfileBase* bob = m->AddProfile(L"Bob");
        ProfileBase* carl = m->AddProfile(L"Carl");
        Puzzle::Profile* b = static_cast<Puzzle::Profile*>(bob);
        for (uint32_t l = 0; l < 3; ++l) {
            LevelResult* r = new LevelResult;
            r->playValue = l % 2;
            r->stageIndex = l / 2;
            r->levelIndex = l;
            r->time = 20.0f + l;
            b->AddLevelResult(r);
        }
        b->GetListA().push_back(2);
        b->GetListB().insert(b->GetListB().end(), {2, 0, 1, 3});
        b->GetListC().push_back(1);
        b->SetMusicVolume(0.5f);
        b->SetSoundVolume(0.25f);
        b->Save();
        m->SetCurrentProfile(bob, true);
        m->AddRecord(Level(0, 0), L"Bob", 0, 20.0f);
        m->AddRecord(Level(0, 1), L"Anna", 1, 31.0f);
        m->AddRecord(Level(1, 2), L"Carl", 0, 42.5f);
        for (ProfileBase* p : {anna, bob, carl})
            paths.push_back(p->GetFilePath());
        for (const std::string& p : paths)
            pristine.push_back(TestSupport::ReadFileBytes(p));
        list = TestSupport::ReadFileBytes(s.User("profiles.pmf"));
        {
            HighScoresTable t(10, s.userData);
            t.AddScore(L"Anna", 0, 700);
            t.AddScore(L"Bob", 1, 650);
            t.AddScore(L"Carl", 0, 900);
            t.AddScore(L"\x5C71\x7530", 1, 20);
        }
        scores = TestSupport::ReadFileBytes(s.User("high_scores.hsf"));
        ASSERT_EQ(s.Errors(), 0) << s.Dump();
    }
    void TearDown() override { s.Stop(); }

    std::unique_ptr<Puzzle::ProfileManager> Open()
    {
        return std::unique_ptr<Puzzle::ProfileManager>(new Puzzle::ProfileManager(nullptr, s.userData));
    }

    // A load that neither crashed, threw nor asked for too much memory.
    template <class F> bool Survives(const std::string& what, F load)
    {
        g_tooLarge = false;
        try {
            load();
        } catch (...) {
            ADD_FAILURE() << what << ": an exception escaped";
            return false;
        }
        if (g_tooLarge) {
            ADD_FAILURE() << what << ": asked for " << g_refusedSize << " bytes";
            return false;
        }
        return true;
    }

    static bool UsableVolume(float v) { return std::isfinite(v) && v >= 0.0f && v <= 1.0f; }
    static bool UsableTime(float t) { return std::isfinite(t) && t >= 0.0f; }

    PlayerFilesTest::Services s;
    std::vector<std::string> paths;
    std::vector<Bytes> pristine;
    Bytes list, scores;
};

TEST_F(ProfileCorpusTest, TheAllocationLimitIsInForce)
{
    g_tooLarge = false;
    EXPECT_THROW(std::vector<char>(kAllocationLimit + 1), std::bad_alloc);
    EXPECT_TRUE(g_tooLarge);
    g_tooLarge = false;
}

TEST_F(ProfileCorpusTest, DamagedFilesAreRefusedOrRepairedAndNothingElseIsTouched)
{
    const auto start = std::chrono::steady_clock::now();
    size_t loads = 0, refused = 0;

    // The profile with results and lists.
    const std::vector<Mutation> profiles = Mutate(pristine[1], ProfileLayout(pristine[1]));
    for (const Mutation& mu : profiles) {
        SCOPED_TRACE("profile, " + mu.what);
        ASSERT_TRUE(TestSupport::WriteFileBytes(paths[1], mu.bytes));
        ASSERT_TRUE(TestSupport::WriteFileBytes(s.User("profiles.pmf"), list));
        s.log->ClearHistory();
        std::unique_ptr<Puzzle::ProfileManager> m;
        if (!Survives(mu.what, [&] { m = Open(); }))
            continue;
        ++loads;
        // The other players are there and their files untouched; the damaged
        // file is never rewritten by loading.
        ASSERT_NE(m->FindProfile(L"Anna"), nullptr);
        ASSERT_NE(m->FindProfile(L"Carl"), nullptr);
        EXPECT_EQ(TestSupport::ReadFileBytes(paths[0]), pristine[0]);
        EXPECT_EQ(TestSupport::ReadFileBytes(paths[2]), pristine[2]);
        EXPECT_EQ(TestSupport::ReadFileBytes(paths[1]), mu.bytes);
        Puzzle::Profile* bob = nullptr;
        for (ProfileBase* p : m->GetProfiles())
            if (p->GetFileName() == KorvaneEngine::GetFileName(paths[1]))
                bob = static_cast<Puzzle::Profile*>(p);
        if (!bob) {
            ++refused;
            EXPECT_GE(s.Errors(), 1) << "left out without a word";
            EXPECT_EQ(m->GetProfiles().size(), 2u);
            continue;
        }
        EXPECT_FALSE(mu.mustRefuse) << "loaded";
        EXPECT_TRUE(UsableVolume(bob->GetMusicVolume()));
        EXPECT_TRUE(UsableVolume(bob->GetSoundVolume()));
        for (const LevelResult* r : bob->GetLevelResults())
            EXPECT_TRUE(UsableTime(r->time));
        EXPECT_TRUE(UsableTime(bob->GetTotalTime()));
        EXPECT_EQ(bob->GetListB().size() % 2, 0u);
        EXPECT_LE(bob->GetDisplayName().size(), 254u);
        EXPECT_EQ(ProfileBase::MakeDisplayName(bob->GetDisplayName()), bob->GetDisplayName());
    }
    ASSERT_TRUE(TestSupport::WriteFileBytes(paths[1], pristine[1]));

    // The list with records: damaged, it is logged, emptied and rewritten.
    const std::vector<Mutation> lists = Mutate(list, ListLayout(list));
    for (const Mutation& mu : lists) {
        SCOPED_TRACE("list, " + mu.what);
        PlayerFilesTest::RemoveAsideCopies(s.User("profiles.pmf"));
        ASSERT_TRUE(TestSupport::WriteFileBytes(s.User("profiles.pmf"), mu.bytes));
        s.log->ClearHistory();
        std::unique_ptr<Puzzle::ProfileManager> m;
        if (!Survives(mu.what, [&] { m = Open(); }))
            continue;
        ++loads;
        ASSERT_EQ(m->GetProfiles().size(), 3u);
        for (size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(TestSupport::ReadFileBytes(paths[i]), pristine[i]);
        for (const GameFramework::ProfileRecord* r : m->GetRecords())
            EXPECT_TRUE(UsableTime(r->time));
        // Someone is always current, and what is on disk now reads cleanly.
        EXPECT_NE(m->GetCurrentProfile(), nullptr);
        const bool discarded = s.CountWith(3, "discarded") > 0;
        if (discarded) {
            ++refused;
            EXPECT_EQ(TestSupport::ReadFileBytes(s.User("profiles.pmf.bad")), mu.bytes);
            EXPECT_TRUE(m->GetRecords().empty());
            EXPECT_EQ(m->GetCurrentProfile()->GetDisplayName(), L"Anna");
        } else {
            EXPECT_FALSE(mu.mustRefuse) << "read";
        }
        // Whatever copy was made is the file as it was; at most one.
        const std::vector<std::string> copies = PlayerFilesTest::AsideCopies(s.User("profiles.pmf"));
        EXPECT_LE(copies.size(), 1u);
        if (!copies.empty()) {
            EXPECT_EQ(copies[0], "profiles.pmf.bad");
            EXPECT_EQ(TestSupport::ReadFileBytes(s.User("profiles.pmf.bad")), mu.bytes);
        }
        m.reset();
        s.log->ClearHistory();
        m = Open();
        EXPECT_EQ(s.CountWith(3, "discarded"), 0) << s.Dump();
    }
    ASSERT_TRUE(TestSupport::WriteFileBytes(s.User("profiles.pmf"), list));

    // The high scores in two groups.
    const std::vector<Mutation> tables = Mutate(scores, ScoresLayout(scores));
    const Bytes empty = PlayerFilesTest::Image("GFHSF", 101).U32(0).U32(0).Done();
    for (const Mutation& mu : tables) {
        SCOPED_TRACE("scores, " + mu.what);
        PlayerFilesTest::RemoveAsideCopies(s.User("high_scores.hsf"));
        ASSERT_TRUE(TestSupport::WriteFileBytes(s.User("high_scores.hsf"), mu.bytes));
        s.log->ClearHistory();
        std::unique_ptr<HighScoresTable> t;
        if (!Survives(mu.what, [&] { t.reset(new HighScoresTable(10, s.userData)); }))
            continue;
        ++loads;
        if (t->GetEntries().empty() && s.Errors() > 0 && TestSupport::ReadFileBytes(s.User("high_scores.hsf")) == empty) {
            ++refused;
            EXPECT_EQ(TestSupport::ReadFileBytes(s.User("high_scores.hsf.bad")), mu.bytes);
            continue;
        }
        EXPECT_FALSE(mu.mustRefuse) << "read";
        const std::vector<std::string> copies = PlayerFilesTest::AsideCopies(s.User("high_scores.hsf"));
        EXPECT_LE(copies.size(), 1u);
        if (!copies.empty()) {
            EXPECT_EQ(copies[0], "high_scores.hsf.bad");
            EXPECT_EQ(TestSupport::ReadFileBytes(s.User("high_scores.hsf.bad")), mu.bytes);
        }
        // What was kept obeys the table's rules.
        std::map<uint32_t, int> perGroup;
        for (size_t i = 0; i < t->GetEntries().size(); ++i) {
            const HighScoreEntry* e = t->GetEntries()[i];
            EXPECT_LE(++perGroup[e->groupValue], 10);
            if (t->GetNextSequenceNumber() != UINT32_MAX) {
                EXPECT_LT(e->sequenceNumber, t->GetNextSequenceNumber());
            }
            if (i) {
                EXPECT_FALSE(HighScoreEntry::Precedes(e, t->GetEntries()[i - 1]));
            }
        }
    }
    ASSERT_TRUE(TestSupport::WriteFileBytes(s.User("high_scores.hsf"), scores));

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[corpus] %zu damaged files (%zu profile, %zu list, %zu scores), %zu refused, in %.1f s\n", loads,
        profiles.size(), lists.size(), tables.size(), refused, seconds);
    RecordProperty("damaged_files", static_cast<int>(loads));
    EXPECT_EQ(loads, profiles.size() + lists.size() + tables.size());
}

} // namespace
