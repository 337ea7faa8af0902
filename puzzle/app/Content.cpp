#include "puzzle/app/Content.h"

#include <cstdlib>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLQuery.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/ShaderDescriptor.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/logic/GameLogicData.h"

using namespace KorvaneEngine;

namespace Puzzle {

namespace {

const char kThemesFolder[] = "data\\themes";
const char kPuzzlesFolder[] = "data\\puzzles";

std::string Incorrect(const std::string& file) { return "Incorrect \"" + file + "\" file format"; }

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A price: a non-negative decimal integer that fits the signed field.
int32_t ReadCost(const std::string& file, const std::string& query)
{
    std::unique_ptr<GameTools::XMLNode> root(new GameTools::XMLNode());
    try {
        GameTools::XMLParser().ParseFile(root.get(), file);
    } catch (const FileError& e) {
        // The parser's text does not always name the file.
        LogErrorIfOpen(e.GetMessage());
        throw FileError(Incorrect(file));
    }
    GameTools::XMLValue* value = GameTools::FindXMLValue(root.get(), query);
    if (!value)
        throw FileError(Incorrect(file));
    std::string text = value->GetString();
    Trim(text);
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        throw FileError(Incorrect(file));
    const unsigned long long cost = std::strtoull(text.c_str(), nullptr, 10);
    if (cost > 0x7FFFFFFFull)
        throw FileError(Incorrect(file));
    return static_cast<int32_t>(cost);
}

FileManager& Files()
{
    FileManager* files = FileManager::Instance();
    if (!files)
        throw FileError("The content catalogue needs the file manager");
    return *files;
}

} // namespace

std::string Content::Number(uint32_t n) { return UnsignedToString(n, 2); }

Content::Content(ProfileManager* profiles_, GameTools::DataKeeper* keeper_) : profiles(profiles_), keeper(keeper_)
{
    try {
        Scan();
    } catch (const FileError& e) {
        if (MessageManager* log = MessageManager::Instance())
            log->LogFatal(e.GetMessage());
        throw FatalError(e.GetMessage());
    }
}

Content::~Content() {}

void Content::Scan()
{
    ScanThemes();
    themeCost = ReadCost("data\\themes\\themes.xml", "content/theme_cost");
    pictureCost = ReadCost("data\\themes\\themes.xml", "content/picture_cost");
    ScanPuzzles();
}

void Content::ScanThemes()
{
    std::vector<std::string> folders;
    Files().ListSubdirectories(kThemesFolder, folders);
    for (const std::string& f : folders) {
        const std::string name = ToLowerCopy(GetFileName(f));
        if (!name.empty())
            themeNames.push_back(name);
    }
    themeCount = static_cast<uint32_t>(themeNames.size());
    if (!themeCount)
        throw FileError(std::string("No themes in \"") + kThemesFolder + "\"");

    for (const std::string& theme : themeNames) {
        const std::string folder = std::string(kThemesFolder) + "\\" + theme;
        std::vector<std::string> files;
        Files().FindFiles(folder, "*.jpg", files);
        uint32_t count = 0;
        for (const std::string& path : files) {
            // Pictures lie directly in the theme folder (packs list deeper
            // files too); previews are told apart by their file name, so a
            // theme called "previews" keeps its pictures.
            const std::string name = ToLowerCopy(GetFileName(path));
            if (ToLowerCopy(GetDirectory(path)) != folder || !EndsWith(name, ".jpg") ||
                name.find("preview") != std::string::npos)
                continue;
            if (keeper)
                keeper->AddShader("themes/" + theme + "/preview_" + Number(count),
                    ShaderDescriptor(false, "themes\\" + theme + "\\" + Number(count) + "_preview.jpg", "32bit", true),
                    false, false, false);
            ++count;
        }
        pictureCounts.push_back(count);
    }
}

void Content::ScanPuzzles()
{
    std::vector<std::string> folders;
    Files().ListSubdirectories(kPuzzlesFolder, folders);
    puzzleCount = static_cast<uint32_t>(folders.size());
    if (!puzzleCount)
        throw FileError(std::string("No puzzles in \"") + kPuzzlesFolder + "\"");
    // Folders are taken by number, whatever they are called: a stray one
    // makes the last number's cost file missing, which is fatal.
    for (uint32_t i = 0; i < puzzleCount; ++i) {
        const std::string nn = Number(i);
        if (keeper)
            keeper->AddShader("puzzles/" + nn + "/preview",
                ShaderDescriptor(false, "puzzles\\" + nn + "\\preview.jpg", "32bit", true), false, false, false);
        puzzleCosts.push_back(ReadCost(std::string(kPuzzlesFolder) + "\\" + nn + "\\puzzle.xml", "content/puzzle_cost"));
    }
}

std::string Content::GetThemeName(uint32_t theme) const
{
    return theme < themeNames.size() ? themeNames[theme] : std::string();
}

uint32_t Content::GetPictureCount(uint32_t theme) const
{
    return theme < pictureCounts.size() ? pictureCounts[theme] : 0;
}

int32_t Content::GetPuzzleCost(uint32_t puzzle) const
{
    return puzzle < puzzleCosts.size() ? puzzleCosts[puzzle] : 0;
}

void Content::GetChoicePaths(std::string* picture, std::string* colors, std::string* puzzle)
{
    Profile* profile = profiles ? profiles->GetCurrentPuzzleProfile() : nullptr;
    uint32_t t = 0, p = 0, u = 0, sz = 0;
    if (profile) {
        t = profile->GetSelectedTheme();
        p = profile->GetSelectedPicture();
        u = profile->GetSelectedPuzzle();
        sz = profile->GetSelectedSize();
    } else {
        LogErrorIfOpen("No current profile: the first theme, picture, puzzle and size are played");
    }
    // A damaged or outdated profile may name what is not there.
    const std::string who = profile ? "Profile \"" + profile->GetFileName() + "\": " : std::string();
    bool changed = false;
    if (t >= themeCount) {
        LogErrorIfOpen(who + "theme " + std::to_string(t) + " is not in the catalogue: theme 0 is played");
        t = 0;
        changed = true;
    }
    if (p != 0 && p >= GetPictureCount(t)) {
        LogErrorIfOpen(who + "picture " + std::to_string(p) + " is not in theme \"" + themeNames[t] +
                       "\": picture 0 is played");
        p = 0;
        changed = true;
    }
    if (u >= puzzleCount) {
        LogErrorIfOpen(who + "puzzle " + std::to_string(u) + " is not in the catalogue: puzzle 0 is played");
        u = 0;
        changed = true;
    }
    const std::string folder = std::string(kPuzzlesFolder) + "\\" + Number(u) + "\\";
    if (sz != 0 && !Files().FileExists(folder + "puzzle_" + Number(sz) + ".pzf")) {
        LogErrorIfOpen(who + "puzzle " + Number(u) + " has no size " + std::to_string(sz) + ": size 0 is played");
        sz = 0;
        changed = true;
    }
    if (profile && changed) {
        profile->SetSelectedTheme(t);
        profile->SetSelectedPicture(p);
        profile->SetSelectedPuzzle(u);
        profile->SetSelectedSize(sz);
        profile->Save();
    }
    const std::string pictureBase = std::string(kThemesFolder) + "\\" + themeNames[t] + "\\" + Number(p);
    if (picture)
        *picture = pictureBase + ".jpg";
    if (colors)
        *colors = pictureBase + ".xml";
    if (puzzle)
        *puzzle = folder + "puzzle_" + Number(sz) + ".pzf";
}

void Content::FillGameLogicData(GameLogicData* data)
{
    if (data)
        GetChoicePaths(&data->picturePath, &data->colorsPath, &data->puzzlePath);
}

} // namespace Puzzle
