#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/render/ParticleFile.h"
#include "support/Bytes.h"
#include "support/TestSupport.h"
#include "tools/formats/ParticleFileWriter.h"

using namespace KorvaneEngine;
using namespace ContentTools;

namespace {

// Every field a distinct value, so a field read from the wrong offset shows.
ParticleFile Distinct(uint32_t version)
{
    ParticleFile p;
    p.version = version;
    p.maxParticles = 77;
    p.duration = 2.5f;
    p.gravityEnabled = 0;
    p.gravity = 3.25f;
    p.floorEnabled = 1;
    p.floorHeight = -4.5f;
    p.bounce = 0.75f;
    p.stopOnRest = 0;
    p.restThreshold = 0.125f;
    p.interpolateEmission = 0;
    for (int k = 0; k < 6; ++k) {
        p.emissionRate[k] = 100.0f + k;
        p.lifeCentre[k] = 200.0f + k;
        p.lifeSpread[k] = 300.0f + k;
        for (int c = 0; c < 3; ++c) {
            p.directionCentre[k][c] = 400.0f + k * 10 + c;
            p.directionSpread[k][c] = 500.0f + k * 10 + c;
        }
        for (int c = 0; c < 4; ++c)
            p.colour[k][c] = 600.0f + k * 10 + c;
        p.size[k] = 700.0f + k;
        p.speedCentre[k] = 800.0f + k;
        p.speedSpread[k] = 900.0f + k;
    }
    p.emitterShape = 2;
    p.boundsMin[0] = -1; p.boundsMin[1] = -2; p.boundsMin[2] = -3;
    p.boundsMax[0] = 4; p.boundsMax[1] = 5; p.boundsMax[2] = 6;
    return p;
}

class ParticleFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = TestSupport::MakeTempDir("particle_file"); }
    void TearDown() override { TestSupport::RemoveTree(dir_); }

    void Read(const std::vector<uint8_t>& bytes, ParticleParameters& out)
    {
        std::string path = dir_ + "\\p.psf";
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, bytes));
        FileBinary f(path, false, 8388608);
        ReadParticleFile(f, "fx\\p.psf", out);
    }
    std::string Failure(const std::vector<uint8_t>& bytes)
    {
        ParticleParameters p;
        try {
            Read(bytes, p);
        } catch (const FileError& e) {
            return e.GetMessage();
        }
        return "no error";
    }

    std::string dir_;
};

const char* kFormat = "Incorrect \"fx\\p.psf\" file format";

} // namespace

TEST_F(ParticleFileTest, Version204FieldsAtTheirOffsets)
{
    std::vector<uint8_t> bytes = WriteParticleFile(Distinct(204));
    ASSERT_EQ(bytes.size(), kParticleFileSize204);
    ParticleParameters p;
    Read(bytes, p);
    EXPECT_EQ(p.maxParticles, 77u);
    EXPECT_FLOAT_EQ(p.duration, 2.5f);
    EXPECT_FALSE(p.gravityEnabled);
    EXPECT_FLOAT_EQ(p.gravity, 3.25f);
    EXPECT_TRUE(p.floorEnabled);
    EXPECT_FLOAT_EQ(p.floorHeight, -4.5f);
    EXPECT_FLOAT_EQ(p.bounce, 0.75f);
    EXPECT_FALSE(p.stopOnRest);
    EXPECT_FLOAT_EQ(p.restThreshold, 0.125f);
    EXPECT_FALSE(p.interpolateEmission);
    for (int k = 0; k < 6; ++k) {
        EXPECT_FLOAT_EQ(p.emissionRate[k], 100.0f + k);
        EXPECT_FLOAT_EQ(p.lifeCentre[k], 200.0f + k);
        EXPECT_FLOAT_EQ(p.lifeSpread[k], 300.0f + k);
        EXPECT_EQ(p.directionCentre[k], Vector3(400.0f + k * 10, 401.0f + k * 10, 402.0f + k * 10));
        EXPECT_EQ(p.directionSpread[k], Vector3(500.0f + k * 10, 501.0f + k * 10, 502.0f + k * 10));
        EXPECT_FLOAT_EQ(p.colour[k].r, 600.0f + k * 10);
        EXPECT_FLOAT_EQ(p.colour[k].a, 603.0f + k * 10);
        EXPECT_FLOAT_EQ(p.size[k], 700.0f + k);
        EXPECT_FLOAT_EQ(p.speedCentre[k], 800.0f + k);
        EXPECT_FLOAT_EQ(p.speedSpread[k], 900.0f + k);
    }
    EXPECT_EQ(p.emitterShape, 2u);
    EXPECT_EQ(p.boundsMin, Vector3(-1, -2, -3));
    EXPECT_EQ(p.boundsMax, Vector3(4, 5, 6));
    // Raw offsets of the table: emitter shape at 425, bounds max at 441.
    uint32_t shape;
    std::memcpy(&shape, bytes.data() + 425, 4);
    EXPECT_EQ(shape, 2u);
    float maxX;
    std::memcpy(&maxX, bytes.data() + 441, 4);
    EXPECT_FLOAT_EQ(maxX, 4.0f);
}

