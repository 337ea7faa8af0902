#include "puzzle/logic/GameLogicData.h"
// Before the engine's headers: it brings in the Win32 header, whose macros
// must rename alike everywhere (Error::GetMessage).
#include "puzzle/logic/TexturePack.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLQuery.h"
#include "engine/foundation/XMLValue.h"
#include "engine/render/Image.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/TextureManager.h"

namespace Puzzle {

using namespace KorvaneEngine;
using GameTools::XMLNode;
using GameTools::XMLParser;
using GameTools::XMLValue;

namespace {

// Shared by every load of the process, so two loads never share a texture name.
uint32_t loadCounter = 0;

// The smallest piece record: x, y, w, h, M and L, and a shape block of at
// least one control byte and one data byte.
const uint32_t kMinPieceRecord = 26;

[[noreturn]] void Fatal(const std::string& message)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogFatal(message);
    throw FatalError(message);
}

uint32_t BytesLeft(const FileBinary& f) { return f.GetSize() - f.GetPosition(); }

// A whole-picture texture as a shader user that draws it.
ShaderUser* MakeTextureUser(TextureManager& textures, const std::string& name, Image* image, bool blend)
{
    ShaderDescriptor d;
    if (blend) {
        d.AddFlags(1);
        d.SetStageMode(0, 4);
        d.SetStageMode(1, 5);
    }
    d.AddStage(5, 0, 1, 1, 1, 0.0f, name);
    ShaderUser* user = ShaderManager::Instance()->GetShaderUser(d, false);
    // The texture manager owns the image from here.
    user->GetShader()->SetTexture(0, 0, textures.GetTexture(true, name, "", image, nullptr, false));
    return user;
}

Color ReadColor(XMLNode* root, const std::string& query)
{
    XMLValue* v = GameTools::FindXMLValue(root, query);
    if (!v)
        return Color(1, 1, 1, 1);
    Vector3 c = v->GetVector3() / 255.0f;
    // Out-of-range values would wrap round when written into a picture.
    return Color(std::min(std::max(c.x, 0.0f), 1.0f), std::min(std::max(c.y, 0.0f), 1.0f),
                 std::min(std::max(c.z, 0.0f), 1.0f), 1.0f);
}

// One bit a pixel of an atlas page: what the placed footprints cover.
class Occupancy {
public:
    Occupancy(uint32_t width, uint32_t height) : words_((width + 63) / 64), bits_(size_t(words_) * height, 0) {}
    // Whether any pixel of the rectangle (inside the page) is covered.
    bool Any(uint32_t x, uint32_t y, uint32_t w, uint32_t h) const
    {
        const uint32_t last = x + w - 1;
        for (uint32_t j = y; j < y + h; ++j)
            for (uint32_t word = x / 64; word <= last / 64; ++word)
                if (bits_[size_t(j) * words_ + word] & Mask(word, x, last))
                    return true;
        return false;
    }
    void Set(uint32_t x, uint32_t y, uint32_t w, uint32_t h)
    {
        const uint32_t last = x + w - 1;
        for (uint32_t j = y; j < y + h; ++j)
            for (uint32_t word = x / 64; word <= last / 64; ++word)
                bits_[size_t(j) * words_ + word] |= Mask(word, x, last);
    }

private:
    // The bits of pixels x .. last that lie in the given word.
    static uint64_t Mask(uint32_t word, uint32_t x, uint32_t last)
    {
        const uint32_t from = word == x / 64 ? x % 64 : 0;
        const uint32_t to = word == last / 64 ? last % 64 : 63;
        const uint64_t upTo = to == 63 ? ~uint64_t(0) : (uint64_t(1) << (to + 1)) - 1;
        return upTo & ~((uint64_t(1) << from) - 1);
    }

    uint32_t words_;
    std::vector<uint64_t> bits_;
};

// The open anchors of one kind, in placement order (slot = place on the
// page), as a list that drops anchors that can never be taken again, and
// per anchor the last footprint that did not fit there.
struct AnchorList {
    static constexpr uint32_t kEnd = 0xFFFFFFFFu;
    std::vector<uint32_t> next, failW, failH;
    uint32_t head = kEnd, tail = kEnd;

