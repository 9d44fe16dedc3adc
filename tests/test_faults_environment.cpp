// Faults of the machine rather than the files: no sound device, none of
// the fonts the layouts name, no display. The game runs the same without
// sound, draws its texts in another Japanese face or stops with a clear
// message when none can show them, and without a display says so and ends;
// it never aborts.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_DEMO

#include <sstream>
#include <string>
#include <vector>

#include "test_faults_support.h"

namespace {

using faults_test::Ended;
using faults_test::RunDemo;
using faults_test::ScratchDir;
using faults_test::ScriptFixture;

std::string RealProgram() { return std::string(ROOFRIDER_GAME_DIR) + "/roofrider"; }

int LinesWith(const std::string& text, const std::string& part) {
    std::istringstream in(text);
    int n = 0;
    for (std::string line; std::getline(in, line);) n += line.find(part) != std::string::npos;
    return n;
}

TEST(Environment, WithoutASoundDeviceThePlayIsTheSameAndSaysSoOnce) {
    ScratchDir scratch("no-audio");
    const std::string script = ScriptFixture("faults-play.txt");
    const Ended with_sound = RunDemo({script, "--trace", (scratch / "with.csv").string()});
    ASSERT_EQ(with_sound.exit_code, 0) << with_sound.Describe();
    const Ended without = RunDemo({script, "--trace", (scratch / "without.csv").string(), "--audio-driver",
                                   "no-such-driver"});
    EXPECT_TRUE(without.EndedCleanly()) << without.Describe();
    EXPECT_EQ(without.Outcome(), with_sound.Outcome());
    EXPECT_TRUE(faults_test::ReadText(scratch / "without.csv") == faults_test::ReadText(scratch / "with.csv"))
        << "the traces differ";
    EXPECT_EQ(LinesWith(without.err, "running silent"), 1) << without.err;
    EXPECT_EQ(LinesWith(with_sound.err, "running silent"), 0) << with_sound.err;
}

// A fontconfig setup of its own: the given font folders only, an own
// cache, and scan-time renames of families (so that a face of the alias
// table can be installed under another name).
std::string FontSetup(const ScratchDir& scratch, const std::string& name, const std::vector<std::string>& dirs,
                      const std::vector<std::pair<std::string, std::string>>& renames = {}) {
    std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n";
    for (const std::string& d : dirs) xml += "  <dir>" + d + "</dir>\n";
    xml += "  <cachedir>" + (scratch / ("cache-" + name)).string() + "</cachedir>\n";
    for (const auto& [from, to] : renames)
        xml += "  <match target=\"scan\"><test name=\"family\"><string>" + from +
               "</string></test><edit name=\"family\" mode=\"assign_replace\"><string>" + to +
               "</string></edit></match>\n";
    xml += "</fontconfig>\n";
    const std::string path = (scratch / (name + ".conf")).string();
    faults_test::WriteBytes(path, std::vector<unsigned char>(xml.begin(), xml.end()));
    return path;
}

TEST(Environment, WithoutTheFontsOfTheLayoutsAnotherJapaneseFaceDrawsOrTheProgramSaysWhy) {
    ScratchDir scratch("fonts");
    const std::string mincho_dir = "/usr/share/fonts/opentype/ipafont-mincho";
    if (!std::filesystem::exists(mincho_dir + "/ipam.ttf")) GTEST_SKIP() << "fonts-ipafont-mincho is not installed";
    const std::string script = ScriptFixture("options-esc.txt");
    const Ended normal = RunDemo({script});
    ASSERT_EQ(normal.exit_code, 0) << normal.Describe();

    // Only a Japanese face that the alias table does not name: every text
    // of the front end is drawn in it, and the run is the same.
    const std::string other = FontSetup(scratch, "other-japanese", {mincho_dir},
                                        {{"IPAMincho", "Other Mincho"}, {"IPAPMincho", "Other PMincho"}});
    const Ended fallback = RunDemo({script}, {{"FONTCONFIG_FILE", other}});
    EXPECT_TRUE(fallback.EndedCleanly()) << fallback.Describe();
    EXPECT_EQ(fallback.Outcome(), normal.Outcome()) << fallback.Describe();

    // Only Latin faces, or no fonts at all: the first text that cannot be
    // shown stops the program with a message that says so.
    const std::string latin = FontSetup(scratch, "latin", {"/usr/share/fonts/truetype/dejavu"});
    const std::string none = FontSetup(scratch, "none", {});
    for (const std::string& setup : {latin, none}) {
        const Ended run = RunDemo({script}, {{"FONTCONFIG_FILE", setup}});
        EXPECT_TRUE(run.EndedCleanly()) << run.Describe();
        EXPECT_EQ(run.exit_code, 1) << run.Describe();
        EXPECT_NE(run.LastLine().find("no installed font can show the text"), std::string::npos) << run.Describe();
        EXPECT_NE(run.LastLine().find("fonts-ipafont-gothic"), std::string::npos) << run.Describe();
    }

    // The real program: its message box cannot be drawn either, so the
    // message stays on standard error, and the program ends with status 1
    // rather than an abort.
    const Ended real = faults_test::Spawn(
        RealProgram(), {}, {{"FONTCONFIG_FILE", none}, {"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}},
        60);
    EXPECT_TRUE(real.EndedCleanly()) << real.Describe();
    EXPECT_EQ(real.exit_code, 1) << real.Describe();
    EXPECT_NE(real.err.find("roofrider: no installed font can show the text"), std::string::npos) << real.Describe();
    EXPECT_NE(real.err.find("the message could not be shown in a window"), std::string::npos) << real.Describe();
}

TEST(Environment, WithoutADisplayTheRealProgramSaysSoAndEnds) {
    // A driver that does not exist, and a desktop that is not there: SDL
    // would fall back to a driver that shows nothing (the list keeps the
    // device's own console out of this test).
    for (const std::string& drivers : {std::string("no-such-driver"), std::string("x11,wayland,offscreen")}) {
        const Ended run = faults_test::Spawn(RealProgram(), {},
                                             {{"SDL_VIDEODRIVER", drivers},
                                              {"DISPLAY", ""},
                                              {"WAYLAND_DISPLAY", ""},
                                              {"XDG_RUNTIME_DIR", ""},
                                              {"SDL_AUDIODRIVER", "dummy"}},
                                             60);
        EXPECT_TRUE(run.EndedCleanly()) << drivers << "\n" << run.Describe();
        EXPECT_EQ(run.exit_code, 1) << drivers << "\n" << run.Describe();
        EXPECT_NE(run.err.find("roofrider: no display to show the windows on"), std::string::npos) << drivers << "\n"
                                                                                          << run.Describe();
        EXPECT_EQ(LinesWith(run.err, "roofrider:"), 1) << run.Describe();
    }
}

}  // namespace

#endif  // ROOFRIDER_DEMO
