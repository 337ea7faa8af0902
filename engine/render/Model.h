#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/Matrix.h"
#include "engine/foundation/Ray.h"
#include "engine/render/ModelFile.h"

namespace KorvaneEngine {

class AnimationControl;
class Camera;
class IndexBuffer;
class ShaderDescriptor;
class ShaderUser;
class Skeleton;
class VertexBuffer;

// The engine's one renderable object: a mesh in an index and a vertex buffer,
// drawn with one shader user through one camera, with an optional morph or
// skeletal animation, a local transform, bounds and a flag word (ModelFlags)
// that selects how it is drawn.
class Model {
public:
    virtual ~Model();
    // Loads a "KEMLF" file (a name under the data folder) and its ".srf"
    // shader. Any failure is logged and raised as Error.
    Model(const std::string& name, Camera* camera, uint32_t extraFlags, bool shaderFlag);
    // Empty buffers for the caller to fill (indices start at 0).
    Model(uint32_t flags, uint32_t vertexCount, uint32_t indexCount, uint32_t frameCount,
        const ShaderDescriptor* shader, Camera* camera, bool shaderFlag);
    // A box between two corners: 24 vertices, 36 indices, lit, opaque, visible.
    Model(const Vector3& minimum, const Vector3& maximum, const ShaderDescriptor* shader, Camera* camera,
        uint32_t extraFlags);
    // An instance of a loaded model with buffers and animation state of its
    // own and a shader user of the same shader. camera null: the source's.
    Model(const Model& source, Camera* camera, uint32_t extraFlags);
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // Exclusive pairs stay exclusive: the bit added wins.
    void AddFlags(uint32_t bits);
    // Removing one of the opaque/blended pair leaves the other set.
    void RemoveFlags(uint32_t bits);
    uint32_t GetFlags() const { return flags_; }

    void ScaleTexCoords(const float uv[2]);
    void ScaleTexCoords(float u, float v);
    // Colour buffers only.
    void SetColor(const float rgba[4]);
    void SetColor(const Color& color);
    // null selects the camera manager's default camera.
    void SetCamera(Camera* camera);
    Camera* GetCamera() const { return camera_; }
    void SetShader(const ShaderDescriptor* descriptor);
    void SetShaderDescriptor(const ShaderDescriptor* descriptor) { SetShader(descriptor); }
    ShaderUser* GetShaderUser() const { return shaderUser_; }

    void UpdatePrimitiveCount();
    // The local matrix, composed with the camera's relative matrices when the
    // camera is camera-relative.
    void GetWorldMatrix(Matrix4& out) const;
    // The box around the vertices the indices reach.
    void UpdateBoundingBox(BoundingBox& out, bool transformed) const;
    // The model's own box recomputed and given the local matrix.
    void UpdateBoundingBox();

    // Animation, bounds, frustum test, view depth and vertex rewrite.
    void Update(bool cull);
    void Render();
    // World-space ray (origin, direction: a segment of that length for the
    // box test); distance in model space. Stops at the first hit when
    // distance is null.
    bool IntersectRay(const Ray& ray, float* distance) const;
    bool IntersectRay(const Vector3& origin, const Vector3& direction, float* distance) const
    {
        return IntersectRay(Ray(origin, direction), distance);
    }

    float GetViewDepth() const { return viewDepth; }
    float GetDepthOffset() const { return depthOffset; }
    uint32_t GetPrimitiveCount() const { return primitiveCount_; }
    uint32_t GetVisiblePrimitiveCount() const { return visiblePrimitiveCount_; }
    bool IsStrip() const { return stripFlag_ != 0; }
    IndexBuffer* GetIndexBuffer() const { return indexBuffer_.get(); }
    VertexBuffer* GetVertexBuffer() const { return vertexBuffer_.get(); }
    AnimationControl* GetAnimation() const { return animation_.get(); }
    Skeleton* GetSkeleton() const { return skeleton_.get(); }
    const std::vector<float>& GetKeys() const { return keys_; }
    const std::vector<SkinRecord>& GetSkin() const { return skin_; }
    const std::vector<MorphVertex>& GetMorphVertices() const { return morph_; }
    const std::vector<BoundingBox>& GetFrameBoxes() const { return frameBoxes_; }
    // Number of times the vertex buffer was rewritten by the animation.
    uint32_t GetDeformationCount() const { return deformations_; }

    std::string name;
    Matrix4 localMatrix;
    Matrix4 secondMatrix;
    BoundingBox box;
    float viewDepth = 0.0f;
    float depthOffset = 0.0f;
    bool deformationEnabled = true;

private:
    void InitMatrices();
    void LoadFile(uint32_t extraFlags);
    void Build(const ModelFileContents& contents);
    void CreateBuffers(uint32_t vertexCount, uint32_t indexCount);
    void ReleaseShaderUser();
    Vector3 PositionOf(uint32_t vertex) const;
    void Deform(uint32_t a, uint32_t b, float t);

    uint32_t flags_ = 0;
    uint32_t stripFlag_ = 1;
    std::unique_ptr<IndexBuffer> indexBuffer_;
    std::unique_ptr<VertexBuffer> vertexBuffer_;
    std::unique_ptr<AnimationControl> animation_;
    ShaderUser* shaderUser_ = nullptr;
    std::vector<SkinRecord> skin_;
    std::vector<MorphVertex> morph_;
    std::unique_ptr<Skeleton> skeleton_;
    std::vector<float> keys_;
    Camera* camera_ = nullptr;
    std::vector<BoundingBox> frameBoxes_;
    uint32_t primitiveCount_ = 0;
    uint32_t visiblePrimitiveCount_ = 0;
    bool hasPrevious_ = false;
    uint32_t previousA_ = 0, previousB_ = 0;
    float previousBlend_ = 0.0f;
    uint32_t deformations_ = 0;
};

} // namespace KorvaneEngine
