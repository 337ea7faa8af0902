#include "engine/render/ShaderDescriptor.h"

#include <cstring>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

const uint32_t kCacheLimit = 8388608;

Color ReadColor(FileBinary& f)
{
    Color c;
    c.r = ReadF32(f);
    c.g = ReadF32(f);
    c.b = ReadF32(f);
    c.a = ReadF32(f);
    return c;
}

bool Exists(const std::string& name)
{
    FileManager* files = FileManager::Instance();
    return files && files->FileExists(name);
}

std::string WithExtension(std::string name, const std::string& extension)
{
    ChangeExtension(name, extension);
    return name;
}

unsigned DecimalDigits(uint32_t n)
{
    unsigned digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

// name_00.png renumbered to frame f: the digits before the extension are
// replaced by f written with at least the digits of the last frame number.
std::string Renumber(const std::string& name, uint32_t frame, unsigned digits)
{
    std::string extension = GetExtension(name);
    size_t cut = digits + 1 + extension.size();
    // A name too short to hold the digits keeps no base at all rather than
    // cutting before its start.
    std::string base = name.size() > cut ? name.substr(0, name.size() - cut) : std::string();
    return base + UnsignedToString(frame, static_cast<int>(digits)) + "." + extension;
}

bool Is32BitKeyword(const std::string& opacity, bool anyCase)
{
    return anyCase ? ToLowerCopy(opacity) == "32bit" : opacity == "32bit";
}

} // namespace

ShaderDescriptor::~ShaderDescriptor() {}

ShaderDescriptor::ShaderDescriptor()
{
    colors_[0] = colors_[1] = colors_[2] = Color(1, 1, 1, 1);
    colors_[3] = Color(0, 0, 0, 1);
    ComputeHash();
}

ShaderDescriptor::ShaderDescriptor(const ShaderDescriptor& other)
{
    CopyFrom(other);
}

ShaderDescriptor& ShaderDescriptor::operator=(const ShaderDescriptor& other)
{
    if (this != &other)
        CopyFrom(other);
    return *this;
}

void ShaderDescriptor::CopyFrom(const ShaderDescriptor& o)
{
    flags_ = o.flags_;
    for (int i = 0; i < 4; ++i)
        colors_[i] = o.colors_[i];
    value1_ = o.value1_;
    value2_ = o.value2_;
    blend_[0] = o.blend_[0];
    blend_[1] = o.blend_[1];
    stageCount_ = o.stageCount_;
    for (uint32_t i = 0; i < kMaxStages; ++i)
        stages_[i] = i < stageCount_ ? o.stages_[i] : ShaderStage();
    ComputeHash();
}

ShaderDescriptor::ShaderDescriptor(bool mips, const std::string& diffuse, const std::string& opacity, bool clamp)
    : ShaderDescriptor()
{
    if (!opacity.empty()) {
        flags_ = 1;
        blend_[0] = 4;
        blend_[1] = 5;
    }
    if (!diffuse.empty())
        AddTextureStage(mips ? 1 : 0, diffuse, Is32BitKeyword(opacity, false) ? std::string() : opacity, clamp ? 0 : 1);
}

ShaderDescriptor::ShaderDescriptor(bool mips, uint32_t type, uint32_t columns, uint32_t rows, uint32_t frameCount,
    float speed, const std::string& diffuse, const std::string& opacity, bool clamp)
    : ShaderDescriptor()
{
    if (!opacity.empty()) {
        flags_ = 1;
        blend_[0] = 4;
        blend_[1] = 5;
    }
    AddStage(mips ? 1 : 0, type, columns, rows, frameCount, speed, diffuse,
        Is32BitKeyword(opacity, true) ? std::string() : opacity, clamp ? 0 : 1);
}

ShaderDescriptor::ShaderDescriptor(const std::string& file) : ShaderDescriptor()
{
    FileManager* files = FileManager::Instance();
    if (!files)
        throw FileError("Failed to open \"" + file + "\" file");
    std::unique_ptr<FileBinary> f(files->OpenFile(GetDataPath(file), false, kCacheLimit));
    Read(*f, file);
}

