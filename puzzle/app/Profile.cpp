#include "puzzle/app/Profile.h"

#include <algorithm>

#include "engine/foundation/FileBinary.h"
#include "framework/SavedFile.h"

using namespace KorvaneEngine;

namespace Puzzle {

const char* const Profile::kMagic = "PZPRF";

namespace {

void WriteList(FileBinary& file, const std::vector<uint32_t>& list)
{
    const uint32_t count = static_cast<uint32_t>(list.size());
    file.Write(&count, 4);
    for (uint32_t v : list)
        file.Write(&v, 4);
}

void ReadList(FileBinary& file, std::vector<uint32_t>& list, const char* what)
{
    const uint32_t count = ReadU32(file);
    GameFramework::SavedFile::CheckCount(file, count, 4, what);
    list.resize(count);
    for (uint32_t& v : list)
        v = ReadU32(file);
}

bool Contains(const std::vector<uint32_t>& list, int value)
{
    return value >= 0 && std::find(list.begin(), list.end(), static_cast<uint32_t>(value)) != list.end();
}

} // namespace

Profile::Profile(const std::string& fileName, const std::string& userDataFolder)
    : ProfileBase(fileName, userDataFolder, kMagic, kVersion)
{
    classValue = 2;
    Load(fileName);
}

Profile::Profile(const std::wstring& displayName, const std::string& userDataFolder)
    : ProfileBase(displayName, userDataFolder, kMagic, kVersion)
{
    classValue = 2;
    Create(displayName);
}

void Profile::Create(const std::wstring& name)
{
    flags[0] = flags[1] = flags[2] = 1;
    selectedTheme = selectedPicture = selectedPuzzle = selectedSize = 0;
    listA.assign(1, 0);
    listB.assign(2, 0);
    listC.assign(1, 0);
    stars = kStartStars;
    levelStars = 0;
    ProfileBase::Create(name);
}

void Profile::Write(FileBinary& file)
{
    ProfileBase::Write(file);
    file.Write(flags, 3);
    file.Write(&selectedTheme, 4);
    file.Write(&selectedPicture, 4);
    file.Write(&selectedPuzzle, 4);
    file.Write(&selectedSize, 4);
    WriteList(file, listA);
    WriteList(file, listB);
    WriteList(file, listC);
    file.Write(&stars, 4);
}

void Profile::Read(FileBinary& file)
{
    ProfileBase::Read(file);
    file.Read(flags, 3);
    selectedTheme = ReadU32(file);
    selectedPicture = ReadU32(file);
    selectedPuzzle = ReadU32(file);
    selectedSize = ReadU32(file);
    ReadList(file, listA, "theme");
    ReadList(file, listB, "picture");
    if (listB.size() % 2) {
        GameFramework::SavedFile::WarnLoss(file.GetName(), "the unpaired last picture value " +
                                                               std::to_string(listB.back()) + " dropped",
            &keepAsideFirst);
        listB.pop_back();
    }
    ReadList(file, listC, "puzzle");
    stars = ReadU32(file);
}

bool Profile::IsInListA(int theme) const { return Contains(listA, theme); }

bool Profile::IsInListC(int puzzle) const { return Contains(listC, puzzle); }

bool Profile::IsPictureUnlocked(int theme, int picture) const
{
    if (theme < 0 || picture < 0)
        return false;
    for (size_t i = 0; i + 1 < listB.size(); i += 2)
        if (listB[i] == static_cast<uint32_t>(theme) && listB[i + 1] == static_cast<uint32_t>(picture))
            return true;
    return false;
}

bool Profile::GetFlag(int index) const { return index >= 1 && index <= 3 && flags[index - 1] != 0; }

void Profile::SetFlag(int index, bool on)
{
    if (index >= 1 && index <= 3)
        flags[index - 1] = on ? 1 : 0;
}

} // namespace Puzzle