TEST_F(ParticleFileTest, Version203HasNoSpeedSpread)
{
    std::vector<uint8_t> bytes = WriteParticleFile(Distinct(203));
    ASSERT_EQ(bytes.size(), kParticleFileSize203);
    ParticleParameters p;
    Read(bytes, p);
    for (int k = 0; k < 6; ++k) {
        EXPECT_FLOAT_EQ(p.speedCentre[k], 800.0f + k);
        EXPECT_EQ(p.speedSpread[k], 0.0f);
    }
    EXPECT_EQ(p.emitterShape, 2u);
    EXPECT_EQ(p.boundsMin, Vector3(-1, -2, -3));
    EXPECT_EQ(p.boundsMax, Vector3(4, 5, 6));
}

TEST_F(ParticleFileTest, HeaderAndLengthAreChecked)
{
    ParticleFile p = Distinct(203);
    p.storedTotalSize = kParticleFileSize203 - 1;
    EXPECT_EQ(Failure(WriteParticleFile(p)), kFormat);

    std::vector<uint8_t> bytes = WriteParticleFile(Distinct(204));
    bytes[8] = 'X';
    EXPECT_EQ(Failure(bytes), kFormat);

    p = Distinct(205);
    EXPECT_EQ(Failure(WriteParticleFile(p)), "Incorrect \"fx\\p.psf\" format version, current is 204");
    p = Distinct(0);
    EXPECT_EQ(Failure(WriteParticleFile(p)), "Incorrect \"fx\\p.psf\" format version, current is 204");

    // A consistent size field is not enough: each version has one length.
    p = Distinct(204);
    p.trailing = {1, 2, 3, 4};
    EXPECT_EQ(Failure(WriteParticleFile(p)), kFormat);
    bytes = WriteParticleFile(Distinct(204));
    bytes[9] = 203;  // a 204 body labelled 203
    EXPECT_EQ(Failure(bytes), kFormat);

    // Shorter than the header: the file layer's read failure.
    EXPECT_NE(Failure({5, 0, 0, 0, 'K'}).find("Failed to read 13 bytes"), std::string::npos);
}

TEST_F(ParticleFileTest, NonFiniteNumbersAreRefused)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ParticleFile p = Distinct(204);
    p.duration = nan;
    EXPECT_EQ(Failure(WriteParticleFile(p)), kFormat);
    p = Distinct(204);
    p.lifeCentre[3] = inf;
    EXPECT_EQ(Failure(WriteParticleFile(p)), kFormat);
    p = Distinct(204);
    p.boundsMax[2] = -inf;
    EXPECT_EQ(Failure(WriteParticleFile(p)), kFormat);
}

TEST_F(ParticleFileTest, CapacityIsCutToWhatSixteenBitIndicesReach)
{
    ParticleFile p = Distinct(204);
    p.maxParticles = 0xFFFFFFFFu;
    ParticleParameters out;
    Read(WriteParticleFile(p), out);
    EXPECT_EQ(out.maxParticles, kMaxParticles);
    EXPECT_LE(out.maxParticles * 4, 65535u);
    p.maxParticles = kMaxParticles;
    Read(WriteParticleFile(p), out);
    EXPECT_EQ(out.maxParticles, kMaxParticles);
    p.maxParticles = 0;
    Read(WriteParticleFile(p), out);
    EXPECT_EQ(out.maxParticles, 0u);
}

