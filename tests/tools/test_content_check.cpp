// The generator's check of the whole set: the shipped sets pass it, taking
// away any file the game reads a texture, shader, model, particle system or
// font from makes it name that file, and deliberately broken sets are refused
// for the rule they break. Where the engine's own substitution of picture
// names decides what a texture is, the engine reading the written set agrees
// with the check, and the check reads shaders with the engine's own readers.
// Also the picture-size reader it stands on.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/PictureWriters.h"
#include "engine/render/ShaderDescriptor.h"
#include "support/TestSupport.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentCheck.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/formats/JpegWriter.h"
#include "tools/formats/PictureSize.h"
#include "tools/formats/ShaderFileWriter.h"

using namespace Content;
using KorvaneEngine::ToLowerCopy;

namespace {

const char kObjects[] = "data\\game_objects\\resources.xml";

std::string Joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + "\n";
    return s;
}

// The faults that mention every one of the words (any letter case).
std::vector<std::string> Mentioning(const std::vector<std::string>& faults, std::initializer_list<std::string> words)
{
    std::vector<std::string> out;
    for (const std::string& f : faults) {
        bool all = true;
        for (const std::string& w : words)
            all = all && ToLowerCopy(f).find(ToLowerCopy(w)) != std::string::npos;
        if (all)
            out.push_back(f);
    }
    return out;
}

std::vector<uint8_t> Grey(uint32_t w, uint32_t h)
{
    std::vector<uint8_t> pixels(size_t(w) * h, 128);
    return ContentTools::WriteJpeg(pixels.data(), w, h, 1);
}

std::string Text(const ContentSet& set, const std::string& path)
{
    const std::vector<uint8_t>* b = set.Find(path);
    return b ? std::string(b->begin(), b->end()) : std::string();
}

class ContentCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shipped = new ContentSet();
        Generate(*shipped, Options());
    }
    static void TearDownTestSuite()
    {
        delete shipped;
        shipped = nullptr;
    }
    // The shipped set with one change, checked, then the change undone.
    std::vector<std::string> FaultsWith(const std::function<void(ContentSet&)>& change)
    {
        ContentSet set = *shipped;
        change(set);
        return FindContentFaults(set);
    }
    static inline ContentSet* shipped = nullptr;
};

} // namespace

TEST_F(ContentCheck, TheShippedSetsPassAndEveryFileTheGameReadsIsMissedWhenTaken)
{
    EXPECT_EQ(Joined(FindContentFaults(*shipped)), "");
    {
        ContentSet playTest;
        Options options;
        options.variant = Catalogue::kPlayTestVariant;
        options.allLoose = true;
        Generate(playTest, options);
        EXPECT_EQ(Joined(FindContentFaults(playTest)), "");
    }

    // Every engine file, font picture and picture but the themes' own
    // (which the board reads whole into a texture of its own): nothing is
    // written that the game does not read.
    const char* const kinds[] = {"srf", "kml", "psf", "kepsf", "kefnt", "tga", "jpg"};
    ContentSet set = *shipped;
    std::vector<std::string> unnoticed;
    int taken = 0;
    for (const std::string& path : shipped->Paths()) {
        const std::string extension = ToLowerCopy(KorvaneEngine::GetExtension(path));
        if (std::find(std::begin(kinds), std::end(kinds), extension) == std::end(kinds))
            continue;
        if (path.compare(0, 12, "data\\themes\\") == 0 && path.find("_preview") == std::string::npos)
            continue;
        // The logos, which the game leaves out when they are missing.
        if (path.find("\\publishers\\") != std::string::npos)
            continue;
        const std::vector<uint8_t> bytes = *set.Find(path);
        set.Remove(path);
        if (Mentioning(FindContentFaults(set), {path}).empty())
            unnoticed.push_back(path);
        set.Add(path, bytes);
        ++taken;
    }
    EXPECT_EQ(Joined(unnoticed), "") << "taken away without a fault";
    // The models, shaders, particle systems and pictures of every part.
    EXPECT_GT(taken, 150);
}