    void Append(uint32_t slot)
    {
        next.resize(slot + 1, kEnd);
        failW.resize(slot + 1, 0xFFFFFFFFu);
        failH.resize(slot + 1, 0xFFFFFFFFu);
        next[slot] = kEnd;
        if (tail == kEnd)
            head = slot;
        else
            next[tail] = slot;
        tail = slot;
    }
    void Remove(uint32_t prev, uint32_t slot)
    {
        if (prev == kEnd)
            head = next[slot];
        else
            next[prev] = next[slot];
        if (tail == slot)
            tail = prev;
    }
};

// Page sizes in the order they are tried: 32 x 32, 64 x 32, 64 x 64, ...
void NextPageSize(uint32_t& width, uint32_t& height)
{
    if (height < width)
        height *= 2;
    else
        width *= 2;
}

} // namespace

GameLogicData::GameLogicData(const std::string& language, const GameFramework::Stage* stage,
                             const GameFramework::Level* level)
    : DataKeeper(language), textureManager_(nullptr), stage_(stage), level_(level), texturePack_(nullptr),
      puzzleColor_(1, 1, 1, 1), backgroundColor_(1, 1, 1, 1), tipColor_(1, 1, 1, 1), loaded_(false)
{
    if (ShaderManager* shaders = ShaderManager::Instance())
        textureManager_ = shaders->GetTextureManager();
}

GameLogicData::~GameLogicData()
{
    values_.clear();
    pickPoints_.clear();
    delete texturePack_;
    texturePack_ = nullptr;
}

uint32_t GameLogicData::GetLoadCounter() { return loadCounter; }

bool GameLogicData::LoadStep(int32_t s)
{
    DataKeeper::LoadStep(s);
    if (s != -1 && step != 101)
        return false;
    // A second request would register the textures twice.
    if (loaded_)
        return false;
    Load();
    loaded_ = true;
    return true;
}

void GameLogicData::BadFile(const std::string& path, const std::string& what) const
{
    Fatal("Incorrect \"" + path + "\" file format: " + what);
}

bool GameLogicData::Decompress(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t capacity)
{
    uint32_t i = 0, o = 0;
    while (i < inLength) {
        const uint32_t k = in[i++];
        if (k < 128) {
            const uint32_t n = k + 1;
            if (inLength - i < n || capacity - o < n)
                return false;
            std::memcpy(out + o, in + i, n);
            i += n;
            o += n;
        } else {
            const uint32_t n = k - 126;
            if (i >= inLength || capacity - o < n)
                return false;
            std::memset(out + o, in[i++], n);
            o += n;
        }
    }
    return o == capacity;
}

void GameLogicData::Load()
{
    if (!textureManager_ || !ShaderManager::Instance())
        Fatal("(GameLogicData::Load): no shader manager to make the puzzle's textures");

    // 1. The picture, as 24-bit colour.
    std::unique_ptr<Image> picture(new Image);
    if (!picture->Load(picturePath, true) || !picture->ConvertDepth(24))
        Fatal("Failed to open \"" + picturePath + "\" image!");
    const uint32_t pw = picture->GetWidth(), ph = picture->GetHeight();
    if (pw > kTextureWidth || ph > kTextureHeight)
        BadFile(picturePath, "the picture is " + UnsignedToString(pw) + " x " + UnsignedToString(ph) +
                                 ", more than " + UnsignedToString(kTextureWidth) + " x " +
                                 UnsignedToString(kTextureHeight));

    // 2-3. The outline and the pieces.
    Image outline;
    if (!outline.Create(pw, ph, 8, true))
        Fatal("Failed to open \"" + picturePath + "\" image!");
    std::vector<std::vector<uint8_t>> shapes;
    ReadPuzzleFile(pw, ph, outline, shapes);

    // 4. The theme's colours.
    ReadColors();

    // 5. One image per piece: the picture inside the shape, less the cut line.
    const uint32_t total = GetTotal();
    std::vector<Image*> images;
    images.reserve(total);
    try {
        for (uint32_t p = 0; p < total; ++p) {
            const uint32_t x0 = positions_[p].x, y0 = positions_[p].y;
            const uint32_t w = pixelSizes_[p].x, h = pixelSizes_[p].y;
            std::unique_ptr<Image> image(new Image);
            if (!image->Create(w, h, 32, true))
                BadFile(puzzlePath, "piece " + UnsignedToString(p) + " is too large");
            image->Fill(Color(0, 0, 0, 0));
            const std::vector<uint8_t>& flags = shapes[p];
            for (uint32_t j = 0; j < h; ++j) {
                const uint8_t* src = picture->GetPixel(x0, y0 + j);
                const uint8_t* cut = outline.GetPixel(x0, y0 + j);
                uint8_t* dst = image->GetPixel(0, j);
                const uint8_t* inside = &flags[size_t(j) * w];
                for (uint32_t i = 0; i < w; ++i, src += 3, dst += 4)
                    if (inside[i]) {
                        dst[0] = src[0];
                        dst[1] = src[1];
                        dst[2] = src[2];
                        dst[3] = static_cast<uint8_t>(255 - cut[i]);
                    }
            }
            images.push_back(image.release());
            std::vector<uint8_t>().swap(shapes[p]);
        }
    } catch (...) {
        for (Image* image : images)
            delete image;
        throw;
    }

    // 6. The atlas.
    const uint32_t counter = loadCounter++;
    texturePack_ = BuildAtlas(images, "puzzle_elements_" + UnsignedToString(counter), imageNames_);

    // 7. The whole-picture textures.
    MakePictureTextures(*picture, outline, counter);
}

