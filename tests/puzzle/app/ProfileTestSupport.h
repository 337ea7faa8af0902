#pragma once
// The puzzle profile and list files as the tests expect them, built field by
// field, and a description of every stored field of a profile.
#include <string>
#include <vector>

#include "framework/PlayerFilesTestSupport.h"
#include "puzzle/app/Profile.h"

namespace ProfileTest {

struct Result {
    uint32_t play, stage, level;
    float time;
};

// Every stored field of a puzzle profile, with its new-player values.
struct Fields {
    std::wstring name;
    uint32_t play = 0, carry = 3, score = 0;
    uint32_t current[2] = {0, 0}, reached[2] = {0, 0};
    uint8_t reachedLast = 0;
    std::vector<Result> results;
    uint32_t extra = 0;
    uint8_t saved = 0;
    float music = 1.0f, sound = 1.0f;
    uint8_t flags[3] = {1, 1, 1};
    uint32_t values[4] = {0, 0, 0, 0};
    std::vector<uint32_t> a{0}, b{0, 0}, c{0};
    uint32_t stars = 1500;
};

inline PlayerFilesTest::Image ProfileImage(const Fields& f, uint32_t version = 105)
{
    PlayerFilesTest::Image img("PZPRF", version);
    img.WString(f.name).U32(f.play).U32(f.carry).U32(f.score);
    img.U32(f.current[0]).U32(f.current[1]).U32(f.reached[0]).U32(f.reached[1]).U8(f.reachedLast);
    img.U32(static_cast<uint32_t>(f.results.size()));
    for (const Result& r : f.results)
        img.U32(r.play).U32(r.stage).U32(r.level).F32(r.time);
    img.U32(f.extra).U8(f.saved).F32(f.music).F32(f.sound);
    img.U8(f.flags[0]).U8(f.flags[1]).U8(f.flags[2]);
    for (uint32_t v : f.values)
        img.U32(v);
    for (const std::vector<uint32_t>* list : {&f.a, &f.b, &f.c}) {
        img.U32(static_cast<uint32_t>(list->size()));
        for (uint32_t v : *list)
            img.U32(v);
    }
    img.U32(f.stars);
    return img;
}

// A text of every field a profile keeps in its file, for comparing two (the
// total time is not kept: it is rebuilt from the best times when read).
inline std::string Describe(const Puzzle::Profile& p)
{
    std::string d;
    auto add = [&d](const std::string& k, double v) { d += k + "=" + std::to_string(v) + " "; };
    for (wchar_t c : p.GetDisplayName())
        d += std::to_string(static_cast<unsigned>(c)) + ",";
    d += " file=" + p.GetFileName() + " ";
    add("play", p.GetPlayValue());
    add("carry", p.GetCarryOverValue());
    add("score", p.GetTotalScore());
    add("cs", p.GetCurrentPosition().stageIndex);
    add("cl", p.GetCurrentPosition().levelIndex);
    add("rs", p.GetReachedPosition().stageIndex);
    add("rl", p.GetReachedPosition().levelIndex);
    add("last", p.IsReachedLast());
    for (const GameFramework::LevelResult* r : p.GetLevelResults()) {
        add("rp", r->playValue);
        add("rs", r->stageIndex);
        add("rl", r->levelIndex);
        add("rt", r->time);
    }
    add("extra", p.GetExtraValue());
    add("saved", p.HasSavedGame());
    add("music", p.GetMusicVolume());
    add("sound", p.GetSoundVolume());
    for (int i = 1; i <= 3; ++i)
        add("flag", p.GetFlag(i));
    add("theme", p.GetSelectedTheme());
    add("picture", p.GetSelectedPicture());
    add("puzzle", p.GetSelectedPuzzle());
    add("size", p.GetSelectedSize());
    for (uint32_t v : p.GetListA())
        add("a", v);
    for (uint32_t v : p.GetListB())
        add("b", v);
    for (uint32_t v : p.GetListC())
        add("c", v);
    add("stars", p.GetStars());
    return d;
}

} // namespace ProfileTest