TEST_F(ContentCheck, TexturesThatBreakTheEnginesSizeRulesAreRefused)
{
    const std::string carriage = "data\\game_objects\\carriage.jpg";
    const std::string opacity = "data\\game_objects\\carriage_opacity.jpg";
    std::vector<std::string> faults = FaultsWith([&](ContentSet& s) {
        s.Add(carriage, Grey(128, 96));
        s.Add(opacity, Grey(128, 96));
    });
    EXPECT_EQ(Mentioning(faults, {carriage, "128 x 96", "powers of two"}).size(), 1u) << Joined(faults);
    // 96 is fitted to 128, so the opacity picture is the wrong size too.
    EXPECT_EQ(Mentioning(faults, {opacity, "128 x 96", "must be the size of", "128 x 128"}).size(), 1u)
        << Joined(faults);
    EXPECT_EQ(faults.size(), 2u) << Joined(faults);

    // A square colour picture with a smaller opacity picture; a font's
    // picture of an odd width; a "JPEG" that is none.
    faults = FaultsWith([&](ContentSet& s) {
        s.Add(opacity, Grey(64, 64));
        std::vector<uint8_t> tga = *s.Find("data\\ui\\fonts\\en\\console_diffuse.tga");
        tga[12] = 100;
        tga[13] = 0;
        s.Add("data\\ui\\fonts\\en\\console_diffuse.tga", tga);
        s.Add("data\\ui\\cursors\\cursor.jpg", std::vector<uint8_t>(64, 0xFF));
    });
    EXPECT_EQ(Mentioning(faults, {opacity, "64 x 64", "must be the size of"}).size(), 1u) << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {"console_diffuse.tga", "100 x", "powers of two"}).size(), 1u) << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {"cursor.jpg", "no picture"}).size(), 1u) << Joined(faults);
}

TEST_F(ContentCheck, NamesNoListRegistersOrThatComeTooLateAreRefused)
{
    // A model whose file and shader file are missing, and one entry twice.
    std::vector<std::string> faults = FaultsWith([](ContentSet& s) {
        s.AddResource(kObjects, "<model name=\"probe\" file_name=\"nothing.kml\"/>");
        s.AddResource(kObjects, "<shader name=\"twice\" diffuse_file_name=\"carriage.jpg\"/>");
        s.AddResource(kObjects, "<shader name=\"twice\" diffuse_file_name=\"carriage.jpg\"/>");
    });
    EXPECT_EQ(Mentioning(faults, {"\"probe\"", "data\\game_objects\\nothing.kml", "not written"}).size(), 1u)
        << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {"\"probe\"", "data\\game_objects\\nothing.srf", "not written"}).size(), 1u)
        << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {"\"twice\"", "registered twice"}).size(), 1u) << Joined(faults);
    EXPECT_EQ(faults.size(), 3u) << Joined(faults);

    // A window naming art nobody registers, the start-up loading window
    // naming queued art, a background layer made at once over a queued model.
    const std::string loading = "data\\ui\\windows\\window_game_loading.xml";
    const std::string background = "data\\ui\\background\\background.xml";
    faults = FaultsWith([&](ContentSet& s) {
        s.AddText("data\\ui\\windows\\window_probe.xml",
                  "<window_probe><window name=\"a\" model=\"nothing\" toddler_shader=\"nothing_either\"/></window_probe>\n");
        std::string xml = Text(s, loading);
        const size_t end = xml.rfind("</");
        ASSERT_NE(end, std::string::npos);
        xml.insert(end, "<window name=\"probe\" model=\"panel_main_menu\"/>\n");
        s.AddText(loading, xml);
        std::string layers = Text(s, background);
        const size_t additional = layers.find(" additional=\"1\"");
        ASSERT_NE(additional, std::string::npos);
        layers.erase(additional, 15);
        s.AddText(background, layers);
    });
    EXPECT_EQ(Mentioning(faults, {"window_probe.xml", "model \"ui/nothing\"", "no resource list"}).size(), 1u)
        << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {"window_probe.xml", "shader \"ui/nothing_either\"", "no resource list"}).size(), 1u)
        << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {loading, "ui/panel_main_menu", "only queues"}).size(), 1u) << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {background, "background/vignette", "only queues"}).size(), 1u) << Joined(faults);
    EXPECT_EQ(faults.size(), 4u) << Joined(faults);

    // A list that does not parse, and the background gone.
    faults = FaultsWith([&](ContentSet& s) {
        s.AddResource("data\\ui\\resources_additional.xml", "<model name=\"broken\"");
        s.Remove(background);
    });
    EXPECT_FALSE(Mentioning(faults, {"data\\ui\\resources_additional.xml", "XML format error"}).empty())
        << Joined(faults);
    EXPECT_EQ(Mentioning(faults, {background, "not written"}).size(), 1u) << Joined(faults);
}

