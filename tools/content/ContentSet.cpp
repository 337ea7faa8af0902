#include "tools/content/ContentSet.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "engine/foundation/PackWriter.h"

namespace Content {

namespace {

const char kDataPrefix[] = "data\\";
const char kPackName[] = "data\\pelloria.pak";

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f != nullptr;
    if (ok && !bytes.empty())
        ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f)
        ok = std::fclose(f) == 0 && ok;
    if (!ok && error)
        *error = "cannot write \"" + path + "\"";
    return ok;
}

std::string Join(const std::string& folder, const std::string& path)
{
    if (folder.empty())
        return path;
    const char last = folder.back();
    return (last == '\\' || last == '/') ? folder + path : folder + "\\" + path;
}

} // namespace

std::string ContentSet::Normalise(const std::string& path)
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

void ContentSet::Add(const std::string& path, std::vector<uint8_t> bytes)
{
    files_[Normalise(path)] = std::move(bytes);
}

void ContentSet::AddText(const std::string& path, const std::string& text)
{
    Add(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void ContentSet::Remove(const std::string& path)
{
    files_.erase(Normalise(path));
}

bool ContentSet::Has(const std::string& path) const
{
    const std::string p = Normalise(path);
    return files_.count(p) != 0 || resources_.count(p) != 0;
}

const std::vector<uint8_t>* ContentSet::Find(const std::string& path) const
{
    auto it = files_.find(Normalise(path));
    return it == files_.end() ? nullptr : &it->second;
}

void ContentSet::MarkLoose(const std::string& path)
{
    const std::string p = Normalise(path);
    if (std::find(loose_.begin(), loose_.end(), p) == loose_.end())
        loose_.push_back(p);
}

void ContentSet::AddResource(const std::string& listPath, const std::string& elementXml)
{
    ResourceList(listPath).push_back(elementXml);
}

std::vector<std::string>& ContentSet::ResourceList(const std::string& listPath)
{
    return resources_[Normalise(listPath)];
}

std::vector<std::string> ContentSet::Paths() const
{
    std::map<std::string, int> all;
    for (const auto& f : files_)
        all[f.first] = 0;
    for (const auto& r : resources_)
        all[r.first] = 0;
    std::vector<std::string> out;
    for (const auto& p : all)
        out.push_back(p.first);
    return out;
}

std::string ContentSet::ResourceListText(const std::string& listPath) const
{
    auto it = resources_.find(Normalise(listPath));
    if (it == resources_.end())
        return std::string();
    std::string text = "<resources>\n";
    for (const std::string& line : it->second)
        text += "  " + line + "\n";
    return text + "</resources>\n";
}

bool ContentSet::Write(const std::string& programFolder, bool allLoose, std::string* error) const
{
    std::map<std::string, std::vector<uint8_t>> all = files_;
    for (const auto& r : resources_) {
        const std::string text = ResourceListText(r.first);
        all[r.first] = std::vector<uint8_t>(text.begin(), text.end());
    }

    std::vector<KorvaneEngine::PackInput> packed;
    const size_t prefix = sizeof kDataPrefix - 1;
    for (const auto& f : all) {
        const bool loose = allLoose || std::find(loose_.begin(), loose_.end(), f.first) != loose_.end() ||
                           f.first.compare(0, prefix, kDataPrefix) != 0;
        if (loose) {
            if (!WriteWhole(Join(programFolder, f.first), f.second, error))
                return false;
            continue;
        }
        KorvaneEngine::PackInput in;
        in.name = f.first.substr(prefix);
        in.data = f.second;
        packed.push_back(std::move(in));
    }
    const std::string packPath = Join(programFolder, kPackName);
    if (packed.empty()) {
        std::remove(packPath.c_str());
        return true;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(packPath).parent_path(), ec);
    std::string reason;
    if (!KorvaneEngine::WritePackFile(packPath, packed, &reason)) {
        if (error)
            *error = "cannot write \"" + packPath + "\": " + reason;
        return false;
    }
    return true;
}

} // namespace Content
