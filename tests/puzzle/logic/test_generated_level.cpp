// The shipped puzzle content, as the generator's own run wrote it (the
// level_content fixture, packed as the game reads it): every picture and cut
// of the catalogue is there, is the same as a fresh run, cuts real jigsaw
// pieces that tile the picture, and loads on a real device into the pieces,
// pick points and atlas the level plays with.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "PuzzleTestSupport.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLQuery.h"
#include "engine/foundation/XMLValue.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/JigsawCut.h"

using namespace KorvaneEngine;
using namespace PuzzleTest;
using Puzzle::GameLogicData;
namespace Catalogue = Content::Catalogue;

namespace {

const int kW = Catalogue::kPictureWidth, kH = Catalogue::kPictureHeight;

std::string Two(int n) { return UnsignedToString(uint32_t(n), 2); }
std::string PicturePath(int t, int p) { return std::string("data\\themes\\") + Catalogue::kThemes[t].folder + "\\" + Two(p); }
std::string PuzzlePath(int p, int s) { return "data\\puzzles\\" + Two(p) + "\\puzzle_" + Two(s) + ".pzf"; }

// Where the fixture wrote the program's data folder.
std::string ContentRoot() { return GetExecutableDirectory() + "\\level_content"; }

std::vector<uint8_t> ReadAll(FileManager& files, const std::string& name)
{
    std::unique_ptr<FileBinary> f(files.OpenFile(name, false, 0));
    std::vector<uint8_t> bytes(f->GetSize());
    if (!bytes.empty())
        f->Read(bytes.data(), uint32_t(bytes.size()));
    return bytes;
}

bool HasMarker(const std::vector<uint8_t>& b, uint8_t marker)
{
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == marker)
            return true;
    return false;
}

// The three colours of a picture's colours file, 0..255.
std::vector<Vector3> Colours(const std::string& path)
{
    GameTools::XMLNode root;
    GameTools::XMLParser().ParseFile(&root, path);
    std::vector<Vector3> out;
    for (const char* name : {"puzzle/background_color", "puzzle/puzzle_color", "puzzle/tip_color"}) {
        GameTools::XMLValue* v = GameTools::FindXMLValue(&root, name);
        out.push_back(v ? v->GetVector3() : Vector3(-1, -1, -1));
    }
    return out;
}

class GeneratedContent : public ::testing::Test {
protected:
    void SetUp() override
    {
        log.reset(new MessageManager("test", false, false, "", ""));
        files.reset(new FileManager(ContentRoot(), true, "data", 0));
        ASSERT_EQ(files->GetPackCount(), 1u) << "the level_content fixture did not write " << ContentRoot();
    }
    std::unique_ptr<MessageManager> log;
    std::unique_ptr<FileManager> files;
};

} // namespace

TEST_F(GeneratedContent, EveryFileOfTheCatalogueIsThereAndTheSameAsAFreshRun)
{
    Content::ContentSet set;
    const auto start = std::chrono::steady_clock::now();
    Content::Generate(set, Content::Options());
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ figures  ] whole content generated in memory in %.0f ms\n", ms);

    auto same = [&](const std::string& path) {
        const std::vector<uint8_t>* fresh = set.Find(path);
        EXPECT_NE(fresh, nullptr) << path;
        std::vector<uint8_t> shipped = ReadAll(*files, path);
        EXPECT_TRUE(fresh && *fresh == shipped) << path << " differs from a fresh run";
        return shipped;
    };
    for (int t = 0; t < Catalogue::kThemeCount; ++t)
        for (int p = 0; p < Catalogue::kThemes[t].pictures; ++p) {
            SCOPED_TRACE(PicturePath(t, p));
            const std::string base = PicturePath(t, p);
            std::vector<uint8_t> jpeg = same(base + ".jpg");
            std::vector<uint8_t> preview = same(base + "_preview.jpg");
            same(base + ".xml");
            EXPECT_TRUE(HasMarker(jpeg, 0xC0) && !HasMarker(jpeg, 0xC2)) << "not a baseline JPEG";
            EXPECT_TRUE(HasMarker(preview, 0xC0) && !HasMarker(preview, 0xC2));
            Image picture, small;
            ASSERT_TRUE(picture.Load(base + ".jpg", false));
            EXPECT_EQ(picture.GetWidth(), uint32_t(kW));
            EXPECT_EQ(picture.GetHeight(), uint32_t(kH));
            EXPECT_EQ(picture.GetBits(), 24u);
            ASSERT_TRUE(small.Load(base + "_preview.jpg", false));
            EXPECT_TRUE(IsPowerOfTwo(small.GetWidth()) && IsPowerOfTwo(small.GetHeight()));
            for (const Vector3& c : Colours(base + ".xml"))
                for (int k = 0; k < 3; ++k)
                    EXPECT_TRUE(c[k] >= 0 && c[k] <= 255 && c[k] == std::floor(c[k])) << c[k];
        }
    for (int p = 0; p < Catalogue::kPuzzleCount; ++p) {
        same("data\\puzzles\\" + Two(p) + "\\preview.jpg");
        for (int s = 0; s < Catalogue::kSizeCount; ++s) {
            SCOPED_TRACE(PuzzlePath(p, s));
            PuzzleFile f;
            ASSERT_TRUE(ContentTools::ParsePuzzleFile(same(PuzzlePath(p, s)), f));
            EXPECT_EQ(f.version, 100u);
            EXPECT_EQ(f.pieces.size(), size_t(Catalogue::kPieceCounts[s]));
            EXPECT_EQ(f.boardWidth, float(kW));
            EXPECT_EQ(f.boardHeight, float(kH));
            for (const PuzzlePiece& piece : f.pieces)
                EXPECT_TRUE(piece.values.empty());
        }
    }
    // A new player plays puzzle size 00; every puzzle has its own cut.
    EXPECT_TRUE(files->FileExists(PuzzlePath(0, 0)));
    EXPECT_NE(ReadAll(*files, PuzzlePath(0, 1)), ReadAll(*files, PuzzlePath(1, 1)));
    EXPECT_NE(ReadAll(*files, PuzzlePath(1, 2)), ReadAll(*files, PuzzlePath(2, 2)));
}