TEST_F(ContentCheck, PictureNamesAreSubstitutedAsTheEngineDoes)
{
    // A model whose shader names "probe.tga" and "probe_opacity.jpg" where
    // only "probe.png" (100 x 100) lies: the engine draws the PNG with its
    // own alpha, so the only fault is its size.
    const std::string folder = "data\\game_objects\\";
    ContentSet set = *shipped;
    set.AddResource(kObjects, "<model name=\"probe\" file_name=\"probe.kml\"/>");
    set.Add(folder + "probe.kml", *set.Find(folder + "carriage.kml"));
    ContentTools::ShaderFile shader;
    ContentTools::ShaderFileStage stage;
    stage.diffuse = "probe.tga";
    stage.opacity = "probe_opacity.jpg";
    shader.stages.push_back(stage);
    set.Add(folder + "probe.srf", ContentTools::WriteShaderFile(shader));
    set.Add(folder + "probe.png", PictureWriters::EncodePng(PictureWriters::Pattern(100, 100, 4)));
    std::vector<std::string> faults = FindContentFaults(set);
    EXPECT_EQ(Mentioning(faults, {"data\\game_objects\\probe.png", "100 x 100", "powers of two"}).size(), 1u)
        << Joined(faults);
    EXPECT_EQ(faults.size(), 1u) << Joined(faults);

    // The engine, reading the written set, names the same pictures.
    const std::string dir = TestSupport::MakeTempDir("content_check");
    std::string error;
    ASSERT_TRUE(set.Write(dir, true, &error)) << error;
    {
        KorvaneEngine::MessageManager log("Content check test", false, false, "", "");
        KorvaneEngine::FileManager files(dir, false, "data", 0);
        KorvaneEngine::ShaderDescriptor d("game_objects\\probe.srf");
        std::vector<std::string> names;
        d.GetStageTextureNames(0, names);
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[0], "data\\game_objects\\probe.png");
        EXPECT_EQ(names[1], "");
    }

    // Without the PNG, a BMP of a good size stands in and the opacity picture
    // is asked for.
    set.Remove(folder + "probe.png");
    set.Add(folder + "probe.bmp", PictureWriters::EncodeBmp(PictureWriters::Pattern(64, 32, 3)));
    faults = FindContentFaults(set);
    EXPECT_EQ(Mentioning(faults, {"\"data\\game_objects\\probe_opacity.jpg\"", "not written"}).size(), 1u)
        << Joined(faults);
    EXPECT_EQ(faults.size(), 1u) << Joined(faults);
    TestSupport::RemoveTree(dir);
}

