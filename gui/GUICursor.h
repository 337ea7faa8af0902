#pragma once
#include "engine/foundation/Matrix.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;
class Model;
class ShaderDescriptor;

// The system pointer in GUI coordinates (origin bottom-left, y up), and an
// optional textured cursor drawn there in front of every widget. The GUI
// manager's default cursor has no model; its position is the GUI's cursor.
class GUICursor {
public:
    virtual ~GUICursor();
    // source: a model to clone; else shader: a size x size quad hanging right
    // of and below the hot spot; neither: no model.
    GUICursor(Camera* camera, const Model* source, const ShaderDescriptor* shader, float size);
    GUICursor(const GUICursor&) = delete;
    GUICursor& operator=(const GUICursor&) = delete;

    // Maps the pointer; a window of width or height 0 keeps the old position.
    void Update();
    // Places the model and shows or hides it by visible.
    void Render();

    const Vector2& GetPosition() const { return position; }
    Model* GetModel() const { return model_; }

    bool visible = false;
    Vector2 position;

private:
    Camera* camera_;
    Model* model_ = nullptr;
    Matrix4 baseMatrix_;
};

} // namespace KorvaneEngine