void GameLogicData::ReadPuzzleFile(uint32_t pw, uint32_t ph, Image& outline, std::vector<std::vector<uint8_t>>& shapes)
{
    const std::string& path = puzzlePath;
    GameTools::BinaryDataFile container("PZPZF", 100);
    try {
        container.Open(path, GameTools::BinaryDataFile::kRead);
        FileBinary& f = *container.GetFile();

        const float bw = ReadF32(f), bh = ReadF32(f);
        if (!std::isfinite(bw) || !std::isfinite(bh) || bw <= 0.0f || bh <= 0.0f || bw > float(kTextureWidth) ||
            bh > float(kTextureHeight))
            BadFile(path, "the board is not a size within " + UnsignedToString(kTextureWidth) + " x " +
                              UnsignedToString(kTextureHeight));
        boardSize_ = Vector2(bw, bh);

        const uint32_t n = ReadU32(f);
        if (n == 0)
            BadFile(path, "no pieces");
        if (n > BytesLeft(f) / kMinPieceRecord)
            BadFile(path, UnsignedToString(n) + " pieces do not fit in the file");
        centres_.resize(n);
        sizes_.resize(n);
        positions_.resize(n);
        pixelSizes_.resize(n);
        values_.resize(n);
        imageNames_.resize(n);
        pickPoints_.resize(n);
        shapes.resize(n);

        const uint64_t maxArea = uint64_t(kMaxCoverage) * pw * ph;
        const uint64_t atlasArea = uint64_t(kMaxAtlasPages) * kPageSize * kPageSize;
        uint64_t area = 0, footprints = 0;
        std::vector<uint8_t> block, bits;
        for (uint32_t p = 0; p < n; ++p) {
            const std::string piece = "piece " + UnsignedToString(p);
            const int32_t x = static_cast<int32_t>(ReadU32(f));
            const int32_t y = static_cast<int32_t>(ReadU32(f));
            const int32_t w = static_cast<int32_t>(ReadU32(f));
            const int32_t h = static_cast<int32_t>(ReadU32(f));
            if (w <= 0 || h <= 0)
                BadFile(path, piece + " has no area");
            if (x < 0 || y < 0)
                BadFile(path, piece + " starts outside the picture");
            if (int64_t(x) + w > int64_t(pw) || int64_t(y) + h > int64_t(ph))
                BadFile(path, piece + " reaches past the picture");
            // A larger footprint fits no atlas page.
            if (uint32_t(w) + 2 * kPadding > kPageSize || uint32_t(h) + 2 * kPadding > kPageSize)
                BadFile(path, piece + " is too large for an atlas page");
            area += uint64_t(w) * uint64_t(h);
            if (area > maxArea)
                BadFile(path, "the pieces cover the picture more than " + UnsignedToString(kMaxCoverage) +
                                  " times");
            // Packing can only lose room, so a cut whose footprints alone
            // overflow the atlas is refused before anything is made of it.
            footprints += uint64_t(w + 2 * kPadding) * uint64_t(h + 2 * kPadding);
            if (footprints > atlasArea)
                BadFile(path, "the pieces need more than " + UnsignedToString(kMaxAtlasPages) + " atlas pages of " +
                                  UnsignedToString(kPageSize) + " x " + UnsignedToString(kPageSize));
            positions_[p] = Vector2i(x, y);
            pixelSizes_[p] = Vector2i(w, h);
            sizes_[p] = Vector2(float(w), float(h));
            centres_[p] = Vector2(float(x), float(y)) + sizes_[p] * 0.5f;

            const uint32_t m = ReadU32(f);
            if (m > BytesLeft(f) / 4)
                BadFile(path, piece + " has " + UnsignedToString(m) + " values, more than the file holds");
            std::vector<uint32_t>& values = values_[p];
            values.resize(m);
            for (uint32_t k = 0; k < m; ++k)
                values[k] = ReadU32(f);

            const uint32_t length = ReadU32(f);
            if (length > BytesLeft(f))
                BadFile(path, piece + "'s shape block is longer than the file");
            block.resize(length);
            f.Read(block.data(), length);
            const uint32_t pixels = uint32_t(w) * uint32_t(h);
            bits.assign((pixels + 7) / 8, 0);
            if (!Decompress(block.data(), length, bits.data(), static_cast<uint32_t>(bits.size())))
                BadFile(path, piece + "'s shape does not decode to " + UnsignedToString(uint32_t(bits.size())) +
                                  " bytes");
            std::vector<uint8_t>& flags = shapes[p];
            flags.resize(pixels);
            for (uint32_t k = 0; k < pixels; ++k)
                flags[k] = (bits[k / 8] >> (k % 8)) & 1;

            // Points to find the piece by, on a 3-pixel grid, columns outside.
            std::vector<Vector2>& points = pickPoints_[p];
            for (int32_t i = 0; i < w; i += 3)
                for (int32_t j = 0; j < h; j += 3)
                    if (flags[size_t(j) * w + i])
                        points.push_back(Vector2(float(x + i), float(y + j)));
        }

        const uint32_t length = ReadU32(f);
        if (length > BytesLeft(f))
            BadFile(path, "the outline block is longer than the file");
        block.resize(length);
        f.Read(block.data(), length);
        if (!Decompress(block.data(), length, outline.GetPixels(), pw * ph))
            BadFile(path, "the outline does not decode to " + UnsignedToString(pw) + " x " + UnsignedToString(ph) +
                              " bytes");
        container.Close();
    } catch (const FileError& e) {
        Fatal(e.GetMessage());
    }
}

