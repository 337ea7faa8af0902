#pragma once
#include <windows.h>

#include <cstdint>
#include <map>

namespace KorvaneEngine {
class GUICursor;
}

namespace GameFramework {

// The game's set of mouse cursors by id, each a Windows cursor from the
// program's resources and a drawn GUI cursor; the persisted variable
// "ui_custom_cursor" chooses which kind shows. The game derives its cursor
// from this, adds the cursors and calls Update once a frame.
class GUIGameCursorBase {
public:
    // Registers "ui_custom_cursor" (bool, saved, default 1, watched) and
    // starts hidden with no current cursor (id -1).
    GUIGameCursorBase();
    // Destroys every custom cursor through the GUI manager and unregisters
    // the variable.
    virtual ~GUIGameCursorBase();
    GUIGameCursorBase(const GUIGameCursorBase&) = delete;
    GUIGameCursorBase& operator=(const GUIGameCursorBase&) = delete;

    // False (and nothing else) while hidden. Otherwise a change of
    // "ui_custom_cursor" since the last frame takes effect here, keeping the
    // cursor's visibility.
    virtual bool Update();
    // The current custom cursor with custom cursors in effect, else the
    // system cursor.
    virtual void SetVisible(bool visible);
    bool IsVisible() const;

    // custom (made by the GUI manager, which owns it) is hidden and destroyed
    // with this set; an id already present keeps its first entry.
    void AddCursor(int32_t id, uint16_t resourceId, KorvaneEngine::GUICursor* custom);
    // Nothing for the current id. An unknown id only becomes the current id.
    void SetCursor(int32_t id);

    int32_t GetCursorId() const { return currentId; }
    bool AreCustomCursorsInEffect() const { return customInEffect; }

protected:
    struct Entry {
        HCURSOR system = nullptr;
        KorvaneEngine::GUICursor* custom = nullptr;
    };

    bool customSetting = true;
    bool customInEffect = true;
    std::map<int32_t, Entry> cursors;
    int32_t currentId = -1;
    Entry* current = nullptr;
};

} // namespace GameFramework
