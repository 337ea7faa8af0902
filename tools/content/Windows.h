#pragma once
// The window descriptions the content ships (data\ui\windows) and the art
// their controls name, shared by the windows module and the tests that check
// the generated folder.
#include <string>
#include <vector>

namespace ContentTools {
class XmlElement;
}

namespace Content {
class ContentSet;

namespace Windows {

const char kFolder[] = "data\\ui\\windows\\";
// Where the models and shaders the windows name are registered, as
// "ui/<name>": the start-up loading window's in the basic list (loaded at
// once), everything else in the additional one (loaded by that window).
const char kResourceList[] = "data\\ui\\resources_basic.xml";
const char kAdditionalResourceList[] = "data\\ui\\resources_additional.xml";

// The windows (root element names, also their file names without ".xml").
const char* const kWindowNames[] = {"window_main_menu", "window_options", "window_new_profile",
    "window_game_loading", "window_game_logic_loading", "window_welcome", "window_exit", "window_profiles",
    "window_rename_profile", "window_delete_profile", "window_profile_name_conflict", "window_start_game",
    "window_credits", "window_game_logic", "window_game_logic_pause", "window_game_logic_menu",
    "window_game_logic_restart", "window_game_logic_menu_exit", "window_game_logic_game_exit",
    "window_game_over", "window_level_complete", "window_relax"};
const int kWindowCount = sizeof kWindowNames / sizeof kWindowNames[0];

// The attributes of a description's elements that name a model resource, and
// those that name a shader resource, both looked up as "ui/<value>".
const char* const kModelAttributes[] = {"model", "animator_model", "toddler_model", "increase_button_model",
                                        "decrease_button_model"};
const char* const kShaderAttributes[] = {"shader", "toddler_shader", "increase_button_shader",
                                         "decrease_button_shader"};

// What one description refers to, for the generator's and the tests' checks.
struct References {
    std::vector<std::string> textKeys;  // every key of every "text" expression
    std::vector<std::string> literals;  // every quoted literal, UTF-8
    std::vector<std::string> fonts;     // every "font" and style-rule font
    std::vector<std::string> models;    // model, animator and toddler/button models
    std::vector<std::string> shaders;
    std::vector<std::string> templates;
    std::vector<std::string> faders;
};
void CollectReferences(const ContentTools::XmlElement& element, References& out);

// Splits a text expression the way the text control does: the keys (units
// removed) and the literals (quotes removed).
void SplitExpression(const std::string& expression, std::vector<std::string>& keys,
                     std::vector<std::string>& literals);

// Every quoted literal and every font the shipped descriptions hold (the
// font table checks their characters have glyphs).
std::vector<std::string> Literals();
std::vector<std::string> FontNames();

// The art of the models and shaders the windows name, registered as "ui/<name>"
// in the resource list; written by AddWindows.
const std::vector<std::string>& ModelNames();
const std::vector<std::string>& ShaderNames();

} // namespace Windows
} // namespace Content
