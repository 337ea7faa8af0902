#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"
#include "framework/GUIStartGameLogicWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
class GUICheckBox;
} // namespace KorvaneEngine

namespace GUITools {
class GUICheckBoxControl;
class GUIWindowControl;
} // namespace GUITools

namespace Puzzle {

class Content;
class GUIStartGameStarsEffect;
class LevelManager;
class Profile;
class ProfileManager;

// The choice of what to play ("window_start_game"): a theme, a picture of it,
// a puzzle (the cut) and a size, and relax mode. Locked items show a lock;
// over one the player can afford, the price shows white with the cursor tip,
// and a press buys it (stars fly from the counter to it); over one too dear
// the price shows red and presses do nothing. Every choice goes into the
// current player's profile at once: the window keeps no selection.
//
// A selection the profile holds beyond the catalogue (or the size boxes)
// reads as 0 wherever it is used; the profile changes only when the player
// picks. Codes: 24 play, 3 main menu. Shown with mode 22 or 19, or with 21
// and a game in progress, it stays hidden and the next Update answers 24.
class GUIStartGameLogicWindow : public GameFramework::GUIStartGameLogicWindowBase, public GUIMenuWindow {
public:
    // The items of one list, by number.
    struct ItemList {
        std::vector<GUITools::GUICheckBoxControl*> controls;
        std::vector<KorvaneEngine::GUICheckBox*> checkBoxes;
        std::vector<GUITools::GUIWindowControl*> lockControls;
        std::vector<KorvaneEngine::GUIWindow*> locks;
        std::vector<KorvaneEngine::GUIWindow*> pictures;
        std::vector<GUITools::GUIWindowControl*> stars;
        std::vector<GUITools::GUITextControl*> prices;
        size_t Size() const { return controls.size(); }
    };

    // Item descriptions without their "/lock", "/picture", "/star" or "/text"
    // are fatal (logged with the key, FatalError).
    GUIStartGameLogicWindow(GameFramework::SoundController* sound, LevelManager* levelManager,
                            ProfileManager* profileManager, GameData* gameData, GUITools::GUIToolManager* toolManager,
                            GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget, Content* content);
    ~GUIStartGameLogicWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

    void RefreshThemesAndPictures();
    void RefreshPuzzles();
    void RefreshSizes();
    // A flight of stars from the counter to the target (GUI units).
    void LaunchStars(const KorvaneEngine::Vector2& target);

    // The profile's selections as the window uses them: 0 beyond the
    // catalogue, the theme's pictures or the size boxes.
    uint32_t SelectedTheme() const;
    uint32_t SelectedPicture() const;
    uint32_t SelectedPuzzle() const;
    uint32_t SelectedSize() const;

    const ItemList& GetThemes() const { return themes; }
    const ItemList& GetPictures() const { return pictures; }
    const ItemList& GetPuzzles() const { return puzzles; }
    const std::vector<KorvaneEngine::GUICheckBox*>& GetSizeCheckBoxes() const { return sizeCheckBoxes; }
    const std::vector<GUIStartGameStarsEffect*>& GetStarsEffects() const { return starsEffects; }
    GUITools::GUITextControl* GetCursorTip() const { return cursorTip; }

private:
    enum Kind { kTheme, kPicture, kPuzzle };

    void ProbeList(const std::string& prefix, ItemList& list);
    // Fatal, naming the key, when the description lacks the control.
    void Require(bool present, const std::string& key) const;
    Profile* CurrentProfile() const;
    uint32_t Stars() const;
    uint32_t Price(Kind kind, uint32_t item) const;
    bool IsUnlocked(Kind kind, uint32_t item) const;
    // One item's hover, purchase and click; true when it was bought.
    bool UpdateItem(Kind kind, ItemList& list, uint32_t item, bool* tipWanted);
    void Buy(Kind kind, ItemList& list, uint32_t item);
    void ShowControl(GUITools::GUIControl* control);
    void HideControl(GUITools::GUIControl* control);
    void DisableMarks();
    void RefreshLocks(Kind kind, ItemList& list, uint32_t count);
    KorvaneEngine::Vector2 CentreOf(GUITools::GUIControl* control) const;

    LevelManager* levelManager;
    ProfileManager* profileManager;
    Content* content;
    KorvaneEngine::GUIButton* backButton;
    KorvaneEngine::GUIButton* playButton;
    GUITools::GUITextControl* playButtonTitle;
    KorvaneEngine::GUICheckBox* relaxModeCheckBox;
    ItemList themes, pictures, puzzles;
    std::vector<KorvaneEngine::GUICheckBox*> sizeCheckBoxes;
    GUITools::GUITextControl* starsText = nullptr;
    GUITools::GUITextControl* cursorTip = nullptr;
    KorvaneEngine::Vector2 cursorTipOffset;
    std::vector<GUIStartGameStarsEffect*> starsEffects;
};

} // namespace Puzzle