void GameLogicData::ReadColors()
{
    XMLNode root;
    try {
        XMLParser parser;
        parser.ParseFile(&root, colorsPath);
    } catch (const FileError& e) {
        // The colours only tint the board: white will do.
        if (MessageManager* log = MessageManager::Instance())
            log->LogError("(GameLogicData::ReadColors): \"" + colorsPath + "\": " + e.GetMessage() +
                          "; the colours are white");
        puzzleColor_ = backgroundColor_ = tipColor_ = Color(1, 1, 1, 1);
        return;
    }
    backgroundColor_ = ReadColor(&root, "puzzle/background_color");
    puzzleColor_ = ReadColor(&root, "puzzle/puzzle_color");
    tipColor_ = ReadColor(&root, "puzzle/tip_color");
}

void GameLogicData::MakePictureTextures(const Image& picture, const Image& outline, uint32_t counter)
{
    const std::string n = UnsignedToString(counter);
    const uint32_t pw = picture.GetWidth(), ph = picture.GetHeight();

    // The faint picture pieces are put on: the puzzle colour, seen only
    // along the cut lines.
    Image* puzzle = new Image;
    Image* theme = new Image;
    Image* background = new Image;
    if (!puzzle->Create(kTextureWidth, kTextureHeight, 32, true) ||
        !theme->Create(kTextureWidth, kTextureHeight, 24, true) ||
        !background->Create(kTextureWidth, kTextureHeight, 24, true)) {
        delete puzzle;
        delete theme;
        delete background;
        Fatal("(GameLogicData::Load): no memory for the puzzle's textures");
    }
    puzzle->Fill(puzzleColor_);
    for (uint32_t y = 0; y < ph; ++y) {
        const uint8_t* cut = outline.GetPixel(0, y);
        uint8_t* dst = puzzle->GetPixel(0, y);
        for (uint32_t x = 0; x < pw; ++x)
            dst[4 * x + 3] = cut[x];
    }

    theme->Fill(Color(1, 1, 1, 1));
    theme->Paste(0, 0, picture);

    // The board's frame: the picture mostly grey.
    const uint8_t* s = theme->GetPixels();
    uint8_t* d = background->GetPixels();
    const size_t count = size_t(kTextureWidth) * kTextureHeight;
    for (size_t i = 0; i < count; ++i, s += 3, d += 3) {
        const float grey = (float(s[0]) + float(s[1]) + float(s[2])) / 3.0f;
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<uint8_t>(float(s[c]) * 0.2f + grey * 0.8f);
    }

    TextureManager& textures = *textureManager_;
    AddShaderUser("puzzle", MakeTextureUser(textures, "puzzle_" + n, puzzle, true));
    AddShaderUser("puzzle_theme", MakeTextureUser(textures, "puzzle_theme_" + n, theme, false));
    AddShaderUser("puzzle_background", MakeTextureUser(textures, "puzzle_background_" + n, background, false));
}