ShaderDescriptor::ShaderDescriptor(FileBinary& stream, const std::string& name) : ShaderDescriptor()
{
    Read(stream, name);
}

void ShaderDescriptor::Read(FileBinary& f, const std::string& file)
{
    uint8_t header[13];
    f.Read(header, sizeof header);
    uint32_t total = uint32_t(header[0]) | uint32_t(header[1]) << 8 | uint32_t(header[2]) << 16 |
        uint32_t(header[3]) << 24;
    uint32_t version = uint32_t(header[9]) | uint32_t(header[10]) << 8 | uint32_t(header[11]) << 16 |
        uint32_t(header[12]) << 24;
    if (std::memcmp(header + 4, "KESRF", 5) != 0 || total != f.GetSize())
        throw FileError("Incorrect \"" + file + "\" file format");
    if (version != kFileVersion)
        throw FileError("Incorrect \"" + file + "\" format version, current is " + UnsignedToString(kFileVersion));

    flags_ = ReadU32(f);
    SetColor1(ReadColor(f));
    SetColor2(ReadColor(f));
    SetColor3(ReadColor(f));
    SetColor4(ReadColor(f));
    SetValue1(ReadF32(f));
    SetValue2(ReadF32(f));
    blend_[0] = ReadU32(f);
    blend_[1] = ReadU32(f);
    uint32_t count = ReadU32(f);
    // More stages than a descriptor holds is a malformed file, answered like
    // any other (the shader manager then uses the default shader), not the
    // overflow that code adding stages by hand would deserve.
    if (count > kMaxStages)
        throw FileError("Incorrect \"" + file + "\" file format");

    const std::string folder = GetDirectory(file);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t stageFlags = ReadU32(f);
        uint32_t type = ReadU32(f);
        uint32_t frames = 1, columns = 1, rows = 1;
        float speed = 0.0f;
        if (type != 0) {
            frames = ReadU32(f);
            speed = ReadF32(f);
        }
        if (type == 1) {
            columns = ReadU32(f);
            rows = ReadU32(f);
        }
        if (type >= 2 && type <= 4 && frames > kMaxSequenceFrames)
            throw FileError("Incorrect \"" + file + "\" file format");
        std::string names[2];
        f.ReadString(names[0]);
        f.ReadString(names[1]);
        for (std::string& n : names)
            if (!n.empty() && GetDirectory(n).empty() && n[0] != '\\')
                n = folder + "\\" + n;
        uint32_t index = AddStage(stageFlags, type, columns, rows, frames, speed, names[0], names[1], 0);
        ShaderStage& s = stages_[index];
        s.addressU = ReadU32(f);
        s.addressV = ReadU32(f);
        s.scaleU = ReadF32(f);
        s.scaleV = ReadF32(f);
        s.offsetU = ReadF32(f);
        s.offsetV = ReadF32(f);
    }
}

uint32_t ShaderDescriptor::AddStage(uint32_t flags, uint32_t type, uint32_t columns, uint32_t rows,
    uint32_t frameCount, float speed, const std::string& diffuse, const std::string& opacity, uint32_t address)
{
    if (stageCount_ >= kMaxStages)
        throw FatalError("Shader Stages: buffer is overflowed");
    ShaderStage& s = stages_[stageCount_];
    s = ShaderStage();
    s.flags = flags;
    s.type = type;
    // A grid or an animation of no cells would divide by zero or index an
    // empty texture list: one cell, one frame at least.
    s.columns = columns ? columns : 1;
    s.rows = rows ? rows : 1;
    s.frameCount = type != 0 ? (frameCount ? frameCount : 1) : 0;
    s.speed = speed;
    s.diffuse = ToLowerCopy(diffuse);
    s.opacity = ToLowerCopy(opacity);
    s.addressU = s.addressV = address;
    ++stageCount_;
    ComputeHash();
    return stageCount_ - 1;
}

uint32_t ShaderDescriptor::AddTextureStage(uint32_t flags, const std::string& diffuse, const std::string& opacity,
    uint32_t address)
{
    return AddStage(flags, 0, 1, 1, 1, 0.0f, diffuse, opacity, address);
}

