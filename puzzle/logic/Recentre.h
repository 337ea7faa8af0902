#pragma once
#include "engine/render/Model.h"
#include "gui/GUIWindow.h"

namespace Puzzle {

// Takes the widget's model out of the widget's own layout and moves the
// model's centre to its origin: the owner then places it by its centre. The
// recentred matrix becomes the widget's base matrix.
inline void RecentreWidgetModel(KorvaneEngine::GUIWindow& widget)
{
    widget.autoTransform = false;
    KorvaneEngine::Model* model = widget.GetModel();
    if (!model)
        return;
    model->box.SetTransform(model->localMatrix);
    const KorvaneEngine::Vector3 centre = model->box.GetCenter();
    KorvaneEngine::Matrix4 t;
    KorvaneEngine::Matrix4::SetTranslation(t, centre * -1.0f);
    widget.baseMatrix = t * model->localMatrix;
}

} // namespace Puzzle