// ---------------------------------------------------------------- atlas

bool GameLogicData::CompareArea(const PackRecord* a, const PackRecord* b)
{
    return uint64_t(a->width) * a->height > uint64_t(b->width) * b->height;
}

size_t GameLogicData::PackImages(std::vector<PackRecord*>& records, size_t first, size_t count, uint32_t width,
                                 uint32_t height)
{
    const uint32_t gap = 2 * kPadding;
    // Placed footprints never overlap one another, so a candidate overlaps
    // one exactly when it covers a pixel marked here: the centre-to-centre
    // test without walking every placed image.
    Occupancy taken(width, height);
    AnchorList rights, belows;
    // Every footprint holds the smallest one's square at its anchor corner.
    const uint32_t smallest = gap + 1;

    // The first open anchor of the list, in placement order, where a w x h
    // footprint fits; null when there is none.
    auto find = [&](AnchorList& list, bool right, uint32_t w, uint32_t h) -> PackRecord* {
        uint32_t prev = AnchorList::kEnd;
        for (uint32_t slot = list.head; slot != AnchorList::kEnd;) {
            PackRecord& o = *records[first + slot];
            const uint32_t next = list.next[slot];
            const uint64_t x = right ? uint64_t(o.x) + o.width + gap : o.x;
            const uint64_t y = right ? o.y : uint64_t(o.y) + o.height + gap;
            auto fits = [&](uint32_t fw, uint32_t fh) {
                return x + fw <= width && y + fh <= height && !taken.Any(uint32_t(x), uint32_t(y), fw, fh);
            };
            bool dead = !(right ? o.rightOpen : o.belowOpen);
            // A footprint that holds one that failed here fails too.
            if (!dead && !(w >= list.failW[slot] && h >= list.failH[slot])) {
                if (fits(w, h))
                    return &o;
                list.failW[slot] = w;
                list.failH[slot] = h;
                // Blocked even for the smallest footprint: blocked for good.
                dead = (w == smallest && h == smallest) || !fits(smallest, smallest);
            }
            if (dead)
                list.Remove(prev, slot);
            else
                prev = slot;
            slot = next;
        }
        return nullptr;
    };

    size_t placed = 0;
    for (size_t r = first; r < first + count; ++r) {
        PackRecord& rec = *records[r];
        const uint64_t w64 = uint64_t(rec.width) + gap, h64 = uint64_t(rec.height) + gap;
        if (w64 > width || h64 > height)
            return placed;
        const uint32_t w = uint32_t(w64), h = uint32_t(h64);
        if (placed == 0) {
            rec.x = 0;
            rec.y = 0;
            rec.rowLevel = 0;
        } else {
            PackRecord* right = find(rights, true, w, h);
            PackRecord* below = find(belows, false, w, h);
            if (!right && !below)
                return placed;
            // The lower row level keeps rows filled before new ones start.
            const bool takeRight = right && (!below || right->rowLevel < below->rowLevel + 1);
            if (takeRight) {
                rec.x = right->x + right->width + gap;
                rec.y = right->y;
                rec.rowLevel = right->rowLevel;
                right->rightOpen = false;
            } else {
                rec.x = below->x;
                rec.y = below->y + below->height + gap;
                rec.rowLevel = below->rowLevel + 1;
                below->belowOpen = false;
            }
        }
        taken.Set(rec.x, rec.y, w, h);
        rec.rightOpen = true;
        rec.belowOpen = true;
        rights.Append(uint32_t(placed));
        belows.Append(uint32_t(placed));
        ++placed;
    }
    return placed;
}

