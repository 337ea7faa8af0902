#pragma once
// The resource lists the game's data loads, in the order it loads them, and
// whether each is loaded at once (its resources are there from the start) or
// queued for the start-up loading window. Every list is written, even empty:
// a missing one is fatal.

namespace Content {
namespace ResourceLists {

struct List {
    const char* path;
    bool atOnce;
};

const List kLists[] = {
    {"data\\ui\\background\\resources_basic.xml", true},
    {"data\\ui\\background\\resources_additional.xml", false},
    {"data\\game_objects\\resources.xml", false},
    {"data\\ui\\resources_basic.xml", true},
    {"data\\ui\\resources_additional.xml", false},
};

} // namespace ResourceLists
} // namespace Content
