#pragma once
// Shared by the puzzle-data tests: the engine's scene services on a real
// device, puzzle files cut from a label map, and the checks every loaded
// puzzle must pass (its pieces tile the picture, pick points lie inside,
// each atlas rectangle shows exactly its piece).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// First: it brings in the Win32 headers, whose macros must rename alike everywhere.
#include "engine/render/ResourceTestSupport.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/Image.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureImage.h"
#include "engine/render/VertexBuffer.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"
#include "puzzle/logic/GameLogicData.h"
#include "puzzle/logic/TexturePack.h"
#include "tools/formats/ByteWriter.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/PuzzleFileWriter.h"

namespace PuzzleTest {

using namespace KorvaneEngine;
using ContentTools::PuzzleFile;
using ContentTools::PuzzlePiece;

// Pieces from a map of labels 0..n-1 (row 0 = the picture's bottom line):
// each piece is its label's bounding box and pixels; the outline is 255
// wherever a pixel's right or upper neighbour has another label.
inline PuzzleFile CutFromLabels(const std::vector<int>& labels, int w, int h, int n)
{
    PuzzleFile f;
    f.boardWidth = float(w);
    f.boardHeight = float(h);
    std::vector<int> x0(n, w), y0(n, h), x1(n, -1), y1(n, -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int l = labels[size_t(y) * w + x];
            x0[l] = std::min(x0[l], x);
            y0[l] = std::min(y0[l], y);
            x1[l] = std::max(x1[l], x);
            y1[l] = std::max(y1[l], y);
        }
    for (int l = 0; l < n; ++l) {
        PuzzlePiece p;
        p.x = x0[l];
        p.y = y0[l];
        p.w = x1[l] - x0[l] + 1;
        p.h = y1[l] - y0[l] + 1;
        p.values.push_back(uint32_t(l));
        p.values.push_back(7u);
        std::vector<uint8_t> flags(size_t(p.w) * p.h, 0);
        for (int j = 0; j < p.h; ++j)
            for (int i = 0; i < p.w; ++i)
                flags[size_t(j) * p.w + i] = labels[size_t(p.y + j) * w + p.x + i] == l;
        p.shape = ContentTools::PackShapeBits(flags);
        f.pieces.push_back(p);
    }
    f.outline.assign(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int l = labels[size_t(y) * w + x];
            if ((x + 1 < w && labels[size_t(y) * w + x + 1] != l) || (y + 1 < h && labels[size_t(y + 1) * w + x] != l))
                f.outline[size_t(y) * w + x] = 255;
            else if ((x + y) % 5 == 0)
                f.outline[size_t(y) * w + x] = 40;  // some faint values too, so alpha is checked, not just 0/255
        }
    return f;
}

// A cols x rows cut whose edges wave, so shapes are not rectangles.
inline PuzzleFile WavyCut(int w, int h, int cols, int rows)
{
    std::vector<int> labels(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float fx = x + 4.0f * std::sin(y * 0.21f);
            float fy = y + 4.0f * std::sin(x * 0.17f);
            int c = std::min(cols - 1, std::max(0, int(fx * cols / w)));
            int r = std::min(rows - 1, std::max(0, int(fy * rows / h)));
            labels[size_t(y) * w + x] = r * cols + c;
        }
    return CutFromLabels(labels, w, h, cols * rows);
}

// A colourful picture, top row first (the JPEG writer's order).
inline std::vector<uint8_t> TestPicture(uint32_t w, uint32_t h)
{
    std::vector<uint8_t> px(size_t(w) * h * 3);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 3];
            p[0] = uint8_t(40 + (x * 200) / w);
            p[1] = uint8_t(30 + (y * 190) / h);
            p[2] = uint8_t(((x / 16 + y / 16) % 2) ? 200 : 60);
        }
    return px;
}

