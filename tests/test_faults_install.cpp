// The installed game: cmake --install of this build into a fresh prefix
// gives the program with its asset folders, the launcher, the desktop entry,
// the icons, the metainfo and the manual page; the installed runner plays a
// script headless and tells the version, and the launcher starts the
// installed program. (The Debian package's folders are checked on the
// package itself, by scripts/package_check.sh.)
#include <gtest/gtest.h>

#if defined(ROOFRIDER_DEMO) && defined(ROOFRIDER_CMAKE_COMMAND)

#include <sys/stat.h>

#include <string>

#include "test_faults_support.h"

namespace {

namespace fs = std::filesystem;
using faults_test::Ended;
using faults_test::ScratchDir;

bool IsExecutable(const fs::path& p) {
    struct stat st {};
    return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR);
}

uint32_t BigEndian32(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<uint32_t>(b.at(at)) << 24 | static_cast<uint32_t>(b.at(at + 1)) << 16 |
           static_cast<uint32_t>(b.at(at + 2)) << 8 | b.at(at + 3);
}

TEST(Install, ThePrefixHoldsARunnableGameWithItsLauncherEntryIconsMetainfoAndManual) {
    ScratchDir scratch("install");
    const fs::path prefix = scratch / "prefix with a blank";
    const Ended install = faults_test::Spawn(
        ROOFRIDER_CMAKE_COMMAND, {"--install", ROOFRIDER_BINARY_DIR, "--prefix", prefix.string()}, {}, 300);
    ASSERT_EQ(install.exit_code, 0) << install.Describe();

    const fs::path game = prefix / "lib" / "roofrider";
    EXPECT_TRUE(IsExecutable(game / "roofrider"));
    EXPECT_TRUE(IsExecutable(game / "roofrider-demo"));
    for (const char* file : {"bmp/chara.bmp", "bmp/back(1).bmp", "sound/bgm1.mid", "sound/end01.wav",
                             "soundeffect/kettei2.mp3", "data/biru.dat", "data/item.dat"})
        EXPECT_EQ(fs::file_size(game / file), fs::file_size(fs::path(ROOFRIDER_GAME_DIR) / file)) << file;

    // The installed runner plays from the installed folder.
    const Ended run = faults_test::Spawn((game / "roofrider-demo").string(),
                                         {faults_test::ScriptFixture("story-esc.txt")});
    EXPECT_EQ(run.exit_code, 0) << run.Describe();
    EXPECT_EQ(run.LastLine(), "ended: Form1 ended the program (End)") << run.Describe();
    const Ended version = faults_test::Spawn((game / "roofrider-demo").string(), {"--version"});
    EXPECT_EQ(version.exit_code, 0) << version.Describe();
    EXPECT_EQ(version.out, "roofrider-demo " ROOFRIDER_VERSION "\n") << version.Describe();

    // The launcher execs the installed program: without a display it is
    // the program's own message that comes back.
    const fs::path launcher = prefix / "bin" / "roofrider";
    ASSERT_TRUE(IsExecutable(launcher));
    EXPECT_EQ(faults_test::ReadText(launcher).rfind("#!/bin/sh\n", 0), 0u);
    const Ended started = faults_test::Spawn(
        launcher.string(), {}, {{"SDL_VIDEODRIVER", "no-such-driver"}, {"SDL_AUDIODRIVER", "dummy"}}, 60);
    EXPECT_EQ(started.exit_code, 1) << started.Describe();
    EXPECT_NE(started.err.find("roofrider: no display to show the windows on"), std::string::npos)
        << started.Describe();

    const std::string entry = faults_test::ReadText(prefix / "share" / "applications" / "roofrider.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    for (const std::string& line : {std::string("Type=Application\n"), std::string("Name=Roof Rider\n"),
                                    std::string("Icon=roofrider\n"), std::string("Terminal=false\n"),
                                    "Exec=\"" + launcher.string() + "\"\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line << " in\n" << entry;

    // A PNG of each size the icon theme asks for.
    for (uint32_t size : {48u, 64u, 128u, 256u}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const std::vector<unsigned char> icon =
            faults_test::ReadBytes(prefix / "share" / "icons" / "hicolor" / folder / "apps" / "roofrider.png");
        ASSERT_GT(icon.size(), 24u) << folder;
        EXPECT_EQ(std::string(icon.begin() + 1, icon.begin() + 4), "PNG") << folder;
        EXPECT_EQ(std::string(icon.begin() + 12, icon.begin() + 16), "IHDR") << folder;
        EXPECT_EQ(BigEndian32(icon, 16), size) << folder;
        EXPECT_EQ(BigEndian32(icon, 20), size) << folder;
    }

    // The metainfo and the manual page carry the version; the manual names
    // the installed folders (a hyphen is "\-" in roff).
    const std::string metainfo =
        faults_test::ReadText(prefix / "share" / "metainfo" / (ROOFRIDER_APP_ID ".metainfo.xml"));
    EXPECT_NE(metainfo.find("<release version=\"" ROOFRIDER_VERSION "\""), std::string::npos) << metainfo;
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">roofrider.desktop</launchable>"), std::string::npos);
    const std::string manual = faults_test::ReadText(prefix / "share" / "man" / "man6" / "roofrider.6");
    EXPECT_NE(manual.find("\"Roof Rider " ROOFRIDER_VERSION "\""), std::string::npos) << manual;
    std::string game_in_roff;
    for (char c : game.string()) game_in_roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(".I " + game_in_roff + "/roofrider\n"), std::string::npos) << game_in_roff << " in\n"
                                                                                      << manual;
}

}  // namespace

#endif