void ShaderDescriptor::SetStageMode(uint32_t index, uint32_t code)
{
    if (index < 2)
        blend_[index] = code;
}

void ShaderDescriptor::SetColor3(const Color& c)
{
    colors_[2] = c;
    SetValue2(value2_);
}

void ShaderDescriptor::SetValue1(float v)
{
    value1_ = v;
    SetValue2(value2_);
}

void ShaderDescriptor::ComputeHash()
{
    // FNV-1a over the names of the stages in use; a separator keeps "ab"+"c"
    // apart from "a"+"bc".
    uint32_t h = 2166136261u;
    auto mix = [&h](const std::string& s) {
        for (unsigned char c : s) {
            h ^= c;
            h *= 16777619u;
        }
        h ^= 0xFFu;
        h *= 16777619u;
    };
    for (uint32_t i = 0; i < stageCount_; ++i) {
        mix(stages_[i].diffuse);
        mix(stages_[i].opacity);
    }
    hash_ = h;
}

bool ShaderDescriptor::IsEqual(const ShaderDescriptor& o) const
{
    if (hash_ != o.hash_ || (flags_ & ~1u) != (o.flags_ & ~1u) || stageCount_ != o.stageCount_)
        return false;
    for (uint32_t i = 0; i < stageCount_; ++i) {
        const ShaderStage& a = stages_[i];
        const ShaderStage& b = o.stages_[i];
        if ((a.flags & ~3u) != (b.flags & ~3u))
            return false;
        if ((a.type >= 2 || b.type >= 2) && (a.type != b.type || a.frameCount != b.frameCount))
            return false;
        if (a.diffuse != b.diffuse || a.opacity != b.opacity)
            return false;
    }
    return true;
}

void ShaderDescriptor::GetStageTextureNames(uint32_t stage, std::vector<std::string>& out) const
{
    out.clear();
    if (stage < stageCount_)
        StageTextureNames(stages_[stage], Exists, out);
}

void ShaderDescriptor::StageTextureNames(const ShaderStage& s, const std::function<bool(const std::string&)>& exists,
    std::vector<std::string>& out)
{
    out.clear();
    const bool sequence = s.type >= 2 && s.type <= 4;
    uint32_t n = sequence ? s.frameCount : 1;
    if (n == 0)
        n = 1;
    if (n > kMaxSequenceFrames)
        n = kMaxSequenceFrames;
    out.assign(2 * static_cast<size_t>(n), std::string());
    if (s.flags & 4)
        return;
    const unsigned digits = DecimalDigits(n - 1);
    for (uint32_t f = 0; f < n; ++f) {
        std::string d = s.diffuse;
        std::string o = s.opacity;
        if (s.type == 2 || s.type == 4)
            d = Renumber(d, f, digits);
        if ((s.type == 3 || s.type == 4) && !o.empty())
            o = Renumber(o, f, digits);
        d = ToLowerCopy(GetDataPath(d));
        if (!o.empty())
            o = ToLowerCopy(GetDataPath(o));

        if (exists(WithExtension(d, "dds"))) {
            d = WithExtension(d, "dds");
            o.clear();
        } else if (exists(WithExtension(d, "jp2"))) {
            d = WithExtension(d, "jp2");
        } else if (exists(WithExtension(d, "jpg"))) {
            d = WithExtension(d, "jpg");
        }
        if (!exists(d)) {
            if (exists(WithExtension(d, "bmp")))
                d = WithExtension(d, "bmp");
            else if (exists(WithExtension(d, "png")))
                d = WithExtension(d, "png");
        }
        if (HasExtension(d, "png"))
            o.clear();
        if (!o.empty()) {
            if (exists(WithExtension(o, "jp2")))
                o = WithExtension(o, "jp2");
            else if (exists(WithExtension(o, "jpg")))
                o = WithExtension(o, "jpg");
            if (!exists(o) && exists(WithExtension(o, "bmp")))
                o = WithExtension(o, "bmp");
        }
        out[2 * f] = d;
        out[2 * f + 1] = o;
    }
}

} // namespace KorvaneEngine
