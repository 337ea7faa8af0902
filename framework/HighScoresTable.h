#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/HighScoreEntry.h"

namespace GameFramework {

// The best final scores of all players, up to a capacity per group, kept in
// "<user data folder>\high_scores.hsf" (signed container "GFHSF", version
// 101). The table loads at construction: without a file it starts empty and
// writes one; a file that cannot be read is copied to "high_scores.hsf.bad"
// (or the next free name, see SavedFile::KeepAside) and logged, and the table
// starts empty and is written anew (not while the copy cannot be made).
// Bytes after the entries are left unread (a warning). Repairs of what was
// read (the next number, the order, names cut, entries beyond the capacity)
// are warnings naming the file; when something the file held is left out
// (those bytes, a name cut, entries dropped) the next save keeps a copy first.
// Entries are owned by the table and stay valid until the table drops them
// (AddScore, Clear) or is destroyed.
class HighScoresTable {
public:
    virtual ~HighScoresTable();
    HighScoresTable(uint32_t capacity, const std::string& userDataFolder);
    HighScoresTable(const HighScoresTable&) = delete;
    HighScoresTable& operator=(const HighScoresTable&) = delete;

    // Offers a finished game's score. The new entry when it stays in its
    // group's table, else null (an equal score does not push out an older
    // entry). The file is written either way; other groups are not touched.
    HighScoreEntry* AddScore(const std::wstring& playerName, uint32_t groupValue, uint32_t score);
    // Empties the table, restarts the sequence at 0 and writes the file.
    void Clear();
    // Writes the file; a failure is logged and the table stays as it is.
    // True when the file was replaced.
    bool Save();

    // All groups, in table order.
    const std::vector<HighScoreEntry*>& GetEntries() const { return entries; }
    uint32_t GetCapacity() const { return capacity; }
    uint32_t GetNextSequenceNumber() const { return nextSequenceNumber; }
    std::string GetFilePath() const;

    static const char* const kFileName;
    static const char* const kMagic;
    static const uint32_t kVersion = 101;

private:
    void Load();
    // Table order, then at most capacity entries per group. Returns whether
    // the given entry is still held (it is deleted otherwise).
    bool SortAndTrim(const HighScoreEntry* keep);

    uint32_t capacity;
    std::vector<HighScoreEntry*> entries;
    std::string userDataFolder;
    uint32_t nextSequenceNumber = 0;
    // The file on disk must be copied aside before the next save replaces it.
    bool keepAsideFirst = false;
};

} // namespace GameFramework
