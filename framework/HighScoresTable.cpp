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
            std::wstring name;
            file.ReadWideString(name);
            // As a save would write it, so memory equals the file.
            e->playerName = SavedFile::FitText(name);
            if (e->playerName != name)
                SavedFile::WarnLoss(path, "the name of entry " + std::to_string(i) + " cut to " +
                                              std::to_string(e->playerName.size()) + " units",
                    &keepAsideFirst);
            e->groupValue = ReadU32(file);
            e->score = ReadU32(file);
            e->sequenceNumber = ReadU32(file);
            read.push_back(std::move(e));
        }
        SavedFile::WarnAboutRest(file, &keepAsideFirst);
        container.Close();
    } catch (const FileError& e) {
        keepAsideFirst = !SavedFile::Discard("High scores", path, e.GetMessage());
        Clear();
        return;
    }

    for (auto& e : read)
        entries.push_back(e.release());
    nextSequenceNumber = next;

    // A hand-edited or damaged table must still obey the rules AddScore
    // relies on: the next number above every stored one, table order, the
    // capacity per group. Each repair is rewritten at once. Only the trim
    // loses entries; a raised number or a new order keeps all that counts.
    bool repaired = false;
    uint32_t highest = 0;
    for (const HighScoreEntry* e : entries)
        highest = std::max(highest, e->sequenceNumber);
    if (!entries.empty() && nextSequenceNumber <= highest) {
        repaired = true;
        const uint32_t stored = nextSequenceNumber;
        nextSequenceNumber = highest; // AddScore renumbers before wrapping
        if (nextSequenceNumber != UINT32_MAX)
            ++nextSequenceNumber;
        SavedFile::Warn(path, "the next sequence number " + std::to_string(stored) + " raised to " +
                                  std::to_string(nextSequenceNumber) + ", above the stored ones");
    }
    const size_t before = entries.size();
    std::vector<HighScoreEntry*> order = entries;
    std::stable_sort(order.begin(), order.end(), HighScoreEntry::Precedes);
    if (order != entries) {
        repaired = true;
        SavedFile::Warn(path, "entries out of order sorted");
    }
    SortAndTrim(nullptr);
    if (entries.size() != before) {
        repaired = true;
        // Dropped entries are gone from the file once it is rewritten.
        SavedFile::WarnLoss(path, std::to_string(before - entries.size()) + " entries beyond the " +
                                      std::to_string(capacity) + " a group keeps dropped",
            &keepAsideFirst);
    }
    if (repaired)
        Save();
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
    }, &keepAsideFirst);
}

} // namespace GameFramework
