#include "engine/foundation/BinaryDataFile.h"

#include <cstring>
#include <exception>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/SafeSave.h"

using namespace KorvaneEngine;

namespace GameTools {

namespace {

void PutU32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetU32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

BinaryDataFile::BinaryDataFile(const std::string& magic, uint32_t version) : version_(version)
{
    for (size_t i = 0; i < sizeof magic_; ++i)
        magic_[i] = i < magic.size() ? magic[i] : '\0';
}

BinaryDataFile::~BinaryDataFile()
{
    // A writer interrupted by an exception has an incomplete body: it must not
    // replace the old file.
    if (file_ && mode_ == kWrite && std::uncaught_exceptions() > exceptionsAtOpen_) {
        Discard();
        return;
    }
    try {
        Close();
    } catch (const Error& e) {
        if (MessageManager* log = MessageManager::Instance())
            log->LogError(e.GetMessage());
    }
}

void BinaryDataFile::Discard()
{
    delete file_;
    file_ = nullptr;
    save_.reset(); // deletes the temporary file
}

void BinaryDataFile::WriteHeader(uint32_t totalLength)
{
    uint8_t header[kHeaderSize];
    PutU32(header, totalLength);
    std::memcpy(header + 4, magic_, sizeof magic_);
    PutU32(header + 9, version_);
    file_->Write(header, kHeaderSize);
}

void BinaryDataFile::Open(const std::string& path, uint32_t mode, bool anyVersion, uint32_t* storedVersion)
{
    Close();
    mode_ = mode != kRead ? kWrite : kRead;
    path_ = path;
    FileManager* files = FileManager::Instance();

    if (mode_ == kWrite) {
        // The body goes to "<target>.tmp"; Close() renames it over the target.
        save_.reset(new SafeSave(files ? files->GetFullPath(path) : FullFilePath(path)));
        exceptionsAtOpen_ = std::uncaught_exceptions();
        try {
            CreateDirectories(save_->GetTemporaryPath());
            file_ = new FileBinary(save_->GetTemporaryPath(), true);
            WriteHeader(0);
        } catch (...) {
            Discard();
            throw;
        }
        return;
    }

    // A file whose header is refused is not open: nobody may read its body.
    std::unique_ptr<FileBinary> file(files ? files->OpenFile(path, false, 0) : new FileBinary(path, false, 0));
    uint8_t header[kHeaderSize];
    file->Read(header, kHeaderSize);
    if (std::memcmp(header + 4, magic_, sizeof magic_) != 0 || GetU32(header) != file->GetSize())
        throw FileError("Incorrect \"" + path + "\" file format");
    uint32_t stored = GetU32(header + 9);
    if (anyVersion) {
        if (storedVersion)
            *storedVersion = stored;
    } else if (stored != version_) {
        throw FileError("Incorrect \"" + path + "\" format version (" + std::to_string(stored) + "), current is " +
                        std::to_string(version_));
    }
    file_ = file.release();
}

void BinaryDataFile::Close()
{
    if (!file_)
        return;
    if (mode_ == kRead) {
        delete file_;
        file_ = nullptr;
        return;
    }
    try {
        // The length is the file's size, the furthest the writer got: a writer
        // that went back to patch a count must not shorten the header's length.
        uint32_t length = file_->GetSize();
        file_->Seek(0, 0);
        WriteHeader(length);
        file_->Flush();
        delete file_;
        file_ = nullptr;
        save_->Commit();
        save_.reset();
    } catch (...) {
        Discard();
        throw;
    }
}

} // namespace GameTools
