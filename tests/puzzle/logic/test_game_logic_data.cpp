// Puzzle data on a real device: puzzle files written by the content writer
// load all at once and step by step into pieces, pick points, an atlas and
// the board's textures; every malformed file stops with the fatal message
// naming it, and a bad colours file only costs the colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>

#include "PuzzleTestSupport.h"

using namespace KorvaneEngine;
using namespace PuzzleTest;
using Puzzle::GameLogicData;

namespace {

class GameLogicDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.StartResources(TestSupport::ExecutableName());
        baseUsers = scene.shaders->GetUserCount();
        baseTextures = scene.shaders->GetTextureManager()->GetTextureCount();
    }
    void TearDown() override { scene.StopResources(); }

    std::unique_ptr<GameLogicData> Data(const std::string& picture, const std::string& puzzle,
                                        const std::string& colours = "colours.xml")
    {
        std::unique_ptr<GameLogicData> d(new GameLogicData("english", nullptr, nullptr));
        d->picturePath = scene.DataPath(picture);
        d->puzzlePath = scene.DataPath(puzzle);
        d->colorsPath = scene.DataPath(colours);
        return d;
    }
    // The engine's reading of a picture, 24-bit as the puzzle holds it.
    void Picture(const std::string& name, Image& out)
    {
        ASSERT_TRUE(out.Load(scene.DataPath(name), true));
        ASSERT_TRUE(out.ConvertDepth(24));
    }
    Texture2D* TextureOf(GameLogicData& d, const std::string& user)
    {
        return d.GetShaderUser(user)->GetShader()->GetTexture(0, 0);
    }
    void ExpectAllReleased()
    {
        EXPECT_EQ(scene.shaders->GetUserCount(), baseUsers);
        EXPECT_EQ(scene.shaders->GetTextureManager()->GetTextureCount(), baseTextures);
    }

    PuzzleScene scene;
    uint32_t baseUsers = 0, baseTextures = 0;
};

} // namespace

TEST_F(GameLogicDataTest, LoadsAllAtOnceAndStepByStepWithItsOwnNames)
{
    scene.PutJpeg("pic.jpg", 200, 150);
    PuzzleFile file = WavyCut(200, 150, 5, 4);
    file.boardWidth = 190.5f;  // the board is the file's, not the picture's
    scene.PutPuzzle("p.pzf", file);
    scene.PutText("colours.xml", "<puzzle><background_color>51 102 255</background_color>"
                                 "<puzzle_color>255 0 0</puzzle_color><tip_color>0 255 0</tip_color></puzzle>");
    Image picture;
    Picture("pic.jpg", picture);
    const uint32_t counter = GameLogicData::GetLoadCounter();

    std::unique_ptr<GameLogicData> all = Data("pic.jpg", "p.pzf");
    all->LoadAll();
    ASSERT_TRUE(all->IsLoaded());
    CheckLoadedPuzzle(*all, file, picture);
    EXPECT_EQ(all->GetTexturePack()->GetName(), "puzzle_elements_" + std::to_string(counter));
    EXPECT_NEAR(all->GetBackgroundColor().g, 0.4f, 1e-6);
    EXPECT_NEAR(all->GetBackgroundColor().b, 1.0f, 1e-6);
    EXPECT_EQ(all->GetPuzzleColor().r, 1.0f);
    EXPECT_EQ(all->GetTipColor().g, 1.0f);
    EXPECT_EQ(all->GetTipColor().a, 1.0f);

    // Step by step the load happens at step 101 and nowhere else.
    std::unique_ptr<GameLogicData> steps = Data("pic.jpg", "p.pzf");
    while (steps->step < 101) {
        steps->LoadNextStep();
        if (steps->step <= 101) {
            ASSERT_FALSE(steps->IsLoaded()) << "step " << steps->step;
        }
    }
    steps->LoadNextStep();
    ASSERT_TRUE(steps->IsLoaded());
    EXPECT_EQ(steps->step, steps->extraSteps + 101);
    EXPECT_EQ(steps->progress, 1.0f);
    EXPECT_FALSE(steps->LoadStep(101));  // never twice
    CheckLoadedPuzzle(*steps, file, picture);
    EXPECT_EQ(steps->GetImageNames(), all->GetImageNames());

    // The second load's textures and pack end with the next counter value.
    const std::string a = std::to_string(counter), b = std::to_string(counter + 1);
    EXPECT_EQ(steps->GetTexturePack()->GetName(), "puzzle_elements_" + b);
    std::string key;
    for (const char* user : {"puzzle", "puzzle_theme", "puzzle_background"}) {
        TextureManager::MakeKey(key, true, std::string(user) + "_" + a, "");
        EXPECT_EQ(TextureOf(*all, user)->GetName(), key);
        TextureManager::MakeKey(key, true, std::string(user) + "_" + b, "");
        EXPECT_EQ(TextureOf(*steps, user)->GetName(), key);
    }
    TextureManager::MakeKey(key, true, "pack_puzzle_elements_" + b + "_0", "");
    EXPECT_EQ(PageImage(steps->GetTexturePack()->GetPages()[0]) != nullptr, true);
    EXPECT_EQ(steps->GetTexturePack()->GetPages()[0]->GetShader()->GetTexture(0, 0)->GetName(), key);

    // The whole-picture textures: the puzzle colour seen through the outline,
    // the picture on white, and the picture mostly grey.
    const Image* puzzle = TextureOf(*all, "puzzle")->GetImage()->GetDiffuse();
    const Image* theme = TextureOf(*all, "puzzle_theme")->GetImage()->GetDiffuse();
    const Image* back = TextureOf(*all, "puzzle_background")->GetImage()->GetDiffuse();
    ASSERT_TRUE(puzzle && theme && back);
    ASSERT_EQ(puzzle->GetWidth(), 1024u);
    ASSERT_EQ(puzzle->GetHeight(), 512u);
    ASSERT_EQ(puzzle->GetBits(), 32u);
    ASSERT_EQ(theme->GetBits(), 24u);
    int wrong = 0;
    for (uint32_t y = 0; y < 512; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            const bool in = x < 200 && y < 150;
            const uint8_t* p = puzzle->GetPixel(x, y);
            wrong += p[0] != 255 || p[1] != 0 || p[2] != 0 || p[3] != (in ? file.outline[y * 200 + x] : 255);
            const uint8_t* t = theme->GetPixel(x, y);
            const uint8_t* s = in ? picture.GetPixel(x, y) : nullptr;
            wrong += in ? std::memcmp(t, s, 3) != 0 : (t[0] != 255 || t[1] != 255 || t[2] != 255);
            const float grey = (float(t[0]) + t[1] + t[2]) / 3.0f;
            const uint8_t* g = back->GetPixel(x, y);
            for (int c = 0; c < 3; ++c)
                wrong += g[c] != uint8_t(t[c] * 0.2f + grey * 0.8f);
        }
    EXPECT_EQ(wrong, 0);

    all.reset();
    steps.reset();
    ExpectAllReleased();
}

