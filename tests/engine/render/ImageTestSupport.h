#pragma once
// Shared by the picture tests: a log to inspect, a temp folder, and pixel
// comparison between a decoded Image and the picture a file was made from.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/render/Image.h"
#include "PictureWriters.h"
#include "support/TestSupport.h"

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log_ = std::make_unique<KorvaneEngine::MessageManager>("test", false, false, "", "");
        dir_ = TestSupport::MakeTempDir(TestSupport::ExecutableName() + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        files_ = std::make_unique<KorvaneEngine::FileManager>(dir_, false, "data", 0);
    }
    void TearDown() override
    {
        files_.reset();
        log_.reset();
        TestSupport::RemoveTree(dir_);
    }

    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::string p = Path(name);
        EXPECT_TRUE(PictureWriters::WriteFile(p, bytes)) << p;
        return p;
    }

    int Errors() const
    {
        int n = 0;
        for (int i = 0; i < log_->GetHistorySize(); ++i)
            n += log_->GetHistoryRecord(i)->level == 3;
        return n;
    }
    int Warnings() const
    {
        int n = 0;
        for (int i = 0; i < log_->GetHistorySize(); ++i)
            n += log_->GetHistoryRecord(i)->level == 2;
        return n;
    }
    std::string LastText() const
    {
        int n = log_->GetHistorySize();
        return n ? log_->GetHistoryRecord(n - 1)->text : std::string();
    }
    bool Logged(const std::string& part) const
    {
        for (int i = 0; i < log_->GetHistorySize(); ++i)
            if (log_->GetHistoryRecord(i)->text.find(part) != std::string::npos)
                return true;
        return false;
    }

    std::unique_ptr<KorvaneEngine::MessageManager> log_;
    std::unique_ptr<KorvaneEngine::FileManager> files_;
    std::string dir_;
};

// Image row 0 is the bottom line, so picture line y is image row height - 1 - y.
inline ::testing::AssertionResult SamePixels(const KorvaneEngine::Image& img, const PictureWriters::Picture& p,
                                             int tolerance = 0)
{
    if (img.GetWidth() != p.width || img.GetHeight() != p.height || img.GetBits() != 8 * p.channels)
        return ::testing::AssertionFailure() << "size " << img.GetWidth() << "x" << img.GetHeight() << "x"
                                             << img.GetBits() << " against " << p.width << "x" << p.height << "x"
                                             << 8 * p.channels;
    if (!img.GetPixels())
        return ::testing::AssertionFailure() << "no pixels";
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x)
            for (uint32_t c = 0; c < p.channels; ++c) {
                int a = img.GetPixel(x, p.height - 1 - y)[c], b = p.At(x, y)[c];
                if (a - b > tolerance || b - a > tolerance)
                    return ::testing::AssertionFailure() << "pixel (" << x << ", line " << y << ") channel " << c
                                                         << ": " << a << " against " << b;
            }
    return ::testing::AssertionSuccess();
}