TEST_F(GeneratedContent, CutsAreJigsawsThatTileThePicture)
{
    for (int p = 0; p < Catalogue::kPuzzleCount; ++p)
        for (int s = 0; s < Catalogue::kSizeCount; ++s) {
            SCOPED_TRACE(PuzzlePath(p, s));
            PuzzleFile f;
            ASSERT_TRUE(ContentTools::ParsePuzzleFile(ReadAll(*files, PuzzlePath(p, s)), f));
            ASSERT_EQ(f.outline.size(), size_t(kW) * kH);
            const int n = int(f.pieces.size());
            std::vector<int> label(size_t(kW) * kH, -1);
            int overlaps = 0;
            for (int l = 0; l < n; ++l) {
                const PuzzlePiece& q = f.pieces[l];
                ASSERT_TRUE(q.x >= 0 && q.y >= 0 && q.x + q.w <= kW && q.y + q.h <= kH);
                for (int j = 0; j < q.h; ++j)
                    for (int i = 0; i < q.w; ++i) {
                        const size_t k = size_t(j) * q.w + i;
                        if ((q.shape[k / 8] >> (k % 8)) & 1) {
                            int& at = label[size_t(q.y + j) * kW + q.x + i];
                            overlaps += at >= 0;
                            at = l;
                        }
                    }
            }
            ASSERT_EQ(overlaps, 0);
            ASSERT_EQ(std::count(label.begin(), label.end(), -1), 0);

            // Each piece is one connected region.
            std::vector<uint8_t> seen(label.size(), 0);
            for (int l = 0; l < n; ++l) {
                const PuzzlePiece& q = f.pieces[l];
                size_t start = 0, size = 0, reached = 0;
                for (int j = 0; j < q.h && !size; ++j)
                    for (int i = 0; i < q.w; ++i)
                        if (label[size_t(q.y + j) * kW + q.x + i] == l) {
                            start = size_t(q.y + j) * kW + q.x + i;
                            size = 1;
                            break;
                        }
                size = std::count(label.begin(), label.end(), l);
                std::vector<size_t> stack = {start};
                seen[start] = 1;
                while (!stack.empty()) {
                    const size_t at = stack.back();
                    stack.pop_back();
                    ++reached;
                    const int x = int(at % kW), y = int(at / kW);
                    const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
                    for (int k = 0; k < 4; ++k)
                        if (nx[k] >= 0 && ny[k] >= 0 && nx[k] < kW && ny[k] < kH) {
                            const size_t to = size_t(ny[k]) * kW + nx[k];
                            if (!seen[to] && label[to] == l) {
                                seen[to] = 1;
                                stack.push_back(to);
                            }
                        }
                }
                EXPECT_EQ(reached, size) << "piece " << l << " falls apart";
            }

            // Every inner edge carries a tab: one neighbour's box reaches well
            // into the other's.
            int cols, rows;
            Content::JigsawCut::GridFor(n, kW, kH, cols, rows);
            ASSERT_EQ(cols * rows, n);
            const int reach = int(0.2f * std::min(kW / cols, kH / rows));
            int flat = 0;
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    const PuzzlePiece& a = f.pieces[r * cols + c];
                    if (c + 1 < cols) {
                        const PuzzlePiece& b = f.pieces[r * cols + c + 1];
                        flat += a.x + a.w - b.x < reach;
                    }
                    if (r + 1 < rows) {
                        const PuzzlePiece& b = f.pieces[(r + 1) * cols + c];
                        flat += a.y + a.h - b.y < reach;
                    }
                }
            EXPECT_EQ(flat, 0);

            // The outline: strong on the nearer pixel of every pair the cut
            // runs between, nothing away from the cuts, soft values between.
            int weak = 0, stray = 0, soft = 0;
            std::vector<int> distance(label.size(), 99);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const size_t at = size_t(y) * kW + x;
                    for (size_t other : {at + 1, at + kW}) {
                        if ((other == at + 1 && x + 1 >= kW) || (other == at + kW && y + 1 >= kH) ||
                            label[other] == label[at])
                            continue;
                        weak += std::max(f.outline[at], f.outline[other]) < 200;
                        for (int v = std::max(0, y - 3); v <= std::min(kH - 1, y + 3); ++v)
                            for (int u = std::max(0, x - 3); u <= std::min(kW - 1, x + 3); ++u)
                                distance[size_t(v) * kW + u] = std::min(distance[size_t(v) * kW + u],
                                                                        std::max(std::abs(u - x), std::abs(v - y)));
                    }
                }
            for (size_t k = 0; k < label.size(); ++k) {
                const int o = f.outline[k];
                stray += distance[k] > 2 && o != 0;
                soft += o > 0 && o < 255;
            }
            EXPECT_EQ(weak, 0);
            EXPECT_EQ(stray, 0);
            EXPECT_GT(soft, 1000);
        }
}