struct PuzzleScene : ResourceTest::ResourceScene {
    void PutJpeg(const std::string& name, uint32_t w, uint32_t h)
    {
        std::vector<uint8_t> px = TestPicture(w, h);
        PutFile(name, ContentTools::WriteJpeg(px.data(), w, h, 3));
    }
    void PutPuzzle(const std::string& name, const PuzzleFile& f) { PutFile(name, ContentTools::WritePuzzleFile(f)); }
    void PutText(const std::string& name, const std::string& text)
    {
        PutFile(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    // A name as the game passes it: under the program folder.
    std::string DataPath(const std::string& name) const { return "data\\" + Path(name); }

    bool LoggedFatal(const std::string& part) const
    {
        for (int i = 0; i < log->GetHistorySize(); ++i)
            if (log->GetHistoryRecord(i)->level == 4 && log->GetHistoryRecord(i)->text.find(part) != std::string::npos)
                return true;
        return false;
    }
    bool LoggedError(const std::string& part) const
    {
        for (int i = 0; i < log->GetHistorySize(); ++i)
            if (log->GetHistoryRecord(i)->level == 3 && log->GetHistoryRecord(i)->text.find(part) != std::string::npos)
                return true;
        return false;
    }
};

// The page picture a shader user draws.
inline const Image* PageImage(ShaderUser* user)
{
    if (!user || !user->GetShader())
        return nullptr;
    Texture2D* t = user->GetShader()->GetTexture(0, 0);
    return t && t->GetImage() ? t->GetImage()->GetDiffuse() : nullptr;
}

// Everything a loaded puzzle must hold against the file it came from and
// the picture as the engine reads it.
inline void CheckLoadedPuzzle(const Puzzle::GameLogicData& data, const PuzzleFile& file, const Image& picture)
{
    const uint32_t n = static_cast<uint32_t>(file.pieces.size());
    ASSERT_EQ(data.GetTotal(), n);
    ASSERT_EQ(data.GetImageNames().size(), n);
    ASSERT_EQ(data.GetPickPoints().size(), n);
    ASSERT_NE(data.GetTexturePack(), nullptr);
    EXPECT_EQ(data.GetBoardSize().x, file.boardWidth);
    EXPECT_EQ(data.GetBoardSize().y, file.boardHeight);
    const uint32_t W = picture.GetWidth(), H = picture.GetHeight();
    ASSERT_EQ(file.outline.size(), size_t(W) * H);

    std::vector<uint8_t> cover(size_t(W) * H, 0);
    std::vector<std::string> names;
    for (uint32_t p = 0; p < n; ++p) {
        SCOPED_TRACE("piece " + std::to_string(p));
        const PuzzlePiece& fp = file.pieces[p];
        EXPECT_EQ(data.GetPositions()[p], Vector2i(fp.x, fp.y));
        EXPECT_EQ(data.GetPixelSizes()[p], Vector2i(fp.w, fp.h));
        EXPECT_FLOAT_EQ(data.GetCentres()[p].x, fp.x + fp.w * 0.5f);
        EXPECT_FLOAT_EQ(data.GetCentres()[p].y, fp.y + fp.h * 0.5f);
        EXPECT_EQ(data.GetValues()[p], fp.values);
        ASSERT_EQ(fp.shape.size(), (size_t(fp.w) * fp.h + 7) / 8);
        auto inside = [&](int i, int j) { return (fp.shape[(size_t(j) * fp.w + i) / 8] >> ((size_t(j) * fp.w + i) % 8)) & 1; };
        for (int j = 0; j < fp.h; ++j)
            for (int i = 0; i < fp.w; ++i)
                if (inside(i, j))
                    ++cover[size_t(fp.y + j) * W + fp.x + i];

        // Pick points: exactly the set pixels of the 3-pixel grid, columns outside.
        std::vector<Vector2> expected;
        for (int i = 0; i < fp.w; i += 3)
            for (int j = 0; j < fp.h; j += 3)
                if (inside(i, j))
                    expected.push_back(Vector2(float(fp.x + i), float(fp.y + j)));
        const std::vector<Vector2>& points = data.GetPickPoints()[p];
        ASSERT_EQ(points.size(), expected.size());
        EXPECT_FALSE(points.empty());
        for (size_t k = 0; k < points.size(); ++k)
            ASSERT_TRUE(points[k].x == expected[k].x && points[k].y == expected[k].y) << "point " << k;

        // The atlas rectangle: the picture where the bit is set, alpha
        // 255 - outline there, nothing elsewhere, and an empty gap round it.
        const std::string& name = data.GetImageNames()[p];
        names.push_back(name);
        const Puzzle::TexturePack::ImageRecord& rec = data.GetTexturePack()->FindImage(name);
        const Image* page = PageImage(rec.user);
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->GetBits(), 32u);
        const float PW = float(page->GetWidth()), PH = float(page->GetHeight());
        const int px = int(std::lround(rec.topLeft.x * PW)), py = int(std::lround(rec.topLeft.y * PH));
        EXPECT_EQ(int(std::lround(rec.bottomRight.x * PW)) - px, fp.w);
        EXPECT_EQ(int(std::lround(rec.bottomRight.y * PH)) - py, fp.h);
        ASSERT_GE(px, 2);
        ASSERT_GE(py, 2);
        ASSERT_LE(px + fp.w + 2, int(page->GetWidth()));
        ASSERT_LE(py + fp.h + 2, int(page->GetHeight()));
        int wrong = 0;
        for (int j = -2; j < fp.h + 2; ++j)
            for (int i = -2; i < fp.w + 2; ++i) {
                const uint8_t* a = page->GetPixel(px + i, py + j);
                const bool in = i >= 0 && j >= 0 && i < fp.w && j < fp.h && inside(i, j);
                if (in) {
                    const uint8_t* s = picture.GetPixel(fp.x + i, fp.y + j);
                    const uint8_t alpha = uint8_t(255 - file.outline[size_t(fp.y + j) * W + fp.x + i]);
                    wrong += a[0] != s[0] || a[1] != s[1] || a[2] != s[2] || a[3] != alpha;
                } else {
                    wrong += a[0] || a[1] || a[2] || a[3];
                }
            }
        EXPECT_EQ(wrong, 0);
    }
    // Every picture pixel belongs to exactly one piece.
    size_t holes = 0, doubles = 0;
    for (uint8_t c : cover) {
        holes += c == 0;
        doubles += c > 1;
    }
    EXPECT_EQ(holes, 0u);
    EXPECT_EQ(doubles, 0u);
    // Names are the places in the area order: 0 .. n-1, each once.
    std::sort(names.begin(), names.end());
    std::vector<std::string> decimal;
    for (uint32_t i = 0; i < n; ++i)
        decimal.push_back(UnsignedToString(i));
    std::sort(decimal.begin(), decimal.end());
    EXPECT_EQ(names, decimal);
}

} // namespace PuzzleTest
