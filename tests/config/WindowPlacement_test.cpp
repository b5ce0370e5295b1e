#include "config/WindowPlacement.h"

#include <gtest/gtest.h>
#include <climits>

#include "config/IniFile.h"

namespace {

const PlacementRect kScreen{0, 0, 1024, 768};

std::string Section(const std::string& keys) {
    return "[Window]\nSavePosition=1\n" + keys;
}

const std::string kGood =
    "FormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch=96\nMinMaxPos=-1,-1,-1,-1\nNormPos=10,20,555,"
    "440\nVisible=1\n";

}  // namespace

TEST(WindowPlacement, WritesTheKeysInTheirForms) {
    IniFile ini("[Window]\nSavePosition=1\nScreenType=Normal\n[Search]\nSort=Score\n");
    WriteWindowPlacement(ini, "Window",
                         WindowPlacement{{-8, 30, 1200, 900}, WindowShowState::Maximized, 120, true});
    EXPECT_EQ(ini.ToText(),
              "[Window]\nSavePosition=1\nScreenType=Normal\nFormVersion=0\nFlags=0\nShowCmd=3\n"
              "PixelsPerInch=120\nMinMaxPos=-1,-1,-1,-1\nNormPos=-8,30,1200,900\nVisible=1\n"
              "[Search]\nSort=Score\n");
}

TEST(WindowPlacement, RoundTripsEveryState) {
    const WindowPlacement rows[] = {
        {{10, 20, 555, 440}, WindowShowState::Normal, 96, true},
        {{-1920, 0, -100, 1000}, WindowShowState::Minimized, 144, false},
        {{0, 0, 1, 1}, WindowShowState::Maximized, 72, true},
    };
    for (const WindowPlacement& row : rows) {
        IniFile ini;
        WriteWindowPlacement(ini, "Window", row);
        const auto back = ReadWindowPlacement(IniFile(ini.ToText()), "Window");
        ASSERT_TRUE(back.has_value()) << ini.ToText();
        EXPECT_EQ(*back, row) << ini.ToText();
    }
}

TEST(WindowPlacement, BrokenOrMissingValuesGiveNoPlacement) {
    struct Row {
        const char* name;
        std::string keys;
        bool usable;
    };
    auto with = [](const std::string& key, const std::string& value) {
        std::string keys = kGood;
        const std::size_t at = keys.find(key + "=");
        const std::size_t end = keys.find('\n', at);
        return keys.replace(at, end - at, value.empty() ? std::string("; gone") : key + "=" + value);
    };
    const Row rows[] = {
        {"complete record", kGood, true},
        {"blanks around the numbers", with("NormPos", " 10, 20 ,555 , 440 "), true},
        {"Flags, MinMaxPos and Visible are not needed", "ShowCmd=1\nPixelsPerInch=96\nNormPos=1,2,300,400\n",
         true},
        {"broken MinMaxPos is ignored", with("MinMaxPos", "junk"), true},
        {"no section at all", "", false},
        {"NormPos missing", with("NormPos", ""), false},
        {"NormPos with three numbers", with("NormPos", "10,20,555"), false},
        {"NormPos with five numbers", with("NormPos", "10,20,555,440,1"), false},
        {"NormPos not numbers", with("NormPos", "a,b,c,d"), false},
        {"NormPos with a trailing word", with("NormPos", "10,20,555,440px"), false},
        {"NormPos too large for a number", with("NormPos", "10,20,99999999999,440"), false},
        {"NormPos inside out", with("NormPos", "555,20,10,440"), false},
        {"NormPos without height", with("NormPos", "10,20,555,20"), false},
        {"NormPos spanning more than an int", with("NormPos", "-2147483648,0,2147483647,10"), true},
        {"ShowCmd missing", with("ShowCmd", ""), false},
        {"ShowCmd zero", with("ShowCmd", "0"), false},
        {"ShowCmd out of range", with("ShowCmd", "4"), false},
        {"ShowCmd a word", with("ShowCmd", "max"), false},
        {"PixelsPerInch missing", with("PixelsPerInch", ""), false},
        {"PixelsPerInch zero", with("PixelsPerInch", "0"), false},
        {"PixelsPerInch a word", with("PixelsPerInch", "high"), false},
        {"another form version", with("FormVersion", "1"), false},
        {"form version not a number", with("FormVersion", "x"), false},
    };
    for (const Row& row : rows) {
        const IniFile ini(Section(row.keys));
        EXPECT_EQ(ReadWindowPlacement(ini, "Window").has_value(), row.usable) << row.name;
        EXPECT_EQ(PlacementToRestore(ini, "Window", 96, kScreen).has_value(), row.usable) << row.name;
    }
}

TEST(WindowPlacement, RestoresThePositionOnlyAtTheSameResolution) {
    const IniFile maximised(Section("ShowCmd=3\nPixelsPerInch=96\nNormPos=10,20,555,440\n"));
    const auto same = PlacementToRestore(maximised, "Window", 96, kScreen);
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(same->normal, (PlacementRect{10, 20, 555, 440}));
    EXPECT_EQ(same->state, WindowShowState::Maximized);

    const auto other = PlacementToRestore(maximised, "Window", 120, kScreen);
    ASSERT_TRUE(other.has_value());
    EXPECT_FALSE(other->normal.has_value());
    EXPECT_EQ(other->state, WindowShowState::Maximized);

    const IniFile minimised(Section("ShowCmd=2\nPixelsPerInch=96\nNormPos=10,20,555,440\n"));
    EXPECT_EQ(PlacementToRestore(minimised, "Window", 96, kScreen)->state, WindowShowState::Normal);

    EXPECT_FALSE(PlacementToRestore(maximised, "Window", 96, PlacementRect{0, 0, 0, 0})->normal.has_value());
}

TEST(WindowPlacement, ClampsIntoTheAvailableArea) {
    struct Row {
        const char* name;
        PlacementRect stored;
        PlacementRect area;
        PlacementRect expected;
    };
    const PlacementRect second{1920, 0, 3200, 1024};  // a second screen right of the first
    const Row rows[] = {
        {"inside stays", {100, 50, 645, 470}, kScreen, {100, 50, 645, 470}},
        {"far right and below moves back", {5000, 4000, 5545, 4420}, kScreen, {479, 348, 1024, 768}},
        {"above and left moves in", {-600, -300, -55, 120}, kScreen, {0, 0, 545, 420}},
        {"larger than the screen shrinks", {-10, -10, 3000, 2000}, kScreen, {0, 0, 1024, 768}},
        {"half off the right edge", {800, 100, 1345, 520}, kScreen, {479, 100, 1024, 520}},
        {"area with an offset", {0, 0, 545, 420}, second, {1920, 0, 2465, 420}},
        {"work area below a panel", {0, 0, 545, 420}, {0, 32, 1024, 768}, {0, 32, 545, 452}},
        {"extreme numbers", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kScreen, kScreen},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ClampToArea(row.stored, row.area), row.expected) << row.name;
    }

    const IniFile far(Section("ShowCmd=1\nPixelsPerInch=96\nNormPos=30000,30000,30545,30420\n"));
    EXPECT_EQ(PlacementToRestore(far, "Window", 96, kScreen)->normal, (PlacementRect{479, 348, 1024, 768}));
}
