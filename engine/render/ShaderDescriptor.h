#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class FileBinary;

// One texture stage of a shader: which pictures it draws and how it animates.
struct ShaderStage {
    // Bit 0 mip maps, bit 1 start the animation at a random point, bit 2 the
    // stage loads no picture files (its texture is supplied by its owner).
    uint32_t flags = 0;
    // 0 none, 1 a grid of cells in one picture ("net"), 2 the diffuse picture
    // is a numbered file sequence, 3 the opacity picture is, 4 both are.
    uint32_t type = 0;
    uint32_t columns = 1, rows = 1;
    uint32_t frameCount = 0;
    float speed = 0.0f;
    std::string diffuse;
    std::string opacity;
    uint32_t addressU = 1, addressV = 1;
    float scaleU = 1.0f, scaleV = 1.0f;
    float offsetU = 0.0f, offsetV = 0.0f;
    // The texture drawn now, set by the shader user's animation.
    uint32_t currentFrame = 0;
};

// How a surface is drawn: flags (bit 0 alpha blending), four colours, two
// values, a blend factor pair and up to two texture stages. Descriptors whose
// pictures match share one shader; each user keeps its own copy.
class ShaderDescriptor {
public:
    static const uint32_t kMaxStages = 2;
    static const uint32_t kFileVersion = 211;
    // File sequences longer than this are refused: every frame is a texture.
    static const uint32_t kMaxSequenceFrames = 1024;

    virtual ~ShaderDescriptor();
    ShaderDescriptor();
    ShaderDescriptor(const ShaderDescriptor& other);
    ShaderDescriptor& operator=(const ShaderDescriptor& other);
    // One plain stage when diffuse is not empty; an opacity name turns
    // blending on ("32bit" means the diffuse picture's own alpha).
    ShaderDescriptor(bool mips, const std::string& diffuse, const std::string& opacity, bool clamp);
    // Always one stage, with the given animation.
    ShaderDescriptor(bool mips, uint32_t type, uint32_t columns, uint32_t rows, uint32_t frameCount, float speed,
        const std::string& diffuse, const std::string& opacity, bool clamp);
    // Reads a "KESRF" file (a name under the data folder); throws FileError
    // for a bad file, FatalError for a third stage.
    explicit ShaderDescriptor(const std::string& file);
    // The same from a stream open at the start of such a file; name is the
    // file's name under the data folder, whose folder bare picture names are
    // taken from. The stream stays the caller's.
    ShaderDescriptor(FileBinary& stream, const std::string& name);

    uint32_t AddStage(uint32_t flags, uint32_t type = 0, uint32_t columns = 1, uint32_t rows = 1,
        uint32_t frameCount = 1, float speed = 0.0f, const std::string& diffuse = std::string(),
        const std::string& opacity = std::string(), uint32_t address = 1);
    uint32_t AddTextureStage(uint32_t flags, const std::string& diffuse, const std::string& opacity, uint32_t address);
    // index 0 the source blend factor, 1 the destination factor.
    void SetStageMode(uint32_t index, uint32_t code);
    void AddFlags(uint32_t bits) { flags_ |= bits; }
    void SetColor1(const Color& c) { colors_[0] = c; }
    void SetColor2(const Color& c) { colors_[1] = c; }
    void SetColor3(const Color& c);
    void SetColor4(const Color& c) { colors_[3] = c; }
    void SetValue1(float v);
    void SetValue2(float v) { value2_ = v; }

    void ComputeHash();
    // Whether two descriptors can share one shader: same pictures, same
    // sequence lengths and stage kinds. Colours, values, blending, address
    // modes and texture transforms belong to each user.
    bool IsEqual(const ShaderDescriptor& other) const;
    // The picture files of a stage, two names a frame (diffuse, opacity),
    // each substituted by the formats actually present.
    void GetStageTextureNames(uint32_t stage, std::vector<std::string>& out) const;
    // The same for any stage, with exists telling which files are present
    // (names under the data folder, lower case): a sequence renumbered, the
    // formats tried in the engine's order. Also what the content tools check.
    static void StageTextureNames(const ShaderStage& stage, const std::function<bool(const std::string&)>& exists,
        std::vector<std::string>& out);

    uint32_t GetFlags() const { return flags_; }
    const Color& GetColor(uint32_t i) const { return colors_[i < 4 ? i : 3]; }
    float GetValue1() const { return value1_; }
    float GetValue2() const { return value2_; }
    uint32_t GetSourceBlend() const { return blend_[0]; }
    uint32_t GetDestinationBlend() const { return blend_[1]; }
    uint32_t GetStageCount() const { return stageCount_; }
    // The animation and texture transform of a stage may be changed in place;
    // its names only through AddStage, which keeps the hash current.
    ShaderStage& GetStage(uint32_t i) { return stages_[i < kMaxStages ? i : kMaxStages - 1]; }
    const ShaderStage& GetStage(uint32_t i) const { return stages_[i < kMaxStages ? i : kMaxStages - 1]; }
    uint32_t GetHash() const { return hash_; }

private:
    void CopyFrom(const ShaderDescriptor& other);
    void Read(FileBinary& f, const std::string& file);

    uint32_t flags_ = 0;
    Color colors_[4];
    float value1_ = 0.0f, value2_ = 0.0f;
    uint32_t blend_[2] = {0, 0};
    uint32_t stageCount_ = 0;
    ShaderStage stages_[kMaxStages];
    uint32_t hash_ = 0;
};

} // namespace KorvaneEngine