TEST(PictureSize, HeadersOfEveryReaderGiveTheirSize)
{
    using namespace PictureWriters;
    const Picture rgb = Pattern(37, 21, 3), rgba = Pattern(37, 21, 4);
    struct Case {
        const char* extension;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"jpg", EncodeJpeg(rgb)},
        {"JPEG", EncodeJpeg(rgb, 80, true)},  // progressive: another frame marker
        {"png", EncodePng(rgba)},
        {"bmp", EncodeBmp(rgb)},
        {"bmp", EncodeBmp(rgb, true)},  // stored top down: a negative height
        {"tga", EncodeTga(rgba, true, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(ContentTools::ReadPictureSize(c.extension, c.bytes, &w, &h));
        EXPECT_EQ(w, 37u);
        EXPECT_EQ(h, 21u);
        // Cut short, or read by the wrong reader, there is no size.
        EXPECT_FALSE(ContentTools::ReadPictureSize(c.extension, std::vector<uint8_t>(c.bytes.begin(), c.bytes.begin() + 10),
                                                   &w, &h));
    }
    uint32_t w = 0, h = 0;
    EXPECT_FALSE(ContentTools::ReadPictureSize("png", EncodeJpeg(rgb), &w, &h));
    EXPECT_FALSE(ContentTools::ReadPictureSize("dds", EncodeJpeg(rgb), &w, &h));
}

TEST_F(ContentCheck, ShadersAreReadByTheEnginesOwnReaders)
{
    // A list's animated shader: three frames renumbered, "32bit" asking for
    // no opacity picture, so the missing third frame is the only fault; a
    // negative frame count is one frame.
    const std::string folder = "data\\game_objects\\";
    std::vector<std::string> faults = FaultsWith([&](ContentSet& s) {
        s.AddResource(kObjects, "<shader name=\"probe\" diffuse_file_name=\"probe_00.jpg\" "
                                "opacity_file_name=\"32bit\" animation_type=\"diffuse\" frame_count=\"3\"/>");
        s.AddResource(kObjects, "<shader name=\"single\" diffuse_file_name=\"single_00.jpg\" "
                                "animation_type=\"diffuse\" frame_count=\"-4\"/>");
        for (const char* name : {"probe_00.jpg", "probe_01.jpg", "single_00.jpg"})
            s.Add(folder + name, Grey(64, 64));
    });
    EXPECT_EQ(Mentioning(faults, {"\"probe\"", folder + "probe_02.jpg", "not written"}).size(), 1u) << Joined(faults);
    EXPECT_EQ(faults.size(), 1u) << Joined(faults);

    // The engine reads what the writer writes, bare picture names beside the
    // file.
    ContentTools::ShaderFile s;
    s.flags = 1;
    s.sourceBlend = 4;
    s.destinationBlend = 5;
    ContentTools::ShaderFileStage net;
    net.type = 1;
    net.frameCount = 8;
    net.speed = 2.5f;
    net.columns = 4;
    net.rows = 2;
    net.diffuse = "sheet.jpg";
    net.opacity = "sheet_alpha.jpg";
    ContentTools::ShaderFileStage sequence;
    sequence.flags = 3;
    sequence.type = 2;
    sequence.frameCount = 12;
    sequence.diffuse = "fire_00.png";
    sequence.offsetU = 0.25f;
    s.stages = {net, sequence};
    std::vector<uint8_t> bytes = ContentTools::WriteShaderFile(s);
    KorvaneEngine::FileBinary stream("probe.srf", false, 0, uint32_t(bytes.size()), bytes.data(), false);
    KorvaneEngine::ShaderDescriptor back(stream, "game_objects\\probe.srf");
    EXPECT_EQ(back.GetFlags(), 1u);
    EXPECT_EQ(back.GetDestinationBlend(), 5u);
    ASSERT_EQ(back.GetStageCount(), 2u);
    EXPECT_EQ(back.GetStage(0).columns, 4u);
    EXPECT_EQ(back.GetStage(0).opacity, "game_objects\\sheet_alpha.jpg");
    EXPECT_EQ(back.GetStage(1).frameCount, 12u);
    EXPECT_EQ(back.GetStage(1).diffuse, "game_objects\\fire_00.png");
    EXPECT_EQ(back.GetStage(1).opacity, "");
    EXPECT_FLOAT_EQ(back.GetStage(1).offsetU, 0.25f);

    // A shader file the engine refuses, the check refuses, naming it (and
    // where the format is wrong, saying so).
    auto refused = [&](const std::vector<uint8_t>& file, const char* why, const std::string& word) {
        faults = FaultsWith([&](ContentSet& set) { set.Add(folder + "carriage.srf", file); });
        EXPECT_EQ(Mentioning(faults, {folder + "carriage.srf", word}).size(), 1u) << why << "\n" << Joined(faults);
    };
    const std::string format = "Incorrect";
    ContentTools::ShaderFile bad = s;
    bad.version = 210;
    refused(ContentTools::WriteShaderFile(bad), "version", format);
    bad = s;
    bad.storedTotalSize = uint32_t(bytes.size()) - 1;
    refused(ContentTools::WriteShaderFile(bad), "total size", format);
    bad = s;
    bad.stages.push_back(net);
    refused(ContentTools::WriteShaderFile(bad), "three stages", format);
    bad = s;
    bad.stages[1].frameCount = KorvaneEngine::ShaderDescriptor::kMaxSequenceFrames + 1;
    refused(ContentTools::WriteShaderFile(bad), "a sequence longer than the engine loads", format);
    bad = s;
    bad.storedStageCount = 2;
    bad.stages.pop_back();
    refused(ContentTools::WriteShaderFile(bad), "a stage counted but missing", "");
    refused({}, "empty", "");
}
