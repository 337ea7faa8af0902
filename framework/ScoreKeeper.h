#pragma once
#include <cstdint>
#include <map>

namespace GameFramework {

// The score of one level being played, and two tables a game may keep with
// it (their content is the game's).
class ScoreKeeper {
public:
    explicit ScoreKeeper(int32_t score);
    virtual ~ScoreKeeper();
    ScoreKeeper(const ScoreKeeper&) = delete;
    ScoreKeeper& operator=(const ScoreKeeper&) = delete;

    int32_t GetScore() const { return score; }
    void SetScore(int32_t value) { score = value; }

    int32_t value = 0;
    std::map<int32_t, int32_t> firstTable;
    std::map<int32_t, int32_t> secondTable;
    int32_t step = 1;

private:
    int32_t score;
};

} // namespace GameFramework
