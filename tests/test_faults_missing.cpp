// Faults: every asset file missing, one at a time, in a run of the whole
// program through the runner. A picture or a level file stops the program
// with an error naming the file; a sound is only not heard (the beep or
// silence instead) and the run goes on exactly as with it. Nothing ever
// crashes.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_DEMO

#include <string>
#include <vector>

#include "test_faults_support.h"

namespace {

using faults_test::AssetCopy;
using faults_test::Ended;
using faults_test::RunDemo;
using faults_test::ScratchDir;
using faults_test::ScriptFixture;

// The name the program gives a file of the copy: "bmp\kumo.bmp".
std::string ProgramName(const std::string& relative) {
    std::string name = relative;
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

void ExpectStoppedNaming(const Ended& run, const std::string& relative) {
    EXPECT_TRUE(run.EndedCleanly()) << relative << "\n" << run.Describe();
    EXPECT_EQ(run.exit_code, 1) << relative << "\n" << run.Describe();
    EXPECT_EQ(run.LastLine().rfind("ended: error: ", 0), 0u) << relative << "\n" << run.Describe();
    EXPECT_NE(run.LastLine().find(ProgramName(relative)), std::string::npos) << run.Describe();
    EXPECT_NE(run.err.find(ProgramName(relative)), std::string::npos) << run.Describe();
}

TEST(MissingFiles, EachPictureStopsTheProgramWithAnErrorNamingIt) {
    AssetCopy assets;
    const std::string script = ScriptFixture("faults-start.txt");
    const Ended whole = RunDemo({script, "--assets", assets.Dir()});
    ASSERT_EQ(whole.exit_code, 0) << whole.Describe();

    const std::vector<std::string> pictures = assets.FilesOf("bmp");
    ASSERT_EQ(pictures.size(), 13u) << "ten sheets and the title's three pictures";
    for (const std::string& picture : pictures) {
        assets.Remove(picture);
        ExpectStoppedNaming(RunDemo({script, "--assets", assets.Dir()}), picture);
        assets.Restore(picture);
    }
}

TEST(MissingFiles, EachLevelFileStopsTheProgramWithAnErrorNamingIt) {
    AssetCopy assets;
    for (const std::string table : {"data/biru.dat", "data/item.dat"}) {
        assets.Remove(table);
        const Ended run = RunDemo({ScriptFixture("faults-start.txt"), "--assets", assets.Dir()});
        ExpectStoppedNaming(run, table);
        EXPECT_NE(run.Outcome().find("summary: 0 frames, 0 ms"), std::string::npos) << "before any window";
        assets.Restore(table);
    }
}

// A missing sound leaves everything else as it was: the same passes of the
// play in the trace, the same ending at the same time; the file is named
// once on standard error.
void ExpectSameRunWithout(AssetCopy& assets, const std::string& script, const std::vector<std::string>& sounds) {
    ScratchDir scratch("missing-sounds");
    const std::string trace = (scratch / "whole.csv").string();
    const Ended whole = RunDemo({script, "--assets", assets.Dir(), "--trace", trace});
    ASSERT_EQ(whole.exit_code, 0) << whole.Describe();
    const std::string whole_trace = faults_test::ReadText(trace);

    for (const std::string& sound : sounds) {
        assets.Remove(sound);
        const std::string without = (scratch / "without.csv").string();
        const Ended run = RunDemo({script, "--assets", assets.Dir(), "--trace", without});
        EXPECT_TRUE(run.EndedCleanly()) << sound << "\n" << run.Describe();
        EXPECT_EQ(run.Outcome(), whole.Outcome()) << sound;
        EXPECT_TRUE(faults_test::ReadText(without) == whole_trace) << sound << ": the trace differs";
        const std::string named = "sound file " + ProgramName(assets.Dir() + "/" + sound) + ": not found";
        EXPECT_NE(run.err.find(named), std::string::npos) << sound << "\n" << run.Describe();
        EXPECT_EQ(run.err.find(named), run.err.rfind(named)) << "named once";
        assets.Restore(sound);
    }
}

TEST(MissingFiles, EachSoundOfTheFrontEndIsOnlyNotHeard) {
    AssetCopy assets;
    // The story's music, the title's tune and menu sounds, the options' rows.
    ExpectSameRunWithout(assets, ScriptFixture("options-esc.txt"),
                         {"sound/psmat045.mid", "sound/opening.wav", "sound/idou.wav", "sound/kettei.wav",
                          "soundeffect/idou.mp3", "soundeffect/kettei2.mp3"});
}

TEST(MissingFiles, EachSoundOfThePlayIsOnlyNotHeard) {
    AssetCopy assets;
    ExpectSameRunWithout(assets, ScriptFixture("faults-play.txt"),
                         {"sound/bgm1.mid", "sound/go.wav", "sound/jump1.wav", "sound/jump2.wav",
                          "sound/jump3.wav", "sound/bust.wav", "sound/laserbom.wav"});
}

}  // namespace

#endif  // ROOFRIDER_DEMO