TEST_F(GameLogicDataTest, SmallPiecesPagesAndPickPoints)
{
    // A lone 100 x 50 piece: a 128 x 64 page, the image at (2, 2).
    scene.PutJpeg("lone.jpg", 100, 50);
    scene.PutPuzzle("lone.pzf", CutFromLabels(std::vector<int>(100 * 50, 0), 100, 50, 1));
    scene.PutText("colours.xml", "<puzzle/>");
    std::unique_ptr<GameLogicData> lone = Data("lone.jpg", "lone.pzf");
    lone->LoadAll();
    ASSERT_EQ(lone->GetImageNames(), std::vector<std::string>{"0"});
    const Puzzle::TexturePack::ImageRecord& r = lone->GetTexturePack()->FindImage("0");
    const Image* page = PageImage(r.user);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetWidth(), 128u);
    EXPECT_EQ(page->GetHeight(), 64u);
    EXPECT_FLOAT_EQ(r.topLeft.x, 2.0f / 128);
    EXPECT_FLOAT_EQ(r.topLeft.y, 2.0f / 64);
    EXPECT_FLOAT_EQ(r.bottomRight.x, 102.0f / 128);
    EXPECT_FLOAT_EQ(r.bottomRight.y, 52.0f / 64);
    // No "puzzle" element: every colour white.
    EXPECT_EQ(lone->GetBackgroundColor().r + lone->GetPuzzleColor().g + lone->GetTipColor().b, 3.0f);

    // A 10 x 10 piece has 13 shape bytes; its pick points are its set pixels
    // among columns and rows 0, 3, 6, 9, column by column.
    scene.PutJpeg("ten.jpg", 10, 10);
    std::vector<uint8_t> flags(100, 1);
    for (int k : {0, 33, 36, 90, 99, 50})
        flags[k] = 0;  // (0,0) (3,3) (6,3) (0,9) (9,9) (0,5)
    PuzzleFile ten;
    ten.boardWidth = ten.boardHeight = 10;
    PuzzlePiece p;
    p.w = p.h = 10;
    p.shape = ContentTools::PackShapeBits(flags);
    ASSERT_EQ(p.shape.size(), 13u);
    ten.pieces.push_back(p);
    ten.outline.assign(100, 0);
    scene.PutPuzzle("ten.pzf", ten);
    std::unique_ptr<GameLogicData> d = Data("ten.jpg", "ten.pzf");
    d->LoadAll();
    std::vector<std::pair<int, int>> got, want;
    for (const Vector2& v : d->GetPickPoints()[0])
        got.push_back({int(v.x), int(v.y)});
    for (int i = 0; i < 10; i += 3)
        for (int j = 0; j < 10; j += 3)
            if (flags[j * 10 + i])
                want.push_back({i, j});
    EXPECT_EQ(got, want);
    EXPECT_EQ(got.size(), 11u);
    lone.reset();
    d.reset();
    ExpectAllReleased();
}

