// The content JPEG writer: what it writes is read back by the engine's own
// picture reader the right way up, is baseline, and is the same bytes every time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/render/Image.h"
#include "support/TestSupport.h"
#include "tools/formats/JpegWriter.h"

using ContentTools::JpegOptions;
using ContentTools::WriteJpeg;

namespace {

// Quadrants of distinct flat colours plus a soft gradient, so an upside-down
// or mirrored decode and lost colour are both visible.
std::vector<uint8_t> Quadrants(uint32_t w, uint32_t h, uint32_t channels)
{
    const uint8_t colours[4][3] = {{220, 30, 30}, {30, 200, 40}, {40, 50, 210}, {230, 220, 40}};
    std::vector<uint8_t> px(size_t(w) * h * channels);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* c = colours[(y >= h / 2) * 2 + (x >= w / 2)];
            uint8_t* p = &px[(size_t(y) * w + x) * channels];
            if (channels == 1)
                p[0] = uint8_t((c[0] + c[1] + c[2]) / 3);
            else
                for (int k = 0; k < 3; ++k)
                    p[k] = c[k];
        }
    return px;
}

class JpegWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log_ = std::make_unique<KorvaneEngine::MessageManager>("test", false, false, "", "");
        dir_ = TestSupport::MakeTempDir(TestSupport::ExecutableName() + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
        files_ = std::make_unique<KorvaneEngine::FileManager>(dir_, false, "data", 0);
    }
    void TearDown() override
    {
        files_.reset();
        log_.reset();
        TestSupport::RemoveTree(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

    std::unique_ptr<KorvaneEngine::MessageManager> log_;
    std::unique_ptr<KorvaneEngine::FileManager> files_;
    std::string dir_;
};

bool HasMarker(const std::vector<uint8_t>& b, uint8_t marker)
{
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == marker)
            return true;
    return false;
}

} // namespace

TEST_F(JpegWriterTest, EngineReadsItBackTheRightWayUp)
{
    const uint32_t w = 96, h = 64;
    for (uint32_t channels : {3u, 1u})
        for (bool full : {false, true}) {
            SCOPED_TRACE(std::to_string(channels) + (full ? " full colour" : " halved colour"));
            std::vector<uint8_t> px = Quadrants(w, h, channels);
            JpegOptions o;
            o.fullColour = full;
            std::string path = Path("q.jpg");
            ASSERT_TRUE(ContentTools::SaveJpeg(path, px.data(), w, h, channels, o));
            EXPECT_EQ(TestSupport::ReadFileBytes(path), WriteJpeg(px.data(), w, h, channels, o));

            KorvaneEngine::Image img;
            ASSERT_TRUE(img.Load(path, true));
            ASSERT_EQ(img.GetWidth(), w);
            ASSERT_EQ(img.GetHeight(), h);
            ASSERT_EQ(img.GetBits(), 8 * channels);
            // Away from the quadrant edges every pixel is close to its source;
            // the engine's row 0 is the file's last line.
            int worst = 0;
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) {
                    if ((x > w / 2 - 10 && x < w / 2 + 10) || (y > h / 2 - 10 && y < h / 2 + 10))
                        continue;
                    const uint8_t* a = img.GetPixel(x, h - 1 - y);
                    const uint8_t* b = &px[(size_t(y) * w + x) * channels];
                    for (uint32_t k = 0; k < channels; ++k)
                        worst = std::max(worst, std::abs(int(a[k]) - int(b[k])));
                }
            EXPECT_LE(worst, 12);
        }
}

TEST_F(JpegWriterTest, BaselineAndReproducible)
{
    const uint32_t w = 40, h = 30;
    std::vector<uint8_t> px(size_t(w) * h * 3);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = uint8_t((i * 7919u) >> 3);
    std::vector<uint8_t> a = WriteJpeg(px.data(), w, h, 3);
    std::vector<uint8_t> b = WriteJpeg(px.data(), w, h, 3);
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a, b);
    ASSERT_GE(a.size(), 4u);
    EXPECT_EQ(a[0], 0xFF);
    EXPECT_EQ(a[1], 0xD8);
    EXPECT_EQ(a[a.size() - 2], 0xFF);
    EXPECT_EQ(a[a.size() - 1], 0xD9);
    EXPECT_TRUE(HasMarker(a, 0xC0));   // baseline frame
    EXPECT_FALSE(HasMarker(a, 0xC2));  // never progressive
    EXPECT_FALSE(HasMarker(a, 0xFE));  // no comment that could carry a version or date

    JpegOptions low;
    low.quality = 20;
    std::vector<uint8_t> c = WriteJpeg(px.data(), w, h, 3, low);
    EXPECT_LT(c.size(), a.size());
    low.optimiseCoding = false;
    std::vector<uint8_t> d = WriteJpeg(px.data(), w, h, 3, low);
    EXPECT_GT(d.size(), c.size());
}

TEST_F(JpegWriterTest, RefusesWhatCannotBeAJpeg)
{
    std::vector<uint8_t> px(64 * 4, 128);
    EXPECT_TRUE(WriteJpeg(px.data(), 0, 8, 3).empty());
    EXPECT_TRUE(WriteJpeg(px.data(), 8, 0, 3).empty());
    EXPECT_TRUE(WriteJpeg(px.data(), 8, 8, 4).empty());
    EXPECT_TRUE(WriteJpeg(px.data(), 8, 8, 2).empty());
    EXPECT_TRUE(WriteJpeg(nullptr, 8, 8, 3).empty());
    EXPECT_TRUE(WriteJpeg(px.data(), 70000, 1, 1).empty());
    EXPECT_FALSE(ContentTools::SaveJpeg(Path("x.jpg"), px.data(), 8, 0, 3));
    EXPECT_FALSE(TestSupport::FileExists(Path("x.jpg")));
    // A quality outside 1..100 is held to it rather than failing.
    JpegOptions over, best, under, worst;
    over.quality = 500;
    best.quality = 100;
    under.quality = -3;
    worst.quality = 1;
    EXPECT_EQ(WriteJpeg(px.data(), 8, 8, 3, over), WriteJpeg(px.data(), 8, 8, 3, best));
    EXPECT_EQ(WriteJpeg(px.data(), 8, 8, 3, under), WriteJpeg(px.data(), 8, 8, 3, worst));
    EXPECT_NE(WriteJpeg(px.data(), 8, 8, 3, best), WriteJpeg(px.data(), 8, 8, 3, worst));
}
