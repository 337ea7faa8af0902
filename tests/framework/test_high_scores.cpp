#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/HighScoresTable.h"
#include "framework/PlayerFilesTestSupport.h"
#include "framework/SavedFile.h"

using GameFramework::HighScoreEntry;
using GameFramework::HighScoresTable;
using PlayerFilesTest::Bytes;
using PlayerFilesTest::Image;
using PlayerFilesTest::U32At;

namespace {

class HighScoresTest : public ::testing::Test {
protected:
    void SetUp() override { s.Start("high_scores"); }
    void TearDown() override { s.Stop(); }

    std::string File() const { return s.User("high_scores.hsf"); }
    Bytes Stored() const { return TestSupport::ReadFileBytes(File()); }
    std::unique_ptr<HighScoresTable> Open(uint32_t capacity = 10)
    {
        return std::unique_ptr<HighScoresTable>(new HighScoresTable(capacity, s.userData));
    }
    // (group, score, sequence) of every entry in table order.
    static std::vector<std::vector<uint32_t>> Rows(const HighScoresTable& t)
    {
        std::vector<std::vector<uint32_t>> rows;
        for (const HighScoreEntry* e : t.GetEntries())
            rows.push_back({e->groupValue, e->score, e->sequenceNumber});
        return rows;
    }
    // What a table written by the program holds, read back from its file.
    void ExpectFileMatches(const HighScoresTable& t)
    {
        Bytes b = Stored();
        ASSERT_GE(b.size(), 21u);
        EXPECT_EQ(U32At(b, 0), b.size());
        EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 9), "GFHSF");
        EXPECT_EQ(U32At(b, 9), 101u);
        EXPECT_EQ(U32At(b, 13), t.GetNextSequenceNumber());
        ASSERT_EQ(U32At(b, 17), t.GetEntries().size());
        size_t at = 21;
        for (const HighScoreEntry* e : t.GetEntries()) {
            const size_t n = b.at(at);
            ASSERT_EQ(n, e->playerName.size() + 1);
            std::wstring name;
            for (size_t i = 0; i + 1 < n; ++i)
                name.push_back(static_cast<wchar_t>(b.at(at + 1 + 2 * i) | b.at(at + 2 + 2 * i) << 8));
            EXPECT_EQ(name, e->playerName);
            at += 1 + 2 * n;
            EXPECT_EQ(U32At(b, at), e->groupValue);
            EXPECT_EQ(U32At(b, at + 4), e->score);
            EXPECT_EQ(U32At(b, at + 8), e->sequenceNumber);
            at += 12;
        }
        EXPECT_EQ(at, b.size());
    }

    PlayerFilesTest::Services s;
};

TEST_F(HighScoresTest, EqualScoresKeepTheOlderEntryAndGroupsStayApartAcrossRuns)
{
    {
        auto t = Open();
        EXPECT_EQ(s.Errors(), 0) << s.Dump(); // no file yet: quiet
        ASSERT_TRUE(TestSupport::FileExists(File()));
        for (int i = 0; i < 10; ++i)
            ASSERT_NE(t->AddScore(L"p" + std::to_wstring(i), 0, 500), nullptr);
        ExpectFileMatches(*t);
    }
    {
        // Across a restart: the sequence goes on, the newcomer of equal score
        // is dropped, and the file is still rewritten (its next number moved).
        auto t = Open();
        EXPECT_EQ(t->GetNextSequenceNumber(), 10u);
        EXPECT_EQ(t->GetEntries().size(), 10u);
        EXPECT_EQ(t->AddScore(L"late", 0, 500), nullptr);
        EXPECT_EQ(t->GetEntries().size(), 10u);
        EXPECT_EQ(U32At(Stored(), 13), 11u);
        ExpectFileMatches(*t);

        // A higher score gets in and pushes out the newest 500 (sequence 9).
        HighScoreEntry* top = t->AddScore(L"best", 0, 501);
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(t->GetEntries().front(), top);
        EXPECT_EQ(top->sequenceNumber, 11u);
        std::vector<uint32_t> sequences;
        for (const HighScoreEntry* e : t->GetEntries())
            sequences.push_back(e->sequenceNumber);
        EXPECT_EQ(sequences, (std::vector<uint32_t>{11, 0, 1, 2, 3, 4, 5, 6, 7, 8}));

        // Group 1 has a table of its own: it never removes group 0 entries.
        for (int i = 0; i < 12; ++i)
            t->AddScore(L"g1", 1, 1000 + i);
        ExpectFileMatches(*t);
    }
    auto t = Open();
    size_t group0 = 0, group1 = 0;
    for (const HighScoreEntry* e : t->GetEntries()) {
        (e->groupValue == 0 ? group0 : group1)++;
        if (e->groupValue == 1) {
            EXPECT_GE(e->score, 1002u);
        }
    }
    EXPECT_EQ(group0, 10u);
    EXPECT_EQ(group1, 10u);
    EXPECT_EQ(t->GetNextSequenceNumber(), 24u);
    EXPECT_EQ(t->GetEntries().front()->playerName, L"g1");
    EXPECT_EQ(t->GetEntries().front()->score, 1011u);
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
}