TEST_F(GameLogicDataTest, ACutOfHundredsOfPiecesLoadsWhole)
{
    // 32 x 24 wavy pieces of about 15 pixels: far more than a few hundred,
    // as many as the file holds, on atlas pages like any other cut.
    scene.PutJpeg("many.jpg", 480, 360);
    scene.PutText("colours.xml", "<puzzle/>");
    const PuzzleFile file = WavyCut(480, 360, 32, 24);
    scene.PutPuzzle("many.pzf", file);
    Image picture;
    Picture("many.jpg", picture);
    std::unique_ptr<GameLogicData> d = Data("many.jpg", "many.pzf");
    const auto start = std::chrono::steady_clock::now();
    d->LoadAll();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[pieces] %zu pieces loaded in %.2f s on %zu atlas pages\n", file.pieces.size(), seconds,
                d->GetTexturePack()->GetPages().size());
    CheckLoadedPuzzle(*d, file, picture);
    EXPECT_EQ(d->GetTotal(), 768u);
    d.reset();
    ExpectAllReleased();
}

namespace {

// The placement rule as written: every placed image walked for each anchor
// and each overlap, centre to centre. The packer must place exactly so.
size_t PackByTheRule(std::vector<GameLogicData::PackRecord*>& records, uint32_t width, uint32_t height)
{
    const int64_t gap = 4;
    size_t placed = 0;
    for (GameLogicData::PackRecord* rec : records) {
        const int64_t w = rec->width + gap, h = rec->height + gap;
        auto free = [&](int64_t x, int64_t y) {
            if (x + w > width || y + h > height)
                return false;
            for (size_t k = 0; k < placed; ++k) {
                const GameLogicData::PackRecord& o = *records[k];
                const double dx = std::fabs((x + w / 2.0) - (o.x + (o.width + gap) / 2.0));
                const double dy = std::fabs((y + h / 2.0) - (o.y + (o.height + gap) / 2.0));
                if (dx < (w + o.width + gap) / 2.0 - 0.0001 && dy < (h + o.height + gap) / 2.0 - 0.0001)
                    return false;
            }
            return true;
        };
        if (placed == 0) {
            if (w > width || h > height)
                return 0;
            rec->x = rec->y = rec->rowLevel = 0;
        } else {
            GameLogicData::PackRecord *right = nullptr, *below = nullptr;
            for (size_t k = 0; k < placed && !right; ++k)
                if (records[k]->rightOpen && free(records[k]->x + records[k]->width + gap, records[k]->y))
                    right = records[k];
            for (size_t k = 0; k < placed && !below; ++k)
                if (records[k]->belowOpen && free(records[k]->x, records[k]->y + records[k]->height + gap))
                    below = records[k];
            if (!right && !below)
                return placed;
            if (right && (!below || right->rowLevel < below->rowLevel + 1)) {
                rec->x = right->x + right->width + uint32_t(gap);
                rec->y = right->y;
                rec->rowLevel = right->rowLevel;
                right->rightOpen = false;
            } else {
                rec->x = below->x;
                rec->y = below->y + below->height + uint32_t(gap);
                rec->rowLevel = below->rowLevel + 1;
                below->belowOpen = false;
            }
        }
        rec->rightOpen = rec->belowOpen = true;
        ++placed;
    }
    return placed;
}

} // namespace

