#include "tools/formats/ShaderFileWriter.h"

#include <cstring>

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

namespace {

// Little-endian fields from the front of a byte range; any read past the end
// marks the reader failed and gives zeros.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& b) : bytes(b) {}
    bool Failed() const { return failed; }
    uint32_t U32()
    {
        uint8_t b[4] = {};
        Take(b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    float F32()
    {
        const uint32_t v = U32();
        float f;
        std::memcpy(&f, &v, 4);
        return f;
    }
    // The engine's string record: the text is what comes before its first zero.
    std::string String()
    {
        uint8_t n = 0;
        Take(&n, 1);
        std::string text(n, '\0');
        if (n)
            Take(&text[0], n);
        return text.substr(0, text.find('\0'));
    }
    void Take(void* out, size_t n)
    {
        if (failed || bytes.size() - at < n) {
            failed = true;
            std::memset(out, 0, n);
            return;
        }
        std::memcpy(out, bytes.data() + at, n);
        at += n;
    }

private:
    const std::vector<uint8_t>& bytes;
    size_t at = 0;
    bool failed = false;
};

} // namespace

std::vector<uint8_t> WriteShaderFile(const ShaderFile& s)
{
    ByteWriter w;
    w.U32(0);
    w.Bytes("KESRF", 5);
    w.U32(s.version);
    w.U32(s.flags);
    for (const auto& c : s.colors)
        for (float f : c)
            w.F32(f);
    w.F32(s.value1);
    w.F32(s.value2);
    w.U32(s.sourceBlend);
    w.U32(s.destinationBlend);
    w.U32(s.storedStageCount != ShaderFile::kAuto ? s.storedStageCount : static_cast<uint32_t>(s.stages.size()));
    for (const ShaderFileStage& st : s.stages) {
        w.U32(st.flags);
        w.U32(st.type);
        if (st.type != 0) {
            w.U32(st.frameCount);
            w.F32(st.speed);
        }
        if (st.type == 1) {
            w.U32(st.columns);
            w.U32(st.rows);
        }
        w.String(st.diffuse);
        w.String(st.opacity);
        w.U32(st.addressU);
        w.U32(st.addressV);
        w.F32(st.scaleU);
        w.F32(st.scaleV);
        w.F32(st.offsetU);
        w.F32(st.offsetV);
    }
    w.PatchU32(0, s.storedTotalSize != ShaderFile::kAuto ? s.storedTotalSize : static_cast<uint32_t>(w.Size()));
    return std::move(w.Data());
}

bool ReadShaderFile(const std::vector<uint8_t>& bytes, ShaderFile& out, std::string* reason)
{
    auto fail = [&](const char* why) {
        if (reason)
            *reason = why;
        return false;
    };
    Reader r(bytes);
    const uint32_t total = r.U32();
    char magic[5];
    r.Take(magic, 5);
    out = ShaderFile();
    out.version = r.U32();
    if (r.Failed() || std::memcmp(magic, "KESRF", 5) != 0 || total != bytes.size())
        return fail("is no shader file (magic or total size)");
    if (out.version != 211)
        return fail("is not of the current version 211");
    out.flags = r.U32();
    for (auto& c : out.colors)
        for (float& f : c)
            f = r.F32();
    out.value1 = r.F32();
    out.value2 = r.F32();
    out.sourceBlend = r.U32();
    out.destinationBlend = r.U32();
    const uint32_t count = r.U32();
    // The engine's descriptors hold two stages.
    if (count > 2)
        return fail("has more stages than a shader holds");
    for (uint32_t i = 0; i < count && !r.Failed(); ++i) {
        ShaderFileStage st;
        st.flags = r.U32();
        st.type = r.U32();
        if (st.type != 0) {
            st.frameCount = r.U32();
            st.speed = r.F32();
        }
        if (st.type == 1) {
            st.columns = r.U32();
            st.rows = r.U32();
        }
        st.diffuse = r.String();
        st.opacity = r.String();
        st.addressU = r.U32();
        st.addressV = r.U32();
        st.scaleU = r.F32();
        st.scaleV = r.F32();
        st.offsetU = r.F32();
        st.offsetV = r.F32();
        out.stages.push_back(st);
    }
    if (r.Failed())
        return fail("ends inside a field");
    return true;
}

bool SaveShaderFile(const std::string& path, const ShaderFile& shader)
{
    return SaveBytes(path, WriteShaderFile(shader));
}

} // namespace ContentTools