TEST_F(HighScoresTest, DamagedOrForeignFilesAreLoggedEmptiedAndRewritten)
{
    Image good("GFHSF", 101);
    good.U32(2).U32(1).WString(L"ann").U32(0).U32(7).U32(0);
    Image v100("GFHSF", 100);
    v100.U32(2).U32(1).WString(L"ann").U32(0).U32(7).U32(0);
    Image magic("GFHSX", 101);
    magic.U32(2).U32(0);
    Image huge("GFHSF", 101);
    huge.U32(2).U32(0xFFFFFFFF).WString(L"ann").U32(0).U32(7).U32(0);
    Image onePast("GFHSF", 101);
    onePast.U32(2).U32(2).WString(L"ann").U32(0).U32(7).U32(0);
    Bytes cut = good.Done();
    cut.resize(cut.size() - 3);
    Bytes recounted = cut;
    PlayerFilesTest::PutU32At(recounted, 0, static_cast<uint32_t>(recounted.size()));

    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"version 100", v100.Done()},       {"magic", magic.Done()},     {"count of 0xFFFFFFFF", huge.Done()},
        {"one more entry than fits", onePast.Done()},
        {"cut", cut},                       {"cut and re-counted", recounted}, {"empty", Bytes()},
    };
    // Each damaged file goes to the next free name: ".bad" holds an older
    // copy, so the first goes to ".bad.1", and no copy replaces another.
    ASSERT_TRUE(TestSupport::WriteFileText(File() + ".bad", "an older copy"));
    uint32_t n = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(TestSupport::WriteFileBytes(File(), c.bytes));
        s.log->ClearHistory();
        auto t = Open();
        EXPECT_TRUE(t->GetEntries().empty());
        EXPECT_EQ(t->GetNextSequenceNumber(), 0u);
        EXPECT_EQ(s.Errors(), 1) << s.Dump();
        const std::string copy = File() + ".bad." + std::to_string(n++);
        EXPECT_EQ(s.CountWith(3, "kept as \"" + copy + "\""), 1) << s.Dump();
        // The scores are still on disk beside the table written anew.
        EXPECT_EQ(TestSupport::ReadFileBytes(copy), c.bytes);
        EXPECT_EQ(Stored(), Image("GFHSF", 101).U32(0).U32(0).Done());
    }
    EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad"), Bytes({'a', 'n', ' ', 'o', 'l', 'd', 'e', 'r', ' ', 'c',
                                                               'o', 'p', 'y'}));
    for (uint32_t i = 1; i < n; ++i)
        EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad." + std::to_string(i)), cases[i - 1].bytes) << i;

    // When every name a copy may take is taken (a folder counts too), the
    // damaged file is not replaced; the first save after a name is free keeps
    // the copy there and then writes.
    ASSERT_TRUE(CreateDirectoryA((File() + ".bad." + std::to_string(n)).c_str(), nullptr));
    for (uint32_t i = n + 1; i < GameFramework::SavedFile::kMaxAsideCopies; ++i)
        ASSERT_TRUE(TestSupport::WriteFileText(File() + ".bad." + std::to_string(i), "taken")) << i;
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), cut));
    s.log->ClearHistory();
    {
        auto t = Open();
        EXPECT_TRUE(t->GetEntries().empty());
        EXPECT_EQ(Stored(), cut);
        EXPECT_EQ(s.CountWith(3, "not replaced, no copy made: \"" + File() + ".bad\" to \"" + File() +
                                     ".bad." + std::to_string(GameFramework::SavedFile::kMaxAsideCopies - 1) +
                                     "\" are all taken"),
            1)
            << s.Dump();
        s.log->ClearHistory();
        EXPECT_EQ(t->AddScore(L"new", 0, 5)->score, 5u);
        EXPECT_EQ(Stored(), cut);
        EXPECT_EQ(s.CountWith(3, "Not saved \"" + File() + "\""), 1) << s.Dump();
        DeleteFileA((File() + ".bad.500").c_str());
        s.log->ClearHistory();
        EXPECT_TRUE(t->Save());
        EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad.500"), cut);
        EXPECT_EQ(s.CountWith(2, "kept as \"" + File() + ".bad.500\""), 1) << s.Dump();
        ExpectFileMatches(*t);
    }
    EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad.501"), Bytes({'t', 'a', 'k', 'e', 'n'}));
    PlayerFilesTest::RemoveAsideCopies(File());

    // The good one loads without a word.
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), good.Done()));
    s.log->ClearHistory();
    auto t = Open();
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
    ASSERT_EQ(t->GetEntries().size(), 1u);
    EXPECT_EQ(t->GetEntries()[0]->playerName, L"ann");
    EXPECT_EQ(t->GetNextSequenceNumber(), 2u);
}

