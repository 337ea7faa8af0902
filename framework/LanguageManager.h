#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace GameFramework {

// One language the game knows.
struct Language {
    std::string code;        // "en", the name of its font folder data\ui\fonts\<code>
    uint32_t layoutId;       // Windows language identifier of its keyboard layout
    std::string name;        // "english", also the C library's locale name
    uint8_t switchKeyboard;  // activate that keyboard layout for the game
};

// Decides once, at start-up, which language the game runs in, and prepares
// the process for it: the C library's character classification and collation
// follow the language (every other locale category stays English), and a
// language that asks for it gets its keyboard layout, restored at the end.
//
// The registry value "Language" chooses, when the font folder of that code
// exists (on disk or in a pack); otherwise the first language of the table
// whose font folder exists; English when none does. Needs the file manager.
class LanguageManager {
public:
    explicit LanguageManager(const std::string& registryKeyPath);
    // Unloads a keyboard layout the manager loaded.
    virtual ~LanguageManager();
    LanguageManager(const LanguageManager&) = delete;
    LanguageManager& operator=(const LanguageManager&) = delete;

    // Never null; valid as long as the manager.
    const Language* GetLanguage() const { return current; }
    // The first record whose code equals code ignoring case, or null.
    const Language* FindLanguage(const std::string& code) const;
    // The built-in table, in order.
    const std::vector<Language*>& GetLanguages() const { return languages; }

private:
    static bool HasFontFolder(const std::string& code);
    void SwitchKeyboard();

    std::vector<Language*> languages;
    const Language* current = nullptr;
    HKL loadedLayout = nullptr;
};

} // namespace GameFramework