// The layout spelled out field by field at its offsets, independent of the
// project's writer: a field both sides misplace alike shows here. Each f32
// field holds its own offset, so a misread names the offset it came from.
TEST_F(ParticleFileTest, GoldenFilesSpelledFromTheLayout)
{
    for (uint32_t version : {204u, 203u}) {
        TestSupport::Bytes b;
        b.Header("KEPSF", version);
        b.U32(321);                                  // 13 maxParticles
        auto here = [&] { return float(b.Size()); };
        b.F32(here());                               // 17 duration
        b.U8(0);                                     // 21 gravityEnabled
        b.F32(here());                               // 22 gravity
        b.U8(1);                                     // 26 floorEnabled
        b.F32(here()).F32(here());                   // 27 floorHeight, 31 bounce
        b.U8(0);                                     // 35 stopOnRest
        b.F32(here());                               // 36 restThreshold
        b.U8(0);                                     // 40 interpolateEmission
        ASSERT_EQ(b.Size(), 41u);
        // 41 emissionRate .. 377 speedCentre, and 401 speedSpread in 204 only.
        const size_t keyFloats = (version == 204 ? 384u : 360u) / 4;
        for (size_t i = 0; i < keyFloats; ++i)
            b.F32(here());
        ASSERT_EQ(b.Size(), version == 204 ? 425u : 401u);
        b.U32(2);                                    // emitterShape
        for (int i = 0; i < 6; ++i)
            b.F32(here());                            // bounds minimum, maximum
        ASSERT_EQ(b.Size(), version == 204 ? 453u : 429u);
        ParticleParameters p;
        Read(b.Done(), p);

        EXPECT_EQ(p.maxParticles, 321u) << version;
        EXPECT_EQ(p.duration, 17.0f);
        EXPECT_FALSE(p.gravityEnabled);
        EXPECT_EQ(p.gravity, 22.0f);
        EXPECT_TRUE(p.floorEnabled);
        EXPECT_EQ(p.floorHeight, 27.0f);
        EXPECT_EQ(p.bounce, 31.0f);
        EXPECT_FALSE(p.stopOnRest);
        EXPECT_EQ(p.restThreshold, 36.0f);
        EXPECT_FALSE(p.interpolateEmission);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(p.emissionRate[k], float(41 + 4 * k)) << k;
            EXPECT_EQ(p.lifeCentre[k], float(65 + 4 * k)) << k;
            EXPECT_EQ(p.lifeSpread[k], float(89 + 4 * k)) << k;
            EXPECT_EQ(p.directionCentre[k].x, float(113 + 12 * k)) << k;
            EXPECT_EQ(p.directionCentre[k].z, float(121 + 12 * k)) << k;
            EXPECT_EQ(p.directionSpread[k].x, float(185 + 12 * k)) << k;
            EXPECT_EQ(p.directionSpread[k].y, float(189 + 12 * k)) << k;
            EXPECT_EQ(p.colour[k].r, float(257 + 16 * k)) << k;
            EXPECT_EQ(p.colour[k].a, float(269 + 16 * k)) << k;
            EXPECT_EQ(p.size[k], float(353 + 4 * k)) << k;
            EXPECT_EQ(p.speedCentre[k], float(377 + 4 * k)) << k;
            EXPECT_EQ(p.speedSpread[k], version == 204 ? float(401 + 4 * k) : 0.0f) << k;
        }
        EXPECT_EQ(p.emitterShape, 2u);
        const float bounds = version == 204 ? 429.0f : 405.0f;
        EXPECT_EQ(p.boundsMin.x, bounds);
        EXPECT_EQ(p.boundsMin.z, bounds + 8);
        EXPECT_EQ(p.boundsMax.x, bounds + 12);
        EXPECT_EQ(p.boundsMax.z, bounds + 20);
    }
}