TEST_F(HighScoresTest, StoredEntriesOutOfOrderOrOverCapacityAreRepaired)
{
    // Capacity 3: group 5 holds five entries, unsorted, and the next number
    // lies below the stored ones.
    Image img("GFHSF", 101);
    img.U32(4).U32(6);
    img.WString(L"a").U32(5).U32(10).U32(3);
    img.WString(L"b").U32(5).U32(30).U32(9);
    img.WString(L"c").U32(7).U32(1).U32(2);
    img.WString(L"d").U32(5).U32(30).U32(4);
    img.WString(L"e").U32(5).U32(20).U32(1);
    img.WString(L"f").U32(5).U32(5).U32(0);
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), img.Done()));
    auto t = Open(3);
    EXPECT_EQ(Rows(*t), (std::vector<std::vector<uint32_t>>{{5, 30, 4}, {5, 30, 9}, {5, 20, 1}, {7, 1, 2}}));
    EXPECT_EQ(t->GetNextSequenceNumber(), 10u);
    // Each repair a warning naming the file, none an error; the dropped
    // entries stay on disk in the copy.
    EXPECT_EQ(s.Errors(), 0) << s.Dump();
    EXPECT_EQ(s.CountWith(2, File() + "\": the next sequence number 4 raised to 10"), 1) << s.Dump();
    EXPECT_EQ(s.CountWith(2, File() + "\": entries out of order sorted"), 1) << s.Dump();
    EXPECT_EQ(s.CountWith(2, File() + "\": 2 entries beyond the 3 a group keeps dropped"), 1) << s.Dump();
    EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad"), img.Done());
    ExpectFileMatches(*t);

    // The next entry is younger than every stored one: an equal 20 stays out.
    EXPECT_EQ(t->AddScore(L"g", 5, 20), nullptr);
    ASSERT_NE(t->AddScore(L"h", 5, 25), nullptr);
    EXPECT_EQ(Rows(*t), (std::vector<std::vector<uint32_t>>{{5, 30, 4}, {5, 30, 9}, {5, 25, 11}, {7, 1, 2}}));

    // A next number at the top of the range: the table is numbered afresh in
    // its order before the sequence would wrap, so ties still go to the older.
    Image top("GFHSF", 101);
    top.U32(0xFFFFFFFF).U32(2);
    top.WString(L"old").U32(0).U32(50).U32(0xFFFFFFFE);
    top.WString(L"older").U32(0).U32(50).U32(0xFFFFFFF0);
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), top.Done()));
    t = Open(2);
    EXPECT_EQ(t->AddScore(L"new", 0, 50), nullptr);
    ASSERT_EQ(t->GetEntries().size(), 2u);
    EXPECT_EQ(t->GetEntries()[0]->playerName, L"older");
    EXPECT_EQ(t->GetEntries()[1]->playerName, L"old");
    EXPECT_LT(t->GetNextSequenceNumber(), 10u);
    ASSERT_NE(t->AddScore(L"newer", 0, 51), nullptr);
    EXPECT_EQ(t->GetEntries()[1]->playerName, L"older");

    // A stored sequence number at the top with the next number below it.
    Image stuck("GFHSF", 101);
    stuck.U32(3).U32(1).WString(L"x").U32(0).U32(9).U32(0xFFFFFFFF);
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), stuck.Done()));
    t = Open(1);
    EXPECT_EQ(t->AddScore(L"y", 0, 9), nullptr);
    EXPECT_EQ(t->GetEntries()[0]->playerName, L"x");
    ASSERT_NE(t->AddScore(L"z", 0, 10), nullptr);
    EXPECT_EQ(t->GetEntries()[0]->playerName, L"z");
}

