// The localised texts: data\ui\texts\texts.xml (the game's words) and
// default_texts.xml (the shared words), both from the one key table below.
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>

#include "tools/content/ContentSet.h"
#include "tools/content/Modules.h"
#include "tools/content/Texts.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace Texts {

namespace {

using ContentTools::XmlElement;

// Texts shown through a narrow string (the window title) stay ASCII.
const std::vector<Entry> kTable = {
    // Shared words.
    {kDefaults, "common/exit", "Exit", "Konec"},
    {kDefaults, "common/cancel", "Cancel", "Zrušit"},
    {kDefaults, "common/ok", "OK", "OK"},
    {kDefaults, "common/yes", "Yes", "Ano"},
    {kDefaults, "common/no", "No", "Ne"},
    {kDefaults, "common/back", "Back", "Zpět"},
    {kDefaults, "common/loading", "Loading...", "Načítání..."},

    // The game's words; "common/ok" here replaces the shared one.
    {kGame, "game_title", "Pelloria", "Pelloria"},
    {kGame, "common/ok", "Confirm", "Potvrdit"},
    {kGame, "game_logic/combo", "Combo x%COMBO%!", "Kombo x%COMBO%!"},
    {kGame, "game_logic/bonuses/magnet", "Magnet", "Magnet"},
    {kGame, "game_logic/bonuses/pause", "Pause", "Pauza"},
    {kGame, "game_logic/bonuses/roll_back", "Roll back", "Přetočit zpět"},
    {kGame, "game_logic/bonuses/tip", "Tip", "Nápověda"},

    {kGame, "main_menu/title", "Welcome, %PROFILE_NAME%!", "Vítej, %PROFILE_NAME%!"},
    {kGame, "main_menu/start", "Play", "Hrát"},
    {kGame, "main_menu/options", "Options", "Nastavení"},
    {kGame, "main_menu/change_player", "Change player", "Změnit hráče"},
    {kGame, "main_menu/credits", "Credits", "Tvůrci"},

    {kGame, "options/title", "Options", "Nastavení"},
    {kGame, "options/sound", "Sound effects", "Zvukové efekty"},
    {kGame, "options/music", "Music", "Hudba"},
    {kGame, "options/fullscreen", "Full screen", "Celá obrazovka"},
    {kGame, "options/video_mode", "Resolution", "Rozlišení"},
    {kGame, "options/defaults", "Defaults", "Výchozí"},

    {kGame, "relax/title", "Relax mode", "Pohodový režim"},
    {kGame, "relax/text", "No clock and no hurry: would you like to play on in relax mode?",
     "Bez hodin a bez spěchu: chceš hrát dál v pohodovém režimu?"},
    {kGame, "relax/accept", "Relax", "Pohoda"},
    {kGame, "relax/decline", "No, thanks", "Ne, díky"},

    {kGame, "new_profile/title", "New player", "Nový hráč"},
    {kGame, "new_profile/text", "Type your name:", "Napiš své jméno:"},

    {kGame, "game_loading/text", "Preparing the pictures...", "Připravuji obrázky..."},
    {kGame, "game_logic_loading/title", "Get ready!", "Připrav se!"},
    {kGame, "game_logic_loading/text", "Cutting the pieces...", "Stříhám dílky..."},

    {kGame, "welcome/title", "Welcome to Pelloria!", "Vítej v Pellorii!"},
    {kGame, "welcome/text", "What is your name?", "Jak se jmenuješ?"},

    {kGame, "exit/title", "Leaving?", "Odcházíš?"},
    {kGame, "exit/text", "Do you really want to quit the game?", "Opravdu chceš ukončit hru?"},

    {kGame, "profiles/title", "Players", "Hráči"},
    {kGame, "profiles/create", "New", "Nový"},
    {kGame, "profiles/rename", "Rename", "Přejmenovat"},
    {kGame, "profiles/delete", "Delete", "Smazat"},
    {kGame, "profiles/done", "Done", "Hotovo"},

    {kGame, "rename_profile/title", "Rename player", "Přejmenovat hráče"},
    {kGame, "rename_profile/text", "Type the new name:", "Napiš nové jméno:"},
    {kGame, "delete_profile/title", "Delete player", "Smazat hráče"},
    {kGame, "delete_profile/text", "Delete the player %PROFILE_NAME% and all of their progress?",
     "Smazat hráče %PROFILE_NAME% i s celým postupem?"},
    {kGame, "profile_name_conflict/title", "Name taken", "Jméno je obsazené"},
    {kGame, "profile_name_conflict/text", "A player of that name already exists. Please choose another name.",
     "Hráč s tímto jménem už existuje. Vyber si prosím jiné jméno."},

    {kGame, "start_game/title", "Choose your puzzle", "Vyber si skládačku"},
    {kGame, "start_game/themes", "Theme", "Téma"},
    {kGame, "start_game/pictures", "Picture", "Obrázek"},
    {kGame, "start_game/puzzles", "Cut", "Střih"},
    {kGame, "start_game/size", "Pieces", "Dílky"},
    {kGame, "start_game/size_0", "Few", "Málo"},
    {kGame, "start_game/size_1", "Some", "Víc"},
    {kGame, "start_game/size_2", "Many", "Hodně"},
    {kGame, "start_game/size_3", "Lots", "Spousta"},
    {kGame, "start_game/relax_mode", "Relax", "Pohoda"},
    {kGame, "start_game/cursor_tip", "Click to buy", "Klikni a kup"},

    {kGame, "credits/title", "Credits", "Tvůrci"},
    {kGame, "credits/text",
     "Pelloria||Made with the Korvane Engine||Pictures, sounds and music drawn and played by the game's own "
     "generator||Letters from the DejaVu fonts",
     "Pelloria||Vytvořeno na enginu Korvane||Obrázky, zvuky a hudbu nakreslil a nahrál vlastní generátor hry||"
     "Písmo z rodiny DejaVu"},

    {kGame, "game_logic_pause/title", "Paused", "Pauza"},
    {kGame, "game_logic_pause/text", "Take a breath. The pieces wait for you.", "Oddechni si. Dílky na tebe počkají."},
    {kGame, "game_logic_menu/title", "Menu", "Nabídka"},
    {kGame, "game_logic_menu/resume", "Continue", "Pokračovat"},
    {kGame, "game_logic_menu/restart", "Restart", "Znovu"},
    {kGame, "game_logic_menu/leave", "Main menu", "Hlavní nabídka"},
    {kGame, "game_logic_restart/title", "Restart", "Znovu"},
    {kGame, "game_logic_restart/text", "Start this level again from the beginning?", "Začít tuto úroveň znovu od začátku?"},
    {kGame, "game_logic_menu_exit/title", "Leave level", "Opustit úroveň"},
    {kGame, "game_logic_menu_exit/text", "Leave this level for the main menu?", "Opustit úroveň a vrátit se do hlavní nabídky?"},
    {kGame, "game_logic_game_exit/title", "Quit", "Konec"},
    {kGame, "game_logic_game_exit/text", "Quit the game now?", "Ukončit hru hned teď?"},
    {kGame, "game_over/title", "Game over", "Konec hry"},
    {kGame, "game_over/text", "The pieces reached the end of the road.", "Dílky dojely na konec cesty."},

    {kGame, "level_complete/title", "Level complete!", "Úroveň dokončena!"},
    {kGame, "level_complete/your_time", "Your time", "Tvůj čas"},
    {kGame, "level_complete/stars_earned", "Stars earned", "Získané hvězdy"},
    {kGame, "level_complete/stars_total", "Stars in total", "Hvězd celkem"},
    {kGame, "level_complete/continue", "Continue", "Pokračovat"},
};

bool IsNameStep(const std::string& step)
{
    if (step.empty())
        return false;
    for (size_t i = 0; i < step.size(); ++i) {
        const char c = step[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(i > 0 && digit))
            return false;
    }
    for (const char* code : kLanguages)
        if (step == code)
            return false; // would read as a text of that language
    return true;
}

std::vector<std::string> Steps(const std::string& key)
{
    std::vector<std::string> steps;
    size_t start = 0;
    for (;;) {
        const size_t slash = key.find('/', start);
        steps.push_back(key.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            return steps;
        start = slash + 1;
    }
}

void AddEntry(XmlElement& texts, const Entry& e)
{
    XmlElement* node = &texts;
    for (const std::string& step : Steps(e.key)) {
        XmlElement* child = node->Find(step);
        node = child ? child : &node->Add(step);
    }
    node->Add("en").Set("text", e.en);
    node->Add("cz").Set("text", e.cz);
}

} // namespace

const std::vector<Entry>& Table()
{
    return kTable;
}

const char* Find(const std::string& key, const std::string& language)
{
    for (File file : {kGame, kDefaults})
        for (const Entry& e : kTable)
            if (e.file == file && key == e.key) {
                if (language == "en")
                    return e.en;
                if (language == "cz")
                    return e.cz;
                return nullptr;
            }
    return nullptr;
}

void AddTextFiles(ContentSet& set, const std::vector<Entry>& table)
{
    XmlElement game("texts"), defaults("texts");
    std::set<std::string> seen[2];
    for (const Entry& e : table) {
        const std::string key = e.key ? e.key : "";
        if (!e.en || !*e.en || !e.cz || !*e.cz)
            throw std::runtime_error("text \"" + key + "\" lacks its " + (!e.en || !*e.en ? "en" : "cz") + " text");
        for (const std::string& step : Steps(key))
            if (!IsNameStep(step))
                throw std::runtime_error("text key \"" + key + "\" is not a path of element names");
        if (!seen[e.file].insert(key).second)
            throw std::runtime_error("text key \"" + key + "\" stands twice in " +
                                     (e.file == kGame ? kGameFile : kDefaultsFile));
        AddEntry(e.file == kGame ? game : defaults, e);
    }
    set.AddText(kGameFile, ContentTools::WriteXml(game));
    set.AddText(kDefaultsFile, ContentTools::WriteXml(defaults));
}

std::wstring Widen(const std::string& utf8)
{
    std::wstring out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        uint32_t code;
        size_t extra;
        if (c < 0x80) {
            code = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            code = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            code = c & 0x07;
            extra = 3;
        } else {
            throw std::runtime_error("malformed UTF-8 in \"" + utf8 + "\"");
        }
        if (extra && i + extra >= utf8.size())
            throw std::runtime_error("cut UTF-8 sequence in \"" + utf8 + "\"");
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char t = static_cast<unsigned char>(utf8[i + k]);
            if ((t & 0xC0) != 0x80)
                throw std::runtime_error("malformed UTF-8 in \"" + utf8 + "\"");
            code = (code << 6) | (t & 0x3F);
        }
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(code));
        }
    }
    return out;
}

} // namespace Texts

void AddTexts(ContentSet& set, const Options&)
{
    Texts::AddTextFiles(set, Texts::Table());
}

} // namespace Content