TEST_F(GameLogicDataTest, ThePackerPlacesAsTheAnchorRuleSays)
{
    // Mixed sizes in area order, as the atlas hands them over, on pages from
    // small (most do not fit) to full: every placement as the rule gives it.
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    const uint32_t pages[][2] = {{64, 32}, {128, 128}, {256, 128}, {1024, 1024}};
    for (int round = 0; round < 12; ++round) {
        const size_t n = 40 + next(400);
        const uint32_t largest = round % 3 == 0 ? 8 : (round % 3 == 1 ? 40 : 200);
        std::vector<GameLogicData::PackRecord> a(n), b;
        for (GameLogicData::PackRecord& r : a) {
            r.width = 1 + next(largest);
            r.height = 1 + next(largest);
        }
        std::vector<GameLogicData::PackRecord*> order;
        for (GameLogicData::PackRecord& r : a)
            order.push_back(&r);
        std::stable_sort(order.begin(), order.end(), GameLogicData::CompareArea);
        for (const auto& page : pages) {
            SCOPED_TRACE("round " + std::to_string(round) + ", page " + std::to_string(page[0]) + " x " +
                         std::to_string(page[1]));
            std::vector<GameLogicData::PackRecord> copy(n);
            std::vector<GameLogicData::PackRecord*> theirs(n);
            for (size_t i = 0; i < n; ++i) {
                copy[i] = *order[i];
                theirs[i] = &copy[i];
            }
            const size_t placed = GameLogicData::PackImages(order, 0, n, page[0], page[1]);
            ASSERT_EQ(placed, PackByTheRule(theirs, page[0], page[1]));
            for (size_t i = 0; i < placed; ++i)
                ASSERT_TRUE(order[i]->x == theirs[i]->x && order[i]->y == theirs[i]->y &&
                            order[i]->rowLevel == theirs[i]->rowLevel)
                    << "image " << i << " at (" << order[i]->x << ", " << order[i]->y << "), the rule says ("
                    << theirs[i]->x << ", " << theirs[i]->y << ")";
        }
    }

    // Thousands of small pieces pack at once: the anchors walked are those
    // still usable, not every piece placed.
    std::vector<GameLogicData::PackRecord> many(12000);
    std::vector<GameLogicData::PackRecord*> all;
    for (GameLogicData::PackRecord& r : many) {
        r.width = 1 + next(3);
        r.height = 1 + next(3);
        all.push_back(&r);
    }
    std::stable_sort(all.begin(), all.end(), GameLogicData::CompareArea);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GameLogicData::PackImages(all, 0, all.size(), 1024, 1024), all.size());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[packer] %zu images on one page in %.3f s\n", all.size(), seconds);
    EXPECT_LT(seconds, 20.0);
}

TEST_F(GameLogicDataTest, AtlasPacksByAreaOntoTheSmallestPages)
{
    auto image = [](uint32_t w, uint32_t h, uint8_t v) {
        Image* i = new Image;
        i->Create(w, h, 32, true);
        uint8_t* p = i->GetPixels();
        for (uint32_t k = 0; k < w * h; ++k, p += 4) {
            p[0] = v;
            p[1] = p[2] = 0;
            p[3] = 255;
        }
        return i;
    };
    // Placed by hand: A at (0, 0), B below it (A's right is too narrow),
    // then C right of A, on the lower row level.
    std::vector<Image*> images = {image(20, 20, 3), image(60, 60, 1), image(100, 30, 2)};
    std::vector<std::string> names;
    std::unique_ptr<Puzzle::TexturePack> pack(GameLogicData::BuildAtlas(images, "packed", names));
    EXPECT_TRUE(images.empty());
    EXPECT_EQ(names, (std::vector<std::string>{"2", "0", "1"}));
    ASSERT_EQ(pack->GetPages().size(), 1u);
    const Image* page = PageImage(pack->GetPages()[0]);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->GetWidth(), 128u);
    EXPECT_EQ(page->GetHeight(), 128u);
    const int expect[3][4] = {{2, 2, 62, 62}, {2, 66, 102, 96}, {66, 2, 86, 22}};
    for (int k = 0; k < 3; ++k) {
        const Puzzle::TexturePack::ImageRecord& r = pack->FindImage(std::to_string(k));
        EXPECT_EQ(int(r.topLeft.x * 128), expect[k][0]) << k;
        EXPECT_EQ(int(r.topLeft.y * 128), expect[k][1]) << k;
        EXPECT_EQ(int(r.bottomRight.x * 128), expect[k][2]) << k;
        EXPECT_EQ(int(r.bottomRight.y * 128), expect[k][3]) << k;
        EXPECT_EQ(page->GetPixel(expect[k][0], expect[k][1])[0], k + 1);
    }

    // Five 500 x 500 images: four fill a 1024 page, the fifth gets a page
    // of 512 x 512; equal areas keep their order.
    for (int k = 0; k < 5; ++k)
        images.push_back(image(500, 500, uint8_t(10 + k)));
    std::unique_ptr<Puzzle::TexturePack> two(GameLogicData::BuildAtlas(images, "two", names));
    EXPECT_EQ(names, (std::vector<std::string>{"0", "1", "2", "3", "4"}));
    ASSERT_EQ(two->GetPages().size(), 2u);
    std::string key;
    for (uint32_t i = 0; i < 2; ++i) {
        TextureManager::MakeKey(key, true, "pack_two_" + std::to_string(i), "");
        EXPECT_EQ(two->GetPages()[i]->GetShader()->GetTexture(0, 0)->GetName(), key);
    }
    EXPECT_EQ(PageImage(two->GetPages()[0])->GetWidth(), 1024u);
    EXPECT_EQ(PageImage(two->GetPages()[1])->GetWidth(), 512u);
    EXPECT_EQ(PageImage(two->GetPages()[1])->GetHeight(), 512u);
    EXPECT_EQ(two->FindImage("4").user, two->GetPages()[1]);
    EXPECT_EQ(PageImage(two->GetPages()[1])->GetPixel(2, 2)[0], 14);

    // Names are looked up lower-cased; a missing one is fatal.
    two->AddImage("Big", 0, Vector2(0, 0), Vector2(1, 1));
    two->AddImage("small", 1, Vector2(0, 0), Vector2(1, 1));
    EXPECT_EQ(two->FindImage("SMALL").user, two->GetPages()[1]);
    try {
        two->FindImage("Big");
        ADD_FAILURE() << "found an image under its capital letters";
    } catch (const FatalError& e) {
        EXPECT_EQ(e.GetMessage(), "Texture pack \"two\" is not contain \"Big\" texture");
    }
    EXPECT_THROW(two->AddImage("x", 2, Vector2(), Vector2()), FatalError);

    try {
        GameLogicData::BuildAtlas(images, "none", names);
        ADD_FAILURE() << "packed nothing";
    } catch (const FatalError& e) {
        EXPECT_EQ(e.GetMessage(), "No items to pack");
    }
    images.push_back(image(1021, 8, 1));
    EXPECT_THROW(GameLogicData::BuildAtlas(images, "wide", names), FatalError);
    EXPECT_TRUE(images.empty());
    // One image a full page: the fifth finds no page left.
    for (int k = 0; k < 5; ++k)
        images.push_back(image(1000, 1000, uint8_t(k)));
    try {
        GameLogicData::BuildAtlas(images, "five", names);
        ADD_FAILURE() << "packed five full pages";
    } catch (const FatalError& e) {
        EXPECT_EQ(e.GetMessage(), "Texture pack \"five\": the images need more than 4 pages (1 left over)");
    }
    EXPECT_TRUE(images.empty());
    pack.reset();
    two.reset();
    ExpectAllReleased();
}

