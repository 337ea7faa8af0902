#pragma once
#include <cstdint>
#include <vector>

namespace GameTools {

// Picks one of a set of ids at random by relative weight, repeating the
// previous pick at most maxRepeats times in a row. Draws from the engine's
// shared random source.
class RandomSelecter {
public:
    virtual ~RandomSelecter();
    explicit RandomSelecter(uint32_t maxRepeats);

    // Appends without checking for an existing id.
    void AddValue(uint32_t id, uint32_t weight);
    // Changes the weight of an existing id, or adds it.
    void SetValue(uint32_t id, uint32_t weight);
    // The picked id; 0 when there are no entries.
    uint32_t Select();

    uint32_t GetTotalWeight() const { return totalWeight_; }
    uint32_t GetCount() const { return static_cast<uint32_t>(entries_.size()); }
    int32_t GetLastIndex() const { return lastIndex_; }
    uint32_t GetRepeatCount() const { return repeatCount_; }

private:
    struct Entry {
        uint32_t id;
        uint32_t weight;
    };

    uint32_t maxRepeats_;
    uint32_t totalWeight_ = 0;
    std::vector<Entry> entries_;
    int32_t lastIndex_ = -1;
    uint32_t repeatCount_ = 0;
};

} // namespace GameTools
