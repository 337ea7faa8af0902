#include "tools/formats/ShaderFileWriter.h"

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

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

bool SaveShaderFile(const std::string& path, const ShaderFile& shader)
{
    return SaveBytes(path, WriteShaderFile(shader));
}

} // namespace ContentTools
