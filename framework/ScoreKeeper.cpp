#include "framework/ScoreKeeper.h"

namespace GameFramework {

ScoreKeeper::ScoreKeeper(int32_t s) : score(s) {}

ScoreKeeper::~ScoreKeeper()
{
    firstTable.clear();
    secondTable.clear();
}

} // namespace GameFramework
