#pragma once
#include <cstddef>
#include <cstdint>

namespace KorvaneEngine {

// One entry of the key-name table: the name every caller asks for, and the
// code under which the device back-end reads it (a mouse button number for the
// first eight entries, otherwise the DirectInput keyboard code).
struct KeyName {
    const char* name;
    uint32_t code;
};

constexpr size_t kKeyNameCount = 108;
// Entries 0-7 are the mouse buttons, the rest keyboard keys.
constexpr size_t kMouseButtonCount = 8;

// The one shared key-name table, in its fixed order.
extern const KeyName KeyNames[kKeyNameCount];

} // namespace KorvaneEngine
