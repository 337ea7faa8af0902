#pragma once
#include <cstdint>
#include <string>

#include "engine/foundation/Vector.h"

namespace GUITools {

// What a window's description says about one control's widget, gathered by
// GUIWindowBase::ParseControls (element first, then its templates) and handed
// to the control's constructor. Model and shader names are registry names
// without their "ui/" prefix; frame -1 means "not given".
struct GUIControlDescription {
    std::string key;
    std::string modelName;
    int32_t modelStartFrame = -1;
    int32_t modelEndFrame = -1;
    std::string shaderName;
    KorvaneEngine::Vector2 uv = KorvaneEngine::Vector2(1, 1);
    std::string animatorModelName;
    int32_t animatorStartFrame = -1;
    int32_t animatorEndFrame = -1;
};

} // namespace GUITools
