// Typing the cheat-mode access code, one control a frame, through controls
// whose key state the test sets as a device back-end would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/audio_input/Controls.h"
#include "framework/GameBase.h"

using GameFramework::GameBase;

namespace {

class TypedControls : public KorvaneEngine::Controls {
public:
    // One frame in which the given controls went down (and are let go again).
    void Press(const std::vector<std::string>& names)
    {
        ResetState();
        for (const std::string& n : names)
            SetKeyState(n, true);
        for (const std::string& n : names)
            SetKeyState(n, false);
    }
};

std::string ControlOf(char c)
{
    for (int i = 0; i < GameBase::kAccessKeyCount; ++i)
        if (GameBase::kAccessKeys[i].character == c)
            return GameBase::kAccessKeys[i].control;
    ADD_FAILURE() << "no control for '" << c << "'";
    return std::string();
}

// Types text a character a frame; the frames in which the code was completed.
std::vector<size_t> Type(TypedControls& controls, std::string& buffer, const std::string& text)
{
    std::vector<size_t> done;
    for (size_t i = 0; i < text.size(); ++i) {
        controls.Press({ControlOf(text[i])});
        if (GameBase::TypeAccessCode(controls, buffer))
            done.push_back(i);
    }
    return done;
}

TEST(AccessCode, OneControlForEachDistinctCharacter)
{
    const std::string code = GameBase::kAccessCode;
    EXPECT_EQ(code.size(), 12u);
    for (char c : code)
        EXPECT_FALSE(ControlOf(c).empty());
    EXPECT_EQ(GameBase::kAccessKeyCount, 11);
    TypedControls controls;
    // Every control is a key the controls know: pressing it is seen.
    for (int i = 0; i < GameBase::kAccessKeyCount; ++i) {
        controls.Press({GameBase::kAccessKeys[i].control});
        EXPECT_TRUE(controls.IsPressed(GameBase::kAccessKeys[i].control)) << GameBase::kAccessKeys[i].control;
    }
}

TEST(AccessCode, TypedWholeItCompletesOnceAndEmptiesTheBuffer)
{
    TypedControls controls;
    std::string buffer;
    EXPECT_EQ(Type(controls, buffer, "my own trick"), std::vector<size_t>({11}));
    EXPECT_EQ(buffer, "");
    // A frame without any of the keys changes nothing.
    Type(controls, buffer, "my o");
    controls.Press({"Z"});
    EXPECT_FALSE(GameBase::TypeAccessCode(controls, buffer));
    controls.Press({});
    EXPECT_FALSE(GameBase::TypeAccessCode(controls, buffer));
    EXPECT_EQ(buffer, "my o");
    EXPECT_EQ(Type(controls, buffer, "wn trick"), std::vector<size_t>({7}));
    // Twice in a row: twice.
    EXPECT_EQ(Type(controls, buffer, "my own trickmy own trick"), std::vector<size_t>({11, 23}));
}

TEST(AccessCode, AWrongCharacterStartsOver)
{
    TypedControls controls;
    std::string buffer;
    // "my ow" then a wrong "t": the attempt is gone and only a whole new one counts.
    EXPECT_TRUE(Type(controls, buffer, "my owt").empty());
    EXPECT_EQ(buffer, "");
    EXPECT_TRUE(Type(controls, buffer, "n trick").empty());
    EXPECT_EQ(Type(controls, buffer, "my own trick"), std::vector<size_t>({11}));
    // The first character right after a wrong one starts a new attempt at once.
    EXPECT_TRUE(Type(controls, buffer, "my ownm").empty());
    EXPECT_EQ(buffer, "m");
    EXPECT_EQ(Type(controls, buffer, "y own trick"), std::vector<size_t>({10}));
    // A text that does not begin with the first character never grows.
    EXPECT_TRUE(Type(controls, buffer, "y own trick").empty());
    EXPECT_EQ(buffer, "");
    // Letters of the code in the wrong order.
    EXPECT_TRUE(Type(controls, buffer, "mm").empty());
    EXPECT_EQ(buffer, "m");
    EXPECT_TRUE(Type(controls, buffer, "yy").empty());
    EXPECT_EQ(buffer, "");
}

TEST(AccessCode, TwoKeysInOneFrameTypeOnlyTheFirstInPollingOrder)
{
    TypedControls controls;
    std::string buffer;
    // "Y" is polled before "K" and "M" before "Y": the earlier one wins.
    controls.Press({"K", "M"});
    EXPECT_FALSE(GameBase::TypeAccessCode(controls, buffer));
    EXPECT_EQ(buffer, "m");
    controls.Press({"K", "Y"});
    EXPECT_FALSE(GameBase::TypeAccessCode(controls, buffer));
    EXPECT_EQ(buffer, "my");
    // Locked input reports nothing.
    controls.LockInput();
    controls.Press({"SPACE"});
    EXPECT_FALSE(GameBase::TypeAccessCode(controls, buffer));
    EXPECT_EQ(buffer, "my");
}

} // namespace
