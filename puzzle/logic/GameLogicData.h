#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"
#include "engine/render/DataKeeper.h"

namespace KorvaneEngine {
class FileBinary;
class Image;
class TextureManager;
} // namespace KorvaneEngine

namespace GameFramework {
struct Stage;
struct Level;
} // namespace GameFramework

namespace Puzzle {

class TexturePack;

// One puzzle while it is played: the cut of the picture (a ".pzf" file), the
// picture, its theme's colours, one image per piece packed onto atlas pages,
// and the three whole-picture textures the board draws ("puzzle_background",
// "puzzle_theme", "puzzle", registered as shader users of this keeper).
//
// Coordinates follow the engine's pictures: x right, y up from the picture's
// bottom line, so piece centres are board positions as they are.
class GameLogicData : public GameTools::DataKeeper {
public:
    // The whole-picture textures have this size, so no picture or board may
    // be larger.
    static const uint32_t kTextureWidth = 1024;
    static const uint32_t kTextureHeight = 512;
    // The largest atlas page, and the gap kept round every piece image on it
    // (so filtering never mixes two pieces).
    static const uint32_t kPageSize = 1024;
    static const uint32_t kPadding = 2;
    // The most atlas pages one puzzle may fill: what bounds its pieces,
    // whose footprints (with their gap) must fit in that many full pages.
    static const uint32_t kMaxAtlasPages = 4;
    // Piece rectangles of a real cut cover the picture about twice (the tabs
    // overlap); far more is a file made to exhaust memory.
    static const uint32_t kMaxCoverage = 8;

    // language: the keeper's; stage and level are the game's records (not owned).
    GameLogicData(const std::string& language, const GameFramework::Stage* stage, const GameFramework::Level* level);
    ~GameLogicData() override;

    // Loads everything for step -1 or when the step counter is at 101 (the
    // first step after the keeper's own); false at once otherwise. Faults in
    // the files are fatal (logged, then FatalError).
    bool LoadStep(int32_t step) override;

    // Filled by the content catalogue before loading.
    std::string picturePath;
    std::string colorsPath;
    std::string puzzlePath;

    const GameFramework::Stage* GetStage() const { return stage_; }
    const GameFramework::Level* GetLevel() const { return level_; }
    bool IsLoaded() const { return loaded_; }

    uint32_t GetTotal() const { return static_cast<uint32_t>(centres_.size()); }
    const KorvaneEngine::Vector2& GetBoardSize() const { return boardSize_; }
    const std::vector<KorvaneEngine::Vector2>& GetCentres() const { return centres_; }
    const std::vector<KorvaneEngine::Vector2>& GetSizes() const { return sizes_; }
    const std::vector<KorvaneEngine::Vector2i>& GetPositions() const { return positions_; }
    const std::vector<KorvaneEngine::Vector2i>& GetPixelSizes() const { return pixelSizes_; }
    const std::vector<std::vector<uint32_t>>& GetValues() const { return values_; }
    const std::vector<std::string>& GetImageNames() const { return imageNames_; }
    const std::vector<std::vector<KorvaneEngine::Vector2>>& GetPickPoints() const { return pickPoints_; }
    TexturePack* GetTexturePack() const { return texturePack_; }
    const KorvaneEngine::Color& GetPuzzleColor() const { return puzzleColor_; }
    const KorvaneEngine::Color& GetBackgroundColor() const { return backgroundColor_; }
    const KorvaneEngine::Color& GetTipColor() const { return tipColor_; }

    // Loads so far in this process; names of each load's textures and pack
    // end with the counter's value at that load.
    static uint32_t GetLoadCounter();

    // The run-length code of shapes and outlines: control k < 128 copies the
    // next k + 1 bytes, k >= 128 repeats the next byte k - 126 times. True
    // only when the block decodes to exactly capacity bytes: output past
    // capacity, a block that ends inside a run, and a short result all fail.
    static bool Decompress(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t capacity);

    // One image to place on an atlas page.
    struct PackRecord {
        KorvaneEngine::Image* image = nullptr;  // not owned
        uint32_t width = 0, height = 0;
        std::string name;
        // Placement on the page (footprint corner; the image is at + padding).
        uint32_t x = 0, y = 0;
        uint32_t rowLevel = 0;
        uint32_t page = 0;
        bool rightOpen = false, belowOpen = false;
    };
    // Larger area first.
    static bool CompareArea(const PackRecord* a, const PackRecord* b);
    // Places records[first .. first + count) on one width x height page in
    // order, each with a footprint of (w + 4) x (h + 4); returns how many
    // were placed before the first that did not fit. Each image goes to the
    // first open anchor (right of or below a placed one, in placement order)
    // where it fits; the cost grows with the anchors still usable, not with
    // every image placed, so thousands of pieces pack at once.
    static size_t PackImages(std::vector<PackRecord*>& records, size_t first, size_t count, uint32_t width,
                             uint32_t height);
    // Packs the images (handed over: freed here, the list emptied) onto pages
    // as small as they can be and makes the texture pack of that name.
    // names[i] receives image i's name: its place in the area order. No
    // images, one too large for a page, or more than kMaxAtlasPages pages is
    // fatal.
    static TexturePack* BuildAtlas(std::vector<KorvaneEngine::Image*>& images, const std::string& name,
                                   std::vector<std::string>& names);

private:
    void Load();
    void ReadPuzzleFile(uint32_t pictureWidth, uint32_t pictureHeight, KorvaneEngine::Image& outline,
                        std::vector<std::vector<uint8_t>>& shapes);
    void ReadColors();
    void MakePictureTextures(const KorvaneEngine::Image& picture, const KorvaneEngine::Image& outline,
                             uint32_t counter);
    [[noreturn]] void BadFile(const std::string& path, const std::string& what) const;

    KorvaneEngine::TextureManager* textureManager_;
    const GameFramework::Stage* stage_;
    const GameFramework::Level* level_;
    KorvaneEngine::Vector2 boardSize_;
    std::vector<KorvaneEngine::Vector2> centres_;
    std::vector<KorvaneEngine::Vector2> sizes_;
    std::vector<KorvaneEngine::Vector2i> positions_;
    std::vector<KorvaneEngine::Vector2i> pixelSizes_;
    std::vector<std::vector<uint32_t>> values_;
    std::vector<std::string> imageNames_;
    std::vector<std::vector<KorvaneEngine::Vector2>> pickPoints_;
    TexturePack* texturePack_;
    KorvaneEngine::Color puzzleColor_;
    KorvaneEngine::Color backgroundColor_;
    KorvaneEngine::Color tipColor_;
    bool loaded_;
};

} // namespace Puzzle
