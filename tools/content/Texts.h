#pragma once
// The game's one key table of localised texts, shared by the texts module
// (which writes data\ui\texts\texts.xml and default_texts.xml from it), the
// window and font modules (which check their keys and glyphs against it) and
// the tests.
#include <string>
#include <vector>

namespace Content {
class ContentSet;

namespace Texts {

// The languages the content ships; every entry has a text in each.
const char* const kLanguages[] = {"en", "cz"};
const int kLanguageCount = sizeof kLanguages / sizeof kLanguages[0];

const char kGameFile[] = "data\\ui\\texts\\texts.xml";
const char kDefaultsFile[] = "data\\ui\\texts\\default_texts.xml";

enum File { kGame, kDefaults };

// One key in one file; texts are UTF-8. A null or empty text is a fault the
// generator refuses.
struct Entry {
    File file;
    const char* key;  // "common/exit": element path under "texts"
    const char* en;
    const char* cz;
};

// The shipped table, in file order.
const std::vector<Entry>& Table();

// The text of a key in a language as the game resolves it (the game's file
// before the defaults), or null.
const char* Find(const std::string& key, const std::string& language);

// Writes both files from a table. Throws std::runtime_error naming the entry
// when a text is missing, a key is malformed (empty steps, a step that is not
// an XML name or is a language code) or a key stands twice in one file.
void AddTextFiles(ContentSet& set, const std::vector<Entry>& table);

// UTF-8 to UTF-16 code units, as the game's XML reader gives them; throws
// std::runtime_error on malformed UTF-8.
std::wstring Widen(const std::string& utf8);

} // namespace Texts
} // namespace Content