TEST_F(HighScoresTest, WhatAReadLeavesOutIsKeptAsideBeforeTheNextSave)
{
    {
        auto t = Open();
        t->AddScore(L"ann", 0, 700);
        t->AddScore(L"bob", 1, 650);
        t->AddScore(L"\x5C71\x7530", 0, 900);
    }
    // Sixteen bytes more, counted in the header.
    Bytes longer = Stored();
    const size_t known = longer.size();
    for (int i = 0; i < 16; ++i)
        longer.push_back(static_cast<unsigned char>(0xA0 + i));
    PlayerFilesTest::PutU32At(longer, 0, static_cast<uint32_t>(longer.size()));
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), longer));
    s.log->ClearHistory();
    {
        auto t = Open();
        ASSERT_EQ(Rows(*t), (std::vector<std::vector<uint32_t>>{{0, 900, 2}, {0, 700, 0}, {1, 650, 1}}));
        EXPECT_EQ(t->GetEntries()[0]->playerName, L"\x5C71\x7530");
        EXPECT_EQ(t->GetNextSequenceNumber(), 3u);
        EXPECT_EQ(s.Errors(), 0) << s.Dump();
        EXPECT_EQ(s.CountWith(2, File() + "\": 16 bytes after the last known field"), 1) << s.Dump();
        // Reading alone writes nothing; the first save keeps the file as it
        // was, bytes the table does not know included, then writes.
        EXPECT_EQ(Stored(), longer);
        EXPECT_FALSE(TestSupport::FileExists(File() + ".bad"));
        s.log->ClearHistory();
        ASSERT_NE(t->AddScore(L"cat", 0, 800), nullptr);
        EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad"), longer);
        EXPECT_EQ(s.CountWith(2, "kept as \"" + File() + ".bad\""), 1) << s.Dump();
        EXPECT_EQ(Stored().size(), known + 1 + 2 * 4 + 12);
        ExpectFileMatches(*t);
        // Once: the next save only writes.
        ASSERT_NE(t->AddScore(L"dan", 1, 10), nullptr);
        EXPECT_EQ(PlayerFilesTest::AsideCopies(File()), std::vector<std::string>{"high_scores.hsf.bad"});
    }

    // A name record of 255 units without its zero: the table keeps 254, so
    // the file goes aside first, to the next free name.
    Image img("GFHSF", 101);
    img.U32(1).U32(1).U8(255);
    for (int i = 0; i < 255; ++i)
        img.U8('w').U8(0);
    img.U32(0).U32(40).U32(0);
    const Bytes cut = img.Done();
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), cut));
    s.log->ClearHistory();
    {
        auto t = Open();
        ASSERT_EQ(t->GetEntries().size(), 1u);
        EXPECT_EQ(t->GetEntries()[0]->playerName, std::wstring(254, L'w'));
        EXPECT_EQ(s.CountWith(2, File() + "\": the name of entry 0 cut to 254 units"), 1) << s.Dump();
        EXPECT_EQ(Stored(), cut);
        t->Clear();
        EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad.1"), cut);
        EXPECT_EQ(TestSupport::ReadFileBytes(File() + ".bad"), longer);
    }

    // Repairs that lose nothing keep no copy: a next number below the stored
    // ones and entries out of order are rewritten at once, and only that.
    Image order("GFHSF", 101);
    order.U32(0).U32(2).WString(L"low").U32(0).U32(5).U32(0).WString(L"high").U32(0).U32(9).U32(1);
    ASSERT_TRUE(TestSupport::WriteFileBytes(File(), order.Done()));
    {
        auto t = Open();
        EXPECT_EQ(Rows(*t), (std::vector<std::vector<uint32_t>>{{0, 9, 1}, {0, 5, 0}}));
        EXPECT_EQ(t->GetNextSequenceNumber(), 2u);
        ExpectFileMatches(*t);
    }
    EXPECT_EQ(PlayerFilesTest::AsideCopies(File()),
              (std::vector<std::string>{"high_scores.hsf.bad", "high_scores.hsf.bad.1"}));
}

TEST_F(HighScoresTest, AFailedSaveLeavesTheOldFileAndTheTable)
{
    auto t = Open();
    t->AddScore(L"ann", 0, 100);
    const Bytes before = Stored();
    // A folder where the temporary file would go makes every save fail.
    ASSERT_TRUE(CreateDirectoryA((File() + ".tmp").c_str(), nullptr));
    s.log->ClearHistory();
    EXPECT_NE(t->AddScore(L"bob", 0, 200), nullptr);
    EXPECT_EQ(s.Errors(), 1) << s.Dump();
    EXPECT_EQ(Stored(), before);
    EXPECT_EQ(t->GetEntries().size(), 2u);
    EXPECT_FALSE(t->Save());
    EXPECT_EQ(Stored(), before);

    RemoveDirectoryA((File() + ".tmp").c_str());
    EXPECT_TRUE(t->Save());
    ExpectFileMatches(*t);
    EXPECT_FALSE(TestSupport::FileExists(File() + ".tmp"));
    auto again = Open();
    EXPECT_EQ(Rows(*again), Rows(*t));

    // Names are kept as the file keeps them: cut at 254 units, whole pairs.
    std::wstring longName(253, L'n');
    longName += L"\xD83D\xDE00";
    HighScoreEntry* e = t->AddScore(longName + L"tail", 0, 300);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->playerName, std::wstring(253, L'n'));
    ExpectFileMatches(*t);
}

} // namespace
