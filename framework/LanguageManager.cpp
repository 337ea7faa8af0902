#include "framework/LanguageManager.h"

#include <mbctype.h>

#include <clocale>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/Window.h"

namespace GameFramework {

namespace {

const Language kTable[] = {
    {"en", 0x0409, "english", 0}, {"ru", 0x0419, "russian", 0}, {"ge", 0x0407, "german", 0},
    {"fr", 0x040C, "french", 0},  {"it", 0x0410, "italian", 0}, {"sp", 0x040A, "spanish", 0},
    {"jp", 0x0411, "japanese", 0}, {"cz", 0x0405, "czech", 0},
};

} // namespace

LanguageManager::LanguageManager(const std::string& registryKeyPath)
{
    for (const Language& l : kTable)
        languages.push_back(new Language(l));

    std::string code;
    if (KorvaneEngine::ReadRegistryString(registryKeyPath, "Language", code) && !HasFontFolder(code))
        code.clear();
    // A fixed language would leave the registry no say: the registry chooses,
    // then the fonts that are installed.
    if (code.empty())
        for (const Language* l : languages)
            if (HasFontFolder(l->code)) {
                code = l->code;
                break;
            }
    current = FindLanguage(code);
    if (!current)
        current = FindLanguage("en");

    if (current->switchKeyboard)
        SwitchKeyboard();

    // Classification and collation follow the language; numbers, money and
    // times keep one format whatever the language.
    std::setlocale(LC_ALL, "english");
    std::setlocale(LC_CTYPE, current->name.c_str());
    std::setlocale(LC_COLLATE, current->name.c_str());
    _setmbcp(_MB_CP_LOCALE);
}

LanguageManager::~LanguageManager()
{
    if (loadedLayout)
        UnloadKeyboardLayout(loadedLayout);
    loadedLayout = nullptr;
    for (Language* l : languages)
        delete l;
    languages.clear();
    current = nullptr;
}

const Language* LanguageManager::FindLanguage(const std::string& code) const
{
    const std::string wanted = KorvaneEngine::ToLowerCopy(code);
    for (const Language* l : languages)
        if (KorvaneEngine::ToLowerCopy(l->code) == wanted)
            return l;
    return nullptr;
}

bool LanguageManager::HasFontFolder(const std::string& code)
{
    // An empty code or one with separators names no single font folder.
    if (code.empty() || code.find_first_of("\\/:.") != std::string::npos)
        return false;
    const KorvaneEngine::FileManager* files = KorvaneEngine::FileManager::Instance();
    return files && files->DirectoryExists("data\\ui\\fonts\\" + code);
}

void LanguageManager::SwitchKeyboard()
{
    const uint32_t id = current->layoutId;
    const uint32_t active = HIWORD(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
    if (active == id)
        return;
    if (ActivateKeyboardLayout(reinterpret_cast<HKL>(static_cast<uintptr_t>(id)), 0))
        return;
    const std::string name = KorvaneEngine::UnsignedToHexString(id, 8);
    HKL layout = LoadKeyboardLayoutA(name.c_str(), KLF_ACTIVATE);
    if (layout && HIWORD(reinterpret_cast<uintptr_t>(layout)) == id)
        loadedLayout = layout;
}

} // namespace GameFramework