TEST_F(GameLogicDataTest, RunLengthCodeEdges)
{
    uint8_t out[200];
    const uint8_t copyOne[] = {0, 7};
    EXPECT_TRUE(GameLogicData::Decompress(copyOne, 2, out, 1));
    EXPECT_EQ(out[0], 7);
    std::vector<uint8_t> copy128(129, 5);
    copy128[0] = 127;
    EXPECT_TRUE(GameLogicData::Decompress(copy128.data(), 129, out, 128));
    const uint8_t twice[] = {128, 9}, many[] = {255, 4};
    EXPECT_TRUE(GameLogicData::Decompress(twice, 2, out, 2));
    EXPECT_TRUE(GameLogicData::Decompress(many, 2, out, 129));
    EXPECT_EQ(out[128], 4);
    EXPECT_FALSE(GameLogicData::Decompress(many, 2, out, 128));   // past the capacity
    EXPECT_FALSE(GameLogicData::Decompress(many, 2, out, 130));   // short
    EXPECT_FALSE(GameLogicData::Decompress(many, 1, out, 129));   // block ends inside the run
    EXPECT_FALSE(GameLogicData::Decompress(copy128.data(), 100, out, 128));
    EXPECT_TRUE(GameLogicData::Decompress(nullptr, 0, out, 0));

    // The writer's code decodes to what it was given, runs and literals mixed.
    std::vector<uint8_t> data;
    for (int i = 0; i < 3000; ++i)
        data.push_back(i % 700 < 300 ? uint8_t(i * 31 / 7) : (i % 700 < 650 ? 0 : 255));
    data.push_back(1);
    data.push_back(1);
    std::vector<uint8_t> block = ContentTools::RunLengthEncode(data), back(data.size());
    EXPECT_LT(block.size(), data.size());
    EXPECT_TRUE(GameLogicData::Decompress(block.data(), uint32_t(block.size()), back.data(), uint32_t(back.size())));
    EXPECT_EQ(back, data);
}

