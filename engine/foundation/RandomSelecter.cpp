#include "engine/foundation/RandomSelecter.h"

#include "engine/foundation/Random.h"

namespace GameTools {

RandomSelecter::RandomSelecter(uint32_t maxRepeats) : maxRepeats_(maxRepeats) {}

RandomSelecter::~RandomSelecter() {}

void RandomSelecter::AddValue(uint32_t id, uint32_t weight)
{
    entries_.push_back(Entry{id, weight});
    totalWeight_ += weight;
}

void RandomSelecter::SetValue(uint32_t id, uint32_t weight)
{
    for (Entry& e : entries_)
        if (e.id == id) {
            totalWeight_ = totalWeight_ - e.weight + weight;
            e.weight = weight;
            return;
        }
    AddValue(id, weight);
}

uint32_t RandomSelecter::Select()
{
    if (entries_.empty())
        return 0;
    const int32_t count = static_cast<int32_t>(entries_.size());
    int32_t pick = -1;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        pick = -1;
        // The draw is an unsigned span: a total above INT_MAX must not turn
        // into a negative upper limit.
        uint32_t r = KorvaneEngine::RandomBelow(totalWeight_ + 1u);
        uint64_t sum = 0;
        for (int32_t i = 0; i < count; ++i) {
            sum += entries_[i].weight;
            if (sum >= r && entries_[i].weight != 0) {
                pick = i;
                break;
            }
        }
        if (pick < 0)
            pick = KorvaneEngine::RandomInt(0, count - 1);
        if (pick != lastIndex_ || repeatCount_ < maxRepeats_ || count == 1)
            break;
    }
    if (pick == lastIndex_) {
        ++repeatCount_;
    } else {
        lastIndex_ = pick;
        repeatCount_ = 0;
    }
    return entries_[pick].id;
}

} // namespace GameTools
