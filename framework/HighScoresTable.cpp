#include "framework/HighScoresTable.h"

#include <algorithm>
#include <map>
#include <memory>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "framework/SavedFile.h"

using namespace KorvaneEngine;

namespace GameFramework {

const char* const HighScoresTable::kFileName = "high_scores.hsf";
const char* const HighScoresTable::kMagic = "GFHSF";

namespace {

// A name record, three words.
const uint32_t kMinEntryBytes = 1 + 3 * 4;

} // namespace

HighScoresTable::HighScoresTable(uint32_t capacity_, const std::string& userDataFolder_)
    : capacity(capacity_), userDataFolder(userDataFolder_)
{
    Load();
}

HighScoresTable::~HighScoresTable()
{
    for (HighScoreEntry* e : entries)
        delete e;
}

std::string HighScoresTable::GetFilePath() const { return userDataFolder + "\\" + kFileName; }

void HighScoresTable::Load()
{
    const std::string path = GetFilePath();
    // No file yet is the normal first start, not an error.
    if (!DiskFileExists(path)) {
        Clear();
        return;
    }
    std::vector<std::unique_ptr<HighScoreEntry>> read;
    uint32_t next = 0;
    try {
        GameTools::BinaryDataFile container(kMagic, kVersion);
        container.Open(path, GameTools::BinaryDataFile::kRead);
        FileBinary& file = *container.GetFile();
        next = ReadU32(file);
        const uint32_t count = ReadU32(file);
        SavedFile::CheckCount(file, count, kMinEntryBytes, "entry");
        read.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            std::unique_ptr<HighScoreEntry> e(new HighScoreEntry);
            file.ReadWideString(e->playerName);
            e->groupValue = ReadU32(file);
            e->score = ReadU32(file);
            e->sequenceNumber = ReadU32(file);
            read.push_back(std::move(e));
        }
        SavedFile::CheckEnd(file);
        container.Close();
    } catch (const FileError& e) {
        LogErrorIfOpen(e.GetMessage());
        Clear();
        return;
    }

    for (auto& e : read)
        entries.push_back(e.release());
    nextSequenceNumber = next;

    // A hand-edited or damaged table must still obey the rules AddScore
    // relies on: the next number above every stored one, table order, the
    // capacity per group.
    bool repaired = false;
    uint32_t highest = 0;
    for (const HighScoreEntry* e : entries)
        highest = std::max(highest, e->sequenceNumber);
    if (!entries.empty() && nextSequenceNumber <= highest) {
        repaired = true;
        nextSequenceNumber = highest; // AddScore renumbers before wrapping
        if (nextSequenceNumber != UINT32_MAX)
            ++nextSequenceNumber;
    }
    const size_t before = entries.size();
    std::vector<HighScoreEntry*> order = entries;
    SortAndTrim(nullptr);
    if (entries.size() != before || entries != order)
        repaired = true;
    if (repaired) {
        LogErrorIfOpen("High scores \"" + path + "\" were out of order or over capacity: repaired");
        Save();
    }
}

bool HighScoresTable::SortAndTrim(const HighScoreEntry* keep)
{
    std::stable_sort(entries.begin(), entries.end(), HighScoreEntry::Precedes);
    std::map<uint32_t, uint32_t> held;
    bool kept = false;
    std::vector<HighScoreEntry*> remaining;
    remaining.reserve(entries.size());
    for (HighScoreEntry* e : entries) {
        if (held[e->groupValue]++ < capacity) {
            remaining.push_back(e);
            kept = kept || e == keep;
        } else {
            delete e;
        }
    }
    entries.swap(remaining);
    return kept;
}

HighScoreEntry* HighScoresTable::AddScore(const std::wstring& playerName, uint32_t groupValue, uint32_t score)
{
    if (nextSequenceNumber == UINT32_MAX) {
        // Numbering afresh in table order keeps every tie as it was.
        uint32_t n = 0;
        for (HighScoreEntry* e : entries)
            e->sequenceNumber = n++;
        nextSequenceNumber = n;
    }
    HighScoreEntry* entry = new HighScoreEntry;
    entry->playerName = SavedFile::FitText(playerName);
    entry->groupValue = groupValue;
    entry->score = score;
    entry->sequenceNumber = nextSequenceNumber++;
    entries.push_back(entry);
    const bool kept = SortAndTrim(entry);
    Save();
    return kept ? entry : nullptr;
}

void HighScoresTable::Clear()
{
    nextSequenceNumber = 0;
    for (HighScoreEntry* e : entries)
        delete e;
    entries.clear();
    Save();
}

bool HighScoresTable::Save()
{
    return SavedFile::Write(GetFilePath(), kMagic, kVersion, [this](FileBinary& file) {
        const uint32_t count = static_cast<uint32_t>(entries.size());
        file.Write(&nextSequenceNumber, 4);
        file.Write(&count, 4);
        for (const HighScoreEntry* e : entries) {
            file.WriteWideString(e->playerName);
            file.Write(&e->groupValue, 4);
            file.Write(&e->score, 4);
            file.Write(&e->sequenceNumber, 4);
        }
    });
}

} // namespace GameFramework