TEST_F(GameLogicDataTest, MalformedPuzzleFilesAreFatalAndNameTheFile)
{
    scene.PutJpeg("pic.jpg", 64, 48);
    scene.PutJpeg("wide.jpg", 1024, 40);
    scene.PutJpeg("huge.jpg", 1100, 40);
    scene.PutJpeg("big.jpg", 1024, 512);
    scene.PutText("colours.xml", "<puzzle/>");
    const PuzzleFile base = WavyCut(64, 48, 2, 2);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();

    struct Case {
        const char* name;
        std::function<void(PuzzleFile&)> change;
        const char* what;  // the text after "file format"
        const char* picture;
    };
    const std::vector<Case> cases = {
        {"no_pieces", [](PuzzleFile& f) { f.pieces.clear(); }, ": no pieces", "pic.jpg"},
        {"count_past_file", [](PuzzleFile& f) { f.storedPieceCount = 199; }, ": 199 pieces do not fit in the file", "pic.jpg"},
        {"count_huge", [](PuzzleFile& f) { f.storedPieceCount = 0xFFFFFFFEu; }, ": 4294967294 pieces do not fit in the file", "pic.jpg"},
        {"values_huge", [](PuzzleFile& f) { f.pieces[1].storedValueCount = 0x3FFFFFFFu; }, ": piece 1 has 1073741823 values", "pic.jpg"},
        {"shape_length_huge", [](PuzzleFile& f) { f.pieces[0].storedShapeLength = 0xFFFFFFF0u; }, ": piece 0's shape block is longer than the file", "pic.jpg"},
        {"shape_short", [](PuzzleFile& f) { f.pieces[2].shape.pop_back(); }, ": piece 2's shape does not decode to", "pic.jpg"},
        {"shape_long", [](PuzzleFile& f) { f.pieces[2].shape.push_back(0); }, ": piece 2's shape does not decode to", "pic.jpg"},
        {"shape_cut_run", [](PuzzleFile& f) {
             f.pieces[3].shape = ContentTools::RunLengthEncode(f.pieces[3].shape);
             f.pieces[3].shape.push_back(0x85);
             f.pieces[3].shapeIsCoded = true; }, ": piece 3's shape does not decode to", "pic.jpg"},
        {"shape_cut_literal", [](PuzzleFile& f) {
             f.pieces[3].shape = {0x05, 1, 2};
             f.pieces[3].shapeIsCoded = true; }, ": piece 3's shape does not decode to", "pic.jpg"},
        {"outline_length_huge", [](PuzzleFile& f) { f.storedOutlineLength = 0x7FFFFFFFu; }, ": the outline block is longer than the file", "pic.jpg"},
        {"outline_short", [](PuzzleFile& f) { f.outline.resize(64 * 47); }, ": the outline does not decode to 64 x 48 bytes", "pic.jpg"},
        {"outline_long", [](PuzzleFile& f) { f.outline.push_back(3); }, ": the outline does not decode to 64 x 48 bytes", "pic.jpg"},
        {"width_zero", [](PuzzleFile& f) { f.pieces[0].w = 0; }, ": piece 0 has no area", "pic.jpg"},
        {"height_negative", [](PuzzleFile& f) { f.pieces[1].h = -3; }, ": piece 1 has no area", "pic.jpg"},
        {"x_negative", [](PuzzleFile& f) { f.pieces[1].x = -1; }, ": piece 1 starts outside the picture", "pic.jpg"},
        {"y_negative", [](PuzzleFile& f) { f.pieces[2].y = -2000000000; }, ": piece 2 starts outside the picture", "pic.jpg"},
        {"past_right", [](PuzzleFile& f) { f.pieces[3].x += 1; }, ": piece 3 reaches past the picture", "pic.jpg"},
        {"past_top", [](PuzzleFile& f) { f.pieces[3].y = 0x7FFFFFF0; }, ": piece 3 reaches past the picture", "pic.jpg"},
        {"board_nan", [nan](PuzzleFile& f) { f.boardWidth = nan; }, ": the board is not a size within 1024 x 512", "pic.jpg"},
        {"board_inf", [inf](PuzzleFile& f) { f.boardHeight = inf; }, ": the board is not a size within 1024 x 512", "pic.jpg"},
        {"board_zero", [](PuzzleFile& f) { f.boardWidth = 0; }, ": the board is not a size within 1024 x 512", "pic.jpg"},
        {"board_negative", [](PuzzleFile& f) { f.boardHeight = -5; }, ": the board is not a size within 1024 x 512", "pic.jpg"},
        {"board_wide", [](PuzzleFile& f) { f.boardWidth = 1024.5f; }, ": the board is not a size within 1024 x 512", "pic.jpg"},
        {"board_tall", [](PuzzleFile& f) { f.boardHeight = 600; }, ": the board is not a size within 1024 x 512", "pic.jpg"},
        {"covered_over", [](PuzzleFile& f) {
             PuzzlePiece whole;
             whole.w = 64;
             whole.h = 48;
             whole.shape.assign(64 * 48 / 8, 0xFF);
             f.pieces.assign(9, whole); }, ": the pieces cover the picture more than 8 times", "pic.jpg"},
        {"footprint", [](PuzzleFile& f) {
             f.pieces.resize(1);
             f.pieces[0] = PuzzlePiece();
             f.pieces[0].w = 1022;
             f.pieces[0].h = 40;
             f.pieces[0].shape.assign(1022 * 40 / 8, 0xFF);
             f.outline.assign(1024 * 40, 0); }, ": piece 0 is too large for an atlas page", "wide.jpg"},
        // Within the coverage, but their footprints with the gap round each
        // fill more than the atlas may hold.
        {"atlas_full", [](PuzzleFile& f) {
             PuzzlePiece small;
             small.w = small.h = 10;
             small.shape.assign(13, 0xFF);
             f.pieces.assign(21500, small);
             f.outline.assign(1024 * 512, 0); }, ": the pieces need more than 4 atlas pages of 1024 x 1024", "big.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PuzzleFile f = base;
        c.change(f);
        const std::string name = std::string(c.name) + ".pzf";
        scene.PutPuzzle(name, f);
        std::unique_ptr<GameLogicData> d = Data(c.picture, name);
        const std::string expected = "Incorrect \"" + scene.DataPath(name) + "\" file format" + c.what;
        try {
            d->LoadAll();
            ADD_FAILURE() << "loaded";
        } catch (const FatalError& e) {
            EXPECT_EQ(e.GetMessage().substr(0, expected.size()), expected);
            EXPECT_TRUE(scene.LoggedFatal(e.GetMessage()));
        }
        EXPECT_EQ(d->GetTexturePack(), nullptr);
    }

    // Refused by the container, or by the picture, with their own texts.
    std::vector<uint8_t> good = ContentTools::WritePuzzleFile(base);
    // Cut inside the outline's length field, the header's length made to match.
    const size_t outlineAt = good.size() - ContentTools::RunLengthEncode(base.outline).size() - 4;
    std::vector<uint8_t> magic = good, version = good, length = good, cut(good.begin(), good.begin() + outlineAt + 2);
    magic[6] = 'X';
    version[9] = 101;
    length.push_back(0);
    ContentTools::ByteWriter header;
    header.U32(uint32_t(cut.size()));
    std::memcpy(cut.data(), header.Data().data(), 4);
    scene.PutFile("magic.pzf", magic);
    scene.PutFile("version.pzf", version);
    scene.PutFile("length.pzf", length);
    scene.PutFile("cut.pzf", cut);
    scene.PutPuzzle("good.pzf", base);
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"magic.pzf", "Incorrect \"" + scene.DataPath("magic.pzf") + "\" file format"},
        {"version.pzf", "Incorrect \"" + scene.DataPath("version.pzf") + "\" format version (101), current is 100"},
        {"length.pzf", "Incorrect \"" + scene.DataPath("length.pzf") + "\" file format"},
        {"cut.pzf", "Failed to read 4 bytes from \""},
        {"missing.pzf", "missing.pzf"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.first);
        std::unique_ptr<GameLogicData> d = Data("pic.jpg", r.first);
        try {
            d->LoadAll();
            ADD_FAILURE() << "loaded";
        } catch (const FatalError& e) {
            EXPECT_NE(e.GetMessage().find(r.second), std::string::npos) << e.GetMessage();
            EXPECT_TRUE(scene.LoggedFatal(e.GetMessage()));
        }
    }
    for (const char* picture : {"none.jpg", "huge.jpg"}) {
        std::unique_ptr<GameLogicData> d = Data(picture, "good.pzf");
        const std::string expected = std::string(picture) == "none.jpg"
                                         ? "Failed to open \"" + scene.DataPath(picture) + "\" image!"
                                         : "Incorrect \"" + scene.DataPath(picture) +
                                               "\" file format: the picture is 1100 x 40, more than 1024 x 512";
        try {
            d->LoadAll();
            ADD_FAILURE() << "loaded " << picture;
        } catch (const FatalError& e) {
            EXPECT_EQ(e.GetMessage(), expected);
        }
    }
    ExpectAllReleased();
}