namespace {

class GeneratedLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.StartResources(TestSupport::ExecutableName());
        // The game's own data folder, packed.
        scene.files.reset(new FileManager(ContentRoot(), true, "data", 16777216));
        FileManager::Instance(scene.files.get());
        ASSERT_EQ(scene.files->GetPackCount(), 1u);
    }
    void TearDown() override { scene.StopResources(); }

    std::unique_ptr<GameLogicData> Load(int theme, int picture, int puzzle, int size, bool steps, double* ms)
    {
        std::unique_ptr<GameLogicData> d(new GameLogicData("english", nullptr, nullptr));
        d->picturePath = PicturePath(theme, picture) + ".jpg";
        d->colorsPath = PicturePath(theme, picture) + ".xml";
        d->puzzlePath = PuzzlePath(puzzle, size);
        const auto start = std::chrono::steady_clock::now();
        if (steps) {
            while (d->step < d->extraSteps + 101)
                d->LoadNextStep();
        } else {
            d->LoadAll();
        }
        *ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        return d;
    }

    PuzzleScene scene;
};

} // namespace

TEST_F(GeneratedLevel, EveryPuzzleLoadsWithItsPictureAllAtOnceAndStepByStep)
{
    const uint32_t users = scene.shaders->GetUserCount();
    const uint32_t textures = scene.shaders->GetTextureManager()->GetTextureCount();
    std::vector<std::pair<int, int>> pictures;
    for (int t = 0; t < Catalogue::kThemeCount; ++t)
        for (int p = 0; p < Catalogue::kThemes[t].pictures; ++p)
            pictures.push_back({t, p});
    int k = 0;
    for (int puzzle = 0; puzzle < Catalogue::kPuzzleCount; ++puzzle)
        for (int size = 0; size < Catalogue::kSizeCount; ++size)
            for (bool steps : {false, true}) {
                const auto pic = pictures[size_t(k++) % pictures.size()];
                SCOPED_TRACE(PuzzlePath(puzzle, size) + " with " + PicturePath(pic.first, pic.second) +
                             (steps ? " step by step" : " all at once"));
                double ms = 0;
                std::unique_ptr<GameLogicData> d = Load(pic.first, pic.second, puzzle, size, steps, &ms);
                ASSERT_TRUE(d->IsLoaded());
                // The first two loads of the process.
                if (k <= 2) {
                    EXPECT_EQ(d->GetTexturePack()->GetName(), "puzzle_elements_" + std::to_string(k - 1));
                }
                PuzzleFile f;
                ASSERT_TRUE(ContentTools::ParsePuzzleFile(ReadAll(*scene.files, d->puzzlePath), f));
                Image picture;
                ASSERT_TRUE(picture.Load(d->picturePath, true));
                CheckLoadedPuzzle(*d, f, picture);
                const std::vector<Vector3> c = Colours(d->colorsPath);
                EXPECT_NEAR(d->GetBackgroundColor().r, c[0].x / 255, 1e-6);
                EXPECT_NEAR(d->GetPuzzleColor().g, c[1].y / 255, 1e-6);
                EXPECT_NEAR(d->GetTipColor().b, c[2].z / 255, 1e-6);
                if (!steps) {
                    std::string pages;
                    for (ShaderUser* u : d->GetTexturePack()->GetPages())
                        pages += " " + std::to_string(PageImage(u)->GetWidth()) + "x" +
                                 std::to_string(PageImage(u)->GetHeight());
                    std::printf("[ figures  ] %d pieces: loaded in %.0f ms, atlas pages%s\n",
                                int(d->GetTotal()), ms, pages.c_str());
                }
            }
    EXPECT_EQ(scene.shaders->GetUserCount(), users);
    EXPECT_EQ(scene.shaders->GetTextureManager()->GetTextureCount(), textures);
}
