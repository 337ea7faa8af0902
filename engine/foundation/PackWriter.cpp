#include "engine/foundation/PackWriter.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>

#ifdef _WIN32
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/SafeSave.h"
#endif

namespace KorvaneEngine {

namespace {

std::string Resolve(const std::string& path)
{
#ifdef _WIN32
    return FullFilePath(path);
#else
    return path;
#endif
}

bool SeekTo(FILE* f, int64_t offset, int whence)
{
#ifdef _WIN32
    return _fseeki64(f, offset, whence) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), whence) == 0;
#endif
}

int64_t Tell(FILE* f)
{
#ifdef _WIN32
    return _ftelli64(f);
#else
    return static_cast<int64_t>(ftello(f));
#endif
}

bool Fail(std::string* error, const std::string& reason)
{
    if (error)
        *error = reason;
    return false;
}

// Size of a file, or -1.
int64_t SizeOf(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return -1;
    int64_t size = SeekTo(f, 0, SEEK_END) ? Tell(f) : -1;
    std::fclose(f);
    return size;
}

bool Put(FILE* out, const void* data, size_t size) { return size == 0 || std::fwrite(data, 1, size, out) == size; }

bool PutU32(FILE* out, uint32_t v)
{
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return Put(out, b, 4);
}

// Appends size bytes of the file at path; false when it holds fewer.
bool CopyFrom(FILE* out, const std::string& path, uint64_t size)
{
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return false;
    std::vector<uint8_t> buffer(1 << 20);
    bool ok = true;
    while (ok && size > 0) {
        size_t chunk = size < buffer.size() ? static_cast<size_t>(size) : buffer.size();
        ok = std::fread(buffer.data(), 1, chunk, in) == chunk && Put(out, buffer.data(), chunk);
        size -= chunk;
    }
    std::fclose(in);
    return ok;
}

bool ReplaceWith(const std::string& temporary, const std::string& target)
{
#ifdef _WIN32
    return MoveFileOver(temporary, target);
#else
    return std::rename(temporary.c_str(), target.c_str()) == 0;
#endif
}

// Runs write into "<target>.tmp", then renames it over target; the temporary
// file is removed when anything failed.
template <class Writer> bool WriteReplacing(const std::string& target, std::string* error, Writer write)
{
    std::string temporary = target + ".tmp";
    FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out)
        return Fail(error, "cannot create " + temporary);
    bool ok = write(out);
    ok = std::fclose(out) == 0 && ok;
    if (ok && !ReplaceWith(temporary, target)) {
        std::remove(temporary.c_str());
        return Fail(error, "cannot replace " + target);
    }
    if (!ok) {
        std::remove(temporary.c_str());
        if (error && error->empty())
            *error = "cannot write " + temporary;
    }
    return ok;
}

} // namespace

bool WritePackFile(const std::string& path, const std::vector<PackInput>& inputs, std::string* error)
{
    if (error)
        error->clear();
    if (inputs.size() > std::numeric_limits<uint32_t>::max() / 16)
        return Fail(error, "too many entries");

    std::set<std::string> seen;
    std::vector<uint64_t> sizes;
    uint64_t directory = PackFormat::kDirectoryStart;
    for (const PackInput& input : inputs) {
        if (input.name.empty() || input.name.size() > PackFormat::kMaxNameLength)
            return Fail(error, "bad entry name \"" + input.name + "\"");
        std::string key = input.name;
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!seen.insert(key).second)
            return Fail(error, "entry \"" + input.name + "\" given twice");
        int64_t size = input.data.size();
        if (!input.sourcePath.empty() && (size = SizeOf(Resolve(input.sourcePath))) < 0)
            return Fail(error, "cannot read " + input.sourcePath);
        sizes.push_back(static_cast<uint64_t>(size));
        directory += 1 + input.name.size() + 1 + PackFormat::kLocationSize;
    }
    uint64_t total = directory;
    for (uint64_t size : sizes)
        total += size;
    if (total > std::numeric_limits<uint32_t>::max())
        return Fail(error, "pack larger than 4 GiB");

    return WriteReplacing(Resolve(path), error, [&](FILE* out) {
        bool ok = PutU32(out, static_cast<uint32_t>(total)) && Put(out, PackFormat::kMagic, 5)
            && PutU32(out, PackFormat::kVersion) && PutU32(out, static_cast<uint32_t>(inputs.size()));
        for (size_t i = 0; ok && i < inputs.size(); ++i) {
            uint8_t n = static_cast<uint8_t>(inputs[i].name.size() + 1);
            ok = Put(out, &n, 1) && Put(out, inputs[i].name.c_str(), n);
        }
        uint64_t offset = directory;
        for (size_t i = 0; ok && i < inputs.size(); ++i) {
            ok = PutU32(out, static_cast<uint32_t>(offset)) && PutU32(out, static_cast<uint32_t>(sizes[i]));
            offset += sizes[i];
        }
        for (size_t i = 0; ok && i < inputs.size(); ++i) {
            if (inputs[i].sourcePath.empty())
                ok = Put(out, inputs[i].data.data(), inputs[i].data.size());
            else if (!(ok = CopyFrom(out, Resolve(inputs[i].sourcePath), sizes[i])))
                Fail(error, "cannot read " + inputs[i].sourcePath);
        }
        return ok;
    });
}

bool AppendPackToProgram(const std::string& programPath, const std::string& packPath, const std::string& outputPath,
    std::string* error)
{
    if (error)
        error->clear();
    std::string program = Resolve(programPath), pack = Resolve(packPath);
    int64_t programSize = SizeOf(program), packSize = SizeOf(pack);
    if (programSize < 0)
        return Fail(error, "cannot read " + programPath);
    if (packSize < 0)
        return Fail(error, "cannot read " + packPath);
    if (static_cast<uint64_t>(programSize) + packSize + PackFormat::kTrailerSize > std::numeric_limits<uint32_t>::max())
        return Fail(error, "program with pack larger than 4 GiB");
    return WriteReplacing(Resolve(outputPath), error, [&](FILE* out) {
        return CopyFrom(out, program, programSize) && CopyFrom(out, pack, packSize)
            && PutU32(out, static_cast<uint32_t>(packSize)) && Put(out, PackFormat::kTrailerMagic, 3);
    });
}

} // namespace KorvaneEngine