TEST_F(GameLogicDataTest, ABadColoursFileLeavesTheColoursWhite)
{
    scene.PutJpeg("pic.jpg", 64, 48);
    scene.PutPuzzle("p.pzf", WavyCut(64, 48, 2, 2));
    scene.PutText("broken.xml", "<puzzle><background_color>10 20 30</background_color>\r\n<puzzle_color>1 2 3</tip_color></puzzle>");
    scene.PutText("partial.xml", "<puzzle><tip_color>510 -20 51</tip_color></puzzle>");
    for (const char* colours : {"absent.xml", "broken.xml", "partial.xml"}) {
        SCOPED_TRACE(colours);
        scene.log->ClearHistory();
        std::unique_ptr<GameLogicData> d = Data("pic.jpg", "p.pzf", colours);
        d->LoadAll();
        ASSERT_TRUE(d->IsLoaded());
        const bool partial = std::string(colours) == "partial.xml";
        EXPECT_EQ(scene.LoggedError(scene.DataPath(colours)), !partial);
        const Color& bg = d->GetBackgroundColor();
        EXPECT_EQ(bg.r + bg.g + bg.b + bg.a, 4.0f);
        // Out-of-range values are held to 0..1 instead of wrapping round.
        const Color& tip = d->GetTipColor();
        EXPECT_EQ(tip.r, 1.0f);
        EXPECT_EQ(tip.g, partial ? 0.0f : 1.0f);
        EXPECT_NEAR(tip.b, partial ? 0.2f : 1.0f, 1e-6);
    }
    ExpectAllReleased();
}

