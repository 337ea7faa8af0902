#include "puzzle/logic/BonusManager.h"

#include <algorithm>

#include "engine/foundation/RandomSelecter.h"
#include "gui/GUIWindow.h"
#include "puzzle/logic/Bonus.h"

namespace Puzzle {

namespace {
const int32_t kContainerHeight = 210;
const uint32_t kTipWeight = 20, kMagnetWeight = 16;
} // namespace

BonusManager::BonusManager(GameTools::DataKeeper* registry, bool relax, KorvaneEngine::GUIWindow* parent)
    : registry_(registry), relax_(relax)
{
    container_ = KorvaneEngine::GUIManager::Instance()->CreateContainerWindow(KorvaneEngine::GUIWindow::kShown,
                                                                               parent);
    container_->SetHeight(kContainerHeight);
    chooser_ = new GameTools::RandomSelecter(0);
    chooser_->AddValue(Bonus::kTip, kTipWeight);
    chooser_->AddValue(Bonus::kMagnet, kMagnetWeight);
    chooser_->AddValue(Bonus::kPause, 0);
    chooser_->AddValue(Bonus::kRollback, 0);
}

BonusManager::~BonusManager()
{
    delete chooser_;
    for (Bonus* b : bonuses_)
        delete b;
    bonuses_.clear();
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        gui->DestroyWindow(container_);
}

Bonus* BonusManager::CreateBonus(float r)
{
    if (!relax_) {
        // The nearer the queue is to the finish, the more the bonuses that
        // hold it back come up.
        uint32_t pause = 0, rollback = 0;
        if (r > 0.6f) {
        } else if (r >= 0.2f) {
            pause = 12;
            rollback = 5;
        } else {
            pause = 12;
            rollback = 22;
        }
        chooser_->SetValue(Bonus::kPause, pause);
        chooser_->SetValue(Bonus::kRollback, rollback);
    }
    const int type = static_cast<int>(chooser_->Select());
    Bonus* b = new Bonus(registry_, type, container_);
    bonuses_.push_back(b);
    return b;
}

void BonusManager::Update(int, float factor)
{
    for (Bonus*& b : bonuses_) {
        b->Update(factor);
        if (!b->Exists()) {
            delete b;
            b = nullptr;
        }
    }
    bonuses_.erase(std::remove(bonuses_.begin(), bonuses_.end(), nullptr), bonuses_.end());
}

bool BonusManager::Holds(const Bonus* b) const
{
    return std::find(bonuses_.begin(), bonuses_.end(), b) != bonuses_.end();
}

} // namespace Puzzle
