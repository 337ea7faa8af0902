#include "engine/foundation/PackFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/PackWriter.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

const char* const kFormatError = "Incorrect pack file format";
const char* const kVersionError = "Incorrect pack file version, current is 100";

uint32_t U32At(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

std::string WithBackslash(const std::string& folder)
{
    if (!folder.empty() && folder.back() == '\\')
        return folder;
    return folder + "\\";
}

// "*.prf" -> ".prf", "*" -> "", "a*b" -> "a": the listings match substrings.
std::string PlainMask(std::string mask)
{
    for (char wildcard : {'*', '?'}) {
        while (!mask.empty() && mask[0] == wildcard)
            mask.erase(0, 1);
        size_t at = mask.find(wildcard);
        if (at != std::string::npos)
            mask.resize(at);
    }
    return mask;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

PackFile::PackFile(const std::string& path, uint32_t baseOffset, uint32_t expectedSize, uint32_t cacheLimit)
    : path_(path), baseOffset_(baseOffset)
{
    LogMessageIfOpen("...Pack file " + path + " found...");
    file_ = new FileBinary(path, false, cacheLimit, 0, nullptr, true, nullptr, 0);
    try {
        const uint32_t fileSize = file_->GetSize();
        if (baseOffset_ > fileSize || baseOffset_ > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
            throw FileError(kFormatError);
        const uint32_t available = fileSize - baseOffset_;
        file_->Seek(0, static_cast<int32_t>(baseOffset_));

        uint8_t header[PackFormat::kHeaderSize];
        file_->Read(header, sizeof header);
        const uint32_t total = U32At(header);
        bool sizeOk = expectedSize == 0 ? total == available : total == expectedSize && expectedSize <= available;
        if (std::memcmp(header + 4, PackFormat::kMagic, 5) != 0 || !sizeOk || total < PackFormat::kDirectoryStart)
            throw FileError(kFormatError);
        if (U32At(header + 9) != PackFormat::kVersion)
            throw FileError(kVersionError);

        uint8_t countBytes[4];
        file_->Read(countBytes, 4);
        const uint32_t count = U32At(countBytes);
        // Every entry takes at least a two-byte name and its location.
        if (count > (total - PackFormat::kDirectoryStart) / (2 + PackFormat::kLocationSize))
            throw FileError(kFormatError);
        LogMessageIfOpen("......It contains " + UnsignedToString(count) + " files...");

        entryNames_.reserve(count);
        std::string name;
        for (uint32_t i = 0; i < count; ++i) {
            file_->ReadString(name);
            ToLower(name);
            entryNames_.push_back(name);
        }
        std::vector<uint8_t> locations(static_cast<size_t>(count) * PackFormat::kLocationSize);
        if (count)
            file_->Read(locations.data(), static_cast<uint32_t>(locations.size()));
        if (file_->GetPosition() - baseOffset_ > total)
            throw FileError(kFormatError);

        std::vector<std::string> folders;
        for (uint32_t i = 0; i < count; ++i) {
            Entry entry = {U32At(&locations[8 * i]), U32At(&locations[8 * i + 4])};
            // Nothing outside the pack may be served as an entry's bytes.
            if (static_cast<uint64_t>(entry.offset) + entry.size > total)
                throw FileError(kFormatError);
            entries_.emplace(entryNames_[i], entry);
            size_t slash = entryNames_[i].rfind('\\');
            if (slash != std::string::npos)
                folders.push_back(entryNames_[i].substr(0, slash));
        }
        std::sort(folders.begin(), folders.end());
        folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
        folderNames_.swap(folders);
    } catch (...) {
        delete file_;
        file_ = nullptr;
        throw;
    }
}

PackFile::~PackFile() { delete file_; }

bool PackFile::IsInMemory() const { return file_->GetMemory() != nullptr; }

bool PackFile::Locate(const std::string& name, const uint8_t*& memory, bool& ownMemory, FILE*& stream,
    uint32_t& offset) const
{
    auto it = entries_.find(ToLowerCopy(name));
    if (it == entries_.end())
        return false;
    ownMemory = false;
    offset = baseOffset_ + it->second.offset;
    if (IsInMemory()) {
        memory = file_->GetMemory() + offset;
        stream = nullptr;
    } else {
        memory = nullptr;
        stream = file_->GetStream();
    }
    return true;
}

bool PackFile::GetEntrySize(const std::string& name, uint32_t& size) const
{
    auto it = entries_.find(ToLowerCopy(name));
    if (it == entries_.end())
        return false;
    size = it->second.size;
    return true;
}

bool PackFile::HasEntry(const std::string& name) const { return entries_.count(ToLowerCopy(name)) != 0; }

bool PackFile::HasFolder(const std::string& text) const
{
    std::string key = ToLowerCopy(text);
    for (const std::string& folder : folderNames_)
        if (folder.find(key) != std::string::npos)
            return true;
    return false;
}

void PackFile::ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& out) const
{
    const std::string prefix = ToLowerCopy(WithBackslash(folder));
    const std::string plain = PlainMask(ToLowerCopy(mask));
    for (const std::string& name : entryNames_) {
        if (!StartsWith(name, prefix))
            continue;
        if (plain.empty() || name.find(plain, prefix.size()) != std::string::npos)
            out.push_back(name);
    }
}

void PackFile::ListSubfolders(const std::string& folder, std::vector<std::string>& out) const
{
    const std::string prefix = ToLowerCopy(WithBackslash(folder));
    for (const auto& entry : entries_) {
        const std::string& name = entry.first;
        if (!StartsWith(name, prefix))
            continue;
        size_t slash = name.find('\\', prefix.size());
        if (slash != std::string::npos && name.find('\\', slash + 1) == std::string::npos)
            out.push_back(name.substr(0, slash));
    }
}

} // namespace KorvaneEngine