TEST_F(GameLogicDataTest, PieceWidgetsShowTheirPiecesTheRightWayUp)
{
    // Quadrants of four colours, cut along them: a piece drawn upside down
    // or mirrored shows another quadrant's colour.
    const uint32_t w = 200, h = 150;
    std::vector<uint8_t> px(size_t(w) * h * 3);
    const uint8_t colours[4][3] = {{220, 40, 40}, {40, 200, 60}, {40, 60, 220}, {230, 210, 40}};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            std::memcpy(&px[(size_t(y) * w + x) * 3], colours[(y >= h / 2) * 2 + (x >= w / 2)], 3);
    ContentTools::JpegOptions sharp;
    sharp.fullColour = true;
    sharp.quality = 95;
    scene.PutFile("quadrants.jpg", ContentTools::WriteJpeg(px.data(), w, h, 3, sharp));
    const PuzzleFile file = WavyCut(int(w), int(h), 2, 2);
    scene.PutPuzzle("q.pzf", file);
    scene.PutText("colours.xml", "<puzzle/>");
    Image picture;
    Picture("quadrants.jpg", picture);

    std::unique_ptr<GUIManager> gui(new GUIManager);
    gui->SetScreenSize(800, 600);
    std::unique_ptr<GameLogicData> d = Data("quadrants.jpg", "q.pzf");
    d->LoadAll();
    const Puzzle::TexturePack& pack = *d->GetTexturePack();

    // Each piece in its place on a board at (60, 54); coloured and plain widgets alike.
    std::vector<GUIWindow*> pieces;
    for (uint32_t p = 0; p < d->GetTotal(); ++p) {
        const Vector2 at = Vector2(60, 54) + Vector2(float(d->GetPositions()[p].x), float(d->GetPositions()[p].y));
        const uint32_t flags = GUIWindow::kShown | (p % 2 ? GUIWindow::kColored : 0);
        GUIWindow* widget = pack.CreateWindow(d->GetImageNames()[p], flags, at, d->GetSizes()[p], nullptr);
        ASSERT_NE(widget, nullptr);
        pieces.push_back(widget);
        // The quad's corners sit on the image's rectangle.
        const Puzzle::TexturePack::ImageRecord& r = pack.FindImage(d->GetImageNames()[p]);
        VertexBuffer* vb = widget->GetModel()->GetVertexBuffer();
        for (uint32_t i = 0; i < vb->vertexCount; ++i) {
            float u, v;
            if (flags & GUIWindow::kColored) {
                const ColoredVertex& cv = vb->LockColoredVertices(0, vb->vertexCount)[i];
                u = cv.u;
                v = cv.v;
            } else {
                const Vertex& pv = vb->LockVertices(0, vb->vertexCount)[i];
                u = pv.u;
                v = pv.v;
            }
            vb->Unlock();
            EXPECT_TRUE(u == r.topLeft.x || u == r.bottomRight.x) << u;
            EXPECT_TRUE(v == r.topLeft.y || v == r.bottomRight.y) << v;
        }
    }
    gui->Render();
    scene.ResourceFrame();
    const Image& shot = scene.Screenshot();
    const float sx = float(scene.window->GetWidth()) / 800, sy = float(scene.window->GetHeight()) / 600;
    int checked = 0;
    for (uint32_t y = 8; y < h; y += 16)
        for (uint32_t x = 8; x < w; x += 16) {
            // Away from the cuts and the quadrant edges.
            if (std::abs(int(x) - int(w / 2)) < 14 || std::abs(int(y) - int(h / 2)) < 14)
                continue;
            const uint8_t* s = picture.GetPixel(x, y);
            const uint32_t wx = uint32_t((60 + x + 0.5f) * sx), wy = uint32_t((600 - (54 + y + 0.5f)) * sy);
            // The device may keep textures in fewer bits and dither them.
            EXPECT_TRUE(RenderTest::PixelNear(shot, wx, wy, s[0], s[1], s[2], 40)) << "picture pixel " << x << ", " << y;
            ++checked;
        }
    EXPECT_GT(checked, 40);

    EXPECT_THROW(pack.CreateWindow("Missing", 1, Vector2(), Vector2(1, 1), nullptr), FatalError);
    for (GUIWindow* widget : pieces)
        gui->DestroyWindow(widget);
    EXPECT_EQ(gui->GetWindows().size() - std::count(gui->GetWindows().begin(), gui->GetWindows().end(), nullptr),
              gui->GetBorders().size());
    d.reset();
    gui.reset();
    ExpectAllReleased();
}