TexturePack* GameLogicData::BuildAtlas(std::vector<Image*>& images, const std::string& name,
                                       std::vector<std::string>& names)
{
    if (images.empty())
        Fatal("No items to pack");
    const uint32_t gap = 2 * kPadding;
    std::vector<PackRecord> storage(images.size());
    std::vector<PackRecord*> records(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        storage[i].image = images[i];
        storage[i].width = images[i]->GetWidth();
        storage[i].height = images[i]->GetHeight();
        records[i] = &storage[i];
    }
    // Stable, so equal areas keep the file's order and the names are the same every load.
    std::stable_sort(records.begin(), records.end(), CompareArea);
    for (size_t i = 0; i < records.size(); ++i)
        records[i]->name = UnsignedToString(static_cast<uint32_t>(i));

    std::vector<Image*> pages;
    std::vector<uint32_t> pageWidths, pageHeights;
    auto fail = [&](const std::string& message) {
        for (Image* image : images)
            delete image;
        images.clear();
        for (Image* page : pages)
            delete page;
        Fatal(message);
    };

    size_t first = 0;
    while (first < records.size()) {
        if (pages.size() == kMaxAtlasPages)
            fail("Texture pack \"" + name + "\": the images need more than " + UnsignedToString(kMaxAtlasPages) +
                 " pages (" + UnsignedToString(uint32_t(records.size() - first)) + " left over)");
        const size_t fitted = PackImages(records, first, records.size() - first, kPageSize, kPageSize);
        if (fitted == 0)
            fail("Texture pack \"" + name + "\": image " + records[first]->name + " (" +
                 UnsignedToString(records[first]->width) + " x " + UnsignedToString(records[first]->height) +
                 ") is larger than a page");
        // The smallest page that holds the same images; pages too small in
        // area for their footprints are not worth trying.
        uint64_t footprint = 0;
        for (size_t k = first; k < first + fitted; ++k)
            footprint += uint64_t(records[k]->width + gap) * (records[k]->height + gap);
        uint32_t w = 32, h = 32;
        while (w < kPageSize || h < kPageSize) {
            if (uint64_t(w) * h >= footprint && PackImages(records, first, fitted, w, h) == fitted)
                break;
            NextPageSize(w, h);
        }
        if (w == kPageSize && h == kPageSize)
            PackImages(records, first, fitted, w, h);

        Image* page = new Image;
        if (!page->Create(w, h, 32, true)) {
            delete page;
            fail("Texture pack \"" + name + "\": no memory for a page");
        }
        page->Fill(Color(0, 0, 0, 0));
        const uint32_t index = static_cast<uint32_t>(pages.size());
        for (size_t k = first; k < first + fitted; ++k) {
            PackRecord& rec = *records[k];
            rec.page = index;
            page->Paste(rec.x + kPadding, rec.y + kPadding, *rec.image);
        }
        pages.push_back(page);
        pageWidths.push_back(w);
        pageHeights.push_back(h);
        first += fitted;
    }

    for (Image* image : images)
        delete image;
    images.clear();

    TexturePack* pack = new TexturePack(pages, name);
    names.assign(storage.size(), std::string());
    for (size_t i = 0; i < storage.size(); ++i) {
        const PackRecord& rec = storage[i];
        const float W = float(pageWidths[rec.page]), H = float(pageHeights[rec.page]);
        pack->AddImage(rec.name, rec.page, Vector2((rec.x + kPadding) / W, (rec.y + kPadding) / H),
                       Vector2((rec.x + rec.width + kPadding) / W, (rec.y + rec.height + kPadding) / H));
        names[i] = rec.name;
    }
    return pack;
}

} // namespace Puzzle
