#include "puzzle/app/GUIStartGameLogicWindow.h"

#include <algorithm>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/Shader.h"
#include "gui/Console.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUICheckBoxControl.h"
#include "gui/GUIManager.h"
#include "gui/GUITextControl.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/Content.h"
#include "puzzle/app/GUIStartGameStarsEffect.h"
#include "puzzle/app/GameData.h"
#include "puzzle/app/MenuControls.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"

namespace Puzzle {

namespace {

// List controls are numbered with two digits.
const uint32_t kMaxItems = 100;
const float kLockSpeedAffordable = 1.0f;
const float kLockSpeedTooDear = 2.0f;
const KorvaneEngine::Color kPriceAffordable(1, 1, 1, 1);
const KorvaneEngine::Color kPriceTooDear(1, 0, 0, 1);

void SetLockSpeed(KorvaneEngine::GUIWindow* lock, float speed)
{
    if (KorvaneEngine::AnimationControl* a = lock ? lock->GetModelAnimation() : nullptr)
        a->speed = speed;
}

uint32_t NonNegative(int32_t price) { return price > 0 ? static_cast<uint32_t>(price) : 0u; }

bool Contains(const std::vector<uint32_t>& list, uint32_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

GUIStartGameLogicWindow::GUIStartGameLogicWindow(GameFramework::SoundController* sound, LevelManager* levels,
                                                 ProfileManager* profiles, GameData* data,
                                                 GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                                 KorvaneEngine::GUIWindow* parentWidget, Content* catalogue)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_start_game"), levelManager(levels),
      profileManager(profiles), content(catalogue)
{
    const std::string& n = GetName();
    backButton = GetGUIButton(n + "/window/button_0");
    playButton = GetGUIButton(n + "/window/button_1");
    playButtonTitle = GetTextControl(n + "/window/button_1/title");
    relaxModeCheckBox = GetGUICheckBox(n + "/window/relax_mode");

    ProbeList(n + "/window/themes/theme_", themes);
    ProbeList(n + "/window/pictures/picture_", pictures);
    ProbeList(n + "/window/puzzles/puzzle_", puzzles);
    for (uint32_t i = 0;; ++i) {
        const std::string key = n + "/window/puzzle_size_" + KorvaneEngine::UnsignedToString(i);
        if (!HasCheckBoxControl(key))
            break;
        sizeCheckBoxes.push_back(GetGUICheckBox(key));
    }

    const uint32_t themeCount = content ? content->GetThemeCount() : 0;
    const uint32_t puzzleCount = content ? content->GetPuzzleCount() : 0;
    const std::wstring themePrice =
        KorvaneEngine::UnsignedToWideString(content ? NonNegative(content->GetThemeCost()) : 0);
    for (size_t i = 0; i < themes.Size(); ++i)
        themes.prices[i]->SetLiteralText(themePrice);
    for (size_t i = 0; i < puzzles.Size(); ++i)
        puzzles.prices[i]->SetLiteralText(KorvaneEngine::UnsignedToWideString(Price(kPuzzle, static_cast<uint32_t>(i))));

    for (size_t i = 0; i < themes.Size(); ++i) {
        if (i < themeCount) {
            if (themes.pictures[i])
                themes.pictures[i]->SetShader(
                    gameData->GetShaderUser("themes/" + content->GetThemeName(static_cast<uint32_t>(i)) + "/preview_00"));
        } else {
            SetControlEnabled(themes.controls[i], false);
        }
    }
    for (size_t i = 0; i < puzzles.Size(); ++i) {
        if (i < puzzleCount) {
            if (puzzles.pictures[i])
                puzzles.pictures[i]->SetShader(gameData->GetShaderUser(
                    "puzzles/" + KorvaneEngine::UnsignedToString(static_cast<uint32_t>(i), 2) + "/preview"));
        } else {
            SetControlEnabled(puzzles.controls[i], false);
        }
    }

    starsText = GetTextControl(n + "/window/stars_erned/text");
    cursorTip = GetTextControl(n + "/cursor_tip");
    if (cursorTip)
        cursorTipOffset = cursorTip->position;

    // Locks turn at the speed the hover gives them, from still.
    for (ItemList* list : {&themes, &pictures, &puzzles})
        for (KorvaneEngine::GUIWindow* lock : list->locks)
            if (KorvaneEngine::AnimationControl* a = lock ? lock->GetModelAnimation() : nullptr) {
                a->SetAnimation(-1);
                a->loop = 1;
                a->speed = 0.0f;
                a->Start();
            }
}

GUIStartGameLogicWindow::~GUIStartGameLogicWindow()
{
    for (GUIStartGameStarsEffect* e : starsEffects)
        delete e;
}

void GUIStartGameLogicWindow::Require(bool present, const std::string& key) const
{
    if (present)
        return;
    const std::string message = "(GUIStartGameLogicWindow): the \"" + key + "\" control is missing";
    if (KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance())
        log->LogFatal(message);
    throw KorvaneEngine::FatalError(message);
}

void GUIStartGameLogicWindow::ProbeList(const std::string& prefix, ItemList& list)
{
    for (uint32_t i = 0; i < kMaxItems; ++i) {
        const std::string item = prefix + KorvaneEngine::UnsignedToString(i, 2);
        if (!HasCheckBoxControl(item))
            break;
        const std::string lock = item + "/lock", picture = item + "/picture", star = item + "/star",
                          price = item + "/text";
        Require(HasWindowControl(lock), lock);
        Require(HasWindowControl(picture), picture);
        Require(HasWindowControl(star), star);
        Require(HasTextControl(price), price);
        GUITools::GUICheckBoxControl* control = GetCheckBoxControl(item);
        list.controls.push_back(control);
        list.checkBoxes.push_back(control->GetCheckBox());
        list.lockControls.push_back(GUIWindowBase::GetWindowControl(lock));
        list.locks.push_back(list.lockControls.back()->GetWidget());
        list.pictures.push_back(GUIWindowBase::GetWindowControl(picture)->GetWidget());
        list.stars.push_back(GUIWindowBase::GetWindowControl(star));
        list.prices.push_back(GetTextControl(price));
    }
}

Profile* GUIStartGameLogicWindow::CurrentProfile() const
{
    return profileManager ? profileManager->GetCurrentPuzzleProfile() : nullptr;
}

uint32_t GUIStartGameLogicWindow::Stars() const
{
    const Profile* p = CurrentProfile();
    return p ? p->GetStars() : 0;
}

uint32_t GUIStartGameLogicWindow::SelectedTheme() const
{
    const Profile* p = CurrentProfile();
    const uint32_t v = p ? p->GetSelectedTheme() : 0;
    return content && v < content->GetThemeCount() ? v : 0;
}

uint32_t GUIStartGameLogicWindow::SelectedPicture() const
{
    const Profile* p = CurrentProfile();
    const uint32_t v = p ? p->GetSelectedPicture() : 0;
    return content && v < content->GetPictureCount(SelectedTheme()) ? v : 0;
}

uint32_t GUIStartGameLogicWindow::SelectedPuzzle() const
{
    const Profile* p = CurrentProfile();
    const uint32_t v = p ? p->GetSelectedPuzzle() : 0;
    return content && v < content->GetPuzzleCount() ? v : 0;
}

uint32_t GUIStartGameLogicWindow::SelectedSize() const
{
    const Profile* p = CurrentProfile();
    const uint32_t v = p ? p->GetSelectedSize() : 0;
    return v < sizeCheckBoxes.size() ? v : 0;
}

uint32_t GUIStartGameLogicWindow::Price(Kind kind, uint32_t item) const
{
    if (!content)
        return 0;
    switch (kind) {
    case kTheme:
        return NonNegative(content->GetThemeCost());
    case kPicture:
        return NonNegative(content->GetPictureCost());
    default:
        return NonNegative(content->GetPuzzleCost(item));
    }
}

bool GUIStartGameLogicWindow::IsUnlocked(Kind kind, uint32_t item) const
{
    const Profile* p = CurrentProfile();
    if (!p)
        return false;
    switch (kind) {
    case kTheme:
        return Contains(p->GetListA(), item);
    case kPicture:
        return p->IsPictureUnlocked(static_cast<int>(SelectedTheme()), static_cast<int>(item));
    default:
        return Contains(p->GetListC(), item);
    }
}

void GUIStartGameLogicWindow::ShowControl(GUITools::GUIControl* control)
{
    if (!control)
        return;
    SetControlEnabled(control, true);
    if (!control->IsShowing())
        control->SetVisible(true, true);
}

void GUIStartGameLogicWindow::HideControl(GUITools::GUIControl* control)
{
    if (control && control->IsShowing())
        control->SetVisible(false, true);
}

void GUIStartGameLogicWindow::DisableMarks()
{
    for (ItemList* list : {&themes, &pictures, &puzzles})
        for (size_t i = 0; i < list->Size(); ++i) {
            SetControlEnabled(list->stars[i], false);
            SetControlEnabled(list->prices[i], false);
        }
    SetControlEnabled(cursorTip, false);
}

void GUIStartGameLogicWindow::Show(int32_t m)
{
    GUIStartGameLogicWindowBase::Show(m);
    // After a completed level or a restart the next level starts at once.
    if (m == 22 || m == 19)
        return;
    Profile* profile = CurrentProfile();
    MenuControls::SetChecked(relaxModeCheckBox, profile && profile->GetPlayValue() != 0);
    if (m == 21) {
        if (profile && profile->HasSavedGame())
            return;
        mode = 0;
    }
    RefreshThemesAndPictures();
    RefreshPuzzles();
    RefreshSizes();
    DisableMarks();
    GUIMenuWindow::SetVisible(true);
}

void GUIStartGameLogicWindow::Hide()
{
    GUIStartGameLogicWindowBase::Hide();
    DisableMarks();
    GUIMenuWindow::SetVisible(false);
}

void GUIStartGameLogicWindow::RefreshLocks(Kind kind, ItemList& list, uint32_t count)
{
    for (uint32_t i = 0; i < count && i < list.Size(); ++i) {
        const bool unlocked = IsUnlocked(kind, i);
        MenuControls::SetButtonEnabled(list.checkBoxes[i], unlocked);
        if (unlocked)
            SetControlEnabled(list.lockControls[i], false);
        else
            ShowControl(list.lockControls[i]);
    }
}

void GUIStartGameLogicWindow::RefreshThemesAndPictures()
{
    const uint32_t theme = SelectedTheme(), picture = SelectedPicture();
    for (size_t i = 0; i < themes.Size(); ++i)
        MenuControls::SetChecked(themes.checkBoxes[i], i == theme);
    for (size_t i = 0; i < pictures.Size(); ++i)
        MenuControls::SetChecked(pictures.checkBoxes[i], i == picture);
    const uint32_t pictureCount = content ? content->GetPictureCount(theme) : 0;
    const std::string themeName = content ? content->GetThemeName(theme) : std::string();
    const std::wstring picturePrice = KorvaneEngine::UnsignedToWideString(Price(kPicture, 0));
    for (uint32_t i = 0; i < pictures.Size(); ++i) {
        if (i < pictureCount) {
            if (pictures.pictures[i])
                pictures.pictures[i]->SetShader(gameData->GetShaderUser(
                    "themes/" + themeName + "/preview_" + KorvaneEngine::UnsignedToString(i, 2)));
            MenuControls::SetLiteralText(pictures.prices[i], picturePrice);
            ShowControl(pictures.controls[i]);
        } else {
            SetControlEnabled(pictures.controls[i], false);
        }
    }
    RefreshLocks(kTheme, themes, content ? content->GetThemeCount() : 0);
    RefreshLocks(kPicture, pictures, pictureCount);
}

void GUIStartGameLogicWindow::RefreshPuzzles()
{
    const uint32_t puzzle = SelectedPuzzle();
    for (size_t i = 0; i < puzzles.Size(); ++i)
        MenuControls::SetChecked(puzzles.checkBoxes[i], i == puzzle);
    RefreshLocks(kPuzzle, puzzles, content ? content->GetPuzzleCount() : 0);
}

void GUIStartGameLogicWindow::RefreshSizes()
{
    const uint32_t size = SelectedSize();
    for (size_t i = 0; i < sizeCheckBoxes.size(); ++i)
        MenuControls::SetChecked(sizeCheckBoxes[i], i == size);
}

KorvaneEngine::Vector2 GUIStartGameLogicWindow::CentreOf(GUITools::GUIControl* control) const
{
    if (!control || !control->GetWidget())
        return KorvaneEngine::Vector2(0, 0);
    KorvaneEngine::Vector2 centre = control->GetWidget()->GetAbsolutePosition();
    if (control->hitAreaOn)
        centre += control->hitAreaOffset + control->hitAreaSize * 0.5f;
    else
        centre += control->size * 0.5f;
    return centre;
}

void GUIStartGameLogicWindow::LaunchStars(const KorvaneEngine::Vector2& target)
{
    GUIStartGameStarsEffect* effect = nullptr;
    for (GUIStartGameStarsEffect* e : starsEffects)
        if (e->IsFinished()) {
            effect = e;
            break;
        }
    if (!effect) {
        effect = new GUIStartGameStarsEffect(gameData, rootWidget);
        starsEffects.push_back(effect);
    }
    KorvaneEngine::Vector2 from(0, 0);
    if (starsText && starsText->GetWidget())
        from = starsText->GetWidget()->GetAbsolutePosition() + starsText->size * 0.5f;
    effect->Start(from, target);
}

void GUIStartGameLogicWindow::Buy(Kind kind, ItemList& list, uint32_t item)
{
    Profile* profile = CurrentProfile();
    if (!profile)
        return;
    switch (kind) {
    case kTheme:
        profile->GetListA().push_back(item);
        profile->Save();
        // A theme comes with its first picture.
        profile->GetListB().push_back(item);
        profile->GetListB().push_back(0);
        profile->Save();
        break;
    case kPicture:
        profile->GetListB().push_back(SelectedTheme());
        profile->GetListB().push_back(item);
        profile->Save();
        break;
    case kPuzzle:
        profile->GetListC().push_back(item);
        profile->Save();
        break;
    }
    const uint32_t stars = profile->GetStars();
    profile->SetStars(stars - std::min(stars, Price(kind, item)));
    profile->Save();
    HideControl(list.stars[item]);
    HideControl(list.prices[item]);
    LaunchStars(CentreOf(list.controls[item]));
}

bool GUIStartGameLogicWindow::UpdateItem(Kind kind, ItemList& list, uint32_t i, bool* tipWanted)
{
    bool bought = false;
    if (!IsUnlocked(kind, i)) {
        const uint32_t price = Price(kind, i), stars = Stars();
        KorvaneEngine::GUICheckBox* box = list.checkBoxes[i];
        if (box && box->mouseOver) {
            if (price <= stars) {
                SetLockSpeed(list.locks[i], kLockSpeedAffordable);
                *tipWanted = true;
                if (MenuControls::KeyPressed("MOUSE1")) {
                    Buy(kind, list, i);
                    bought = true;
                }
            } else {
                SetLockSpeed(list.locks[i], kLockSpeedTooDear);
            }
            if (!list.stars[i]->IsShowing() && !bought) {
                ShowControl(list.stars[i]);
                ShowControl(list.prices[i]);
                const KorvaneEngine::Color& c = price > stars ? kPriceTooDear : kPriceAffordable;
                if (list.stars[i]->GetWidget())
                    list.stars[i]->GetWidget()->SetColor(c);
                list.prices[i]->color = c;
            }
        } else {
            SetLockSpeed(list.locks[i], 0.0f);
            HideControl(list.stars[i]);
            HideControl(list.prices[i]);
        }
    }
    return bought;
}

void GUIStartGameLogicWindow::Update()
{
    GUIStartGameLogicWindowBase::Update();
    GUIMenuWindow::Update();
    for (GUIStartGameStarsEffect* e : starsEffects)
        e->Update();
    if (mode == 21 || mode == 22 || mode == 19) {
        eventCode = 24;
        mode = 0;
        return;
    }
    if (!GUIMenuWindow::IsVisible())
        return;
    Profile* profile = CurrentProfile();
    if (!profile || !content)
        return;
    // Cheat mode: a thousand stars a press of F1.
    const KorvaneEngine::Console* console = KorvaneEngine::Console::Instance();
    if (console && console->IsEnabled() && MenuControls::KeyPressed("F1")) {
        const uint32_t stars = profile->GetStars();
        profile->SetStars(stars > UINT32_MAX - 1000 ? UINT32_MAX : stars + 1000);
        profile->Save();
    }

    if (cursorTip)
        if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
            cursorTip->position = gui->GetCursorPosition() + cursorTipOffset;
    MenuControls::SetLiteralText(starsText, KorvaneEngine::UnsignedToWideString(profile->GetStars()));

    bool tipWanted = false;
    const uint32_t themeCount = content->GetThemeCount();
    for (uint32_t i = 0; i < themes.Size() && i < themeCount; ++i) {
        const bool bought = UpdateItem(kTheme, themes, i, &tipWanted);
        if (MenuControls::Clicked(themes.checkBoxes[i]) || bought) {
            if (profile->GetSelectedTheme() != i) {
                profile->SetSelectedTheme(i);
                profile->Save();
                profile->SetSelectedPicture(0);
                profile->Save();
            }
            RefreshThemesAndPictures();
        }
    }
    const uint32_t pictureCount = content->GetPictureCount(SelectedTheme());
    for (uint32_t i = 0; i < pictures.Size() && i < pictureCount; ++i) {
        const bool bought = UpdateItem(kPicture, pictures, i, &tipWanted);
        if (MenuControls::Clicked(pictures.checkBoxes[i]) || bought) {
            profile->SetSelectedPicture(i);
            profile->Save();
            RefreshThemesAndPictures();
        }
    }
    const uint32_t puzzleCount = content->GetPuzzleCount();
    for (uint32_t i = 0; i < puzzles.Size() && i < puzzleCount; ++i) {
        const bool bought = UpdateItem(kPuzzle, puzzles, i, &tipWanted);
        if (MenuControls::Clicked(puzzles.checkBoxes[i]) || bought) {
            profile->SetSelectedPuzzle(i);
            profile->Save();
            RefreshPuzzles();
        }
    }

    if (cursorTip) {
        if (tipWanted && !cursorTip->IsShowing())
            ShowControl(cursorTip);
        else if (!tipWanted && cursorTip->IsShowing())
            HideControl(cursorTip);
    }

    for (uint32_t i = 0; i < sizeCheckBoxes.size(); ++i)
        if (MenuControls::Clicked(sizeCheckBoxes[i])) {
            profile->SetSelectedSize(i);
            profile->Save();
            RefreshSizes();
            break;
        }

    if (MenuControls::Clicked(relaxModeCheckBox)) {
        profile->SetPlayValue(relaxModeCheckBox->checked ? 1 : 0);
        profile->Save();
    }

    if (MenuControls::Clicked(backButton))
        eventCode = 3;
    if (MenuControls::Clicked(playButton)) {
        if (themeCount == 0 || puzzleCount == 0)
            KorvaneEngine::LogErrorIfOpen("(GUIStartGameLogicWindow::Update): there is no theme or no puzzle to play");
        else
            eventCode = 24;
    }
}

} // namespace Puzzle
