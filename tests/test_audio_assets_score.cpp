// How the generator writes music: note and chord names, voice leading, the
// bar check that keeps a miscounted line from shifting a piece, and the
// four pieces' harmony (their tunes sit on their chords).
#include <gtest/gtest.h>

#include <stdexcept>

#include "arrange.h"
#include "midi_file.h"
#include "pieces.h"
#include "platform/audio_backend.h"
#include "score.h"
#include "test_audio_assets.h"

namespace {

using namespace audiogen;

TEST(AudioScore, ReadsNotesAndChords) {
    EXPECT_EQ(PitchOf("C4"), 60);
    EXPECT_EQ(PitchOf("A4"), 69);
    EXPECT_EQ(PitchOf("Bb3"), 58);
    EXPECT_EQ(PitchOf("B#4"), 72);
    EXPECT_EQ(PitchOf("Cb5"), 71);
    EXPECT_THROW(PitchOf("H4"), std::invalid_argument);
    EXPECT_THROW(PitchOf("C"), std::invalid_argument);

    const Chord slash = ParseChord("A/C#");
    EXPECT_EQ(slash.root, 9);
    EXPECT_EQ(slash.bass, 1);
    EXPECT_TRUE(slash.Contains(PitchOf("E2")));
    EXPECT_FALSE(slash.Contains(PitchOf("D5")));
    EXPECT_EQ(ParseChord("F#m7").PitchClasses(), (std::vector<int>{6, 9, 1, 4}));
    EXPECT_THROW(ParseChord("Cwhat"), std::invalid_argument);

    const auto bars = ParseProgression("C | F G", 0, 1920);
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[1].tick, 1920);
    EXPECT_EQ(bars[2].tick, 2880);
    EXPECT_EQ(bars[2].length, 960);
}

TEST(AudioScore, MovesByScaleStepsAndLeadsVoicesSmoothly) {
    EXPECT_EQ(DiatonicShift(PitchOf("E5"), -2, 0), PitchOf("C5"));
    EXPECT_EQ(DiatonicShift(PitchOf("C6"), -2, 0), PitchOf("A5"));
    EXPECT_EQ(DiatonicShift(PitchOf("F5"), -2, 0), PitchOf("D5"));
    EXPECT_EQ(DiatonicShift(PitchOf("Bb4"), 2, 5), PitchOf("D5"));  // in F

    const auto c = VoiceChord(ParseChord("C"), 55, 74, {});
    const auto f = VoiceChord(ParseChord("F"), 55, 74, c);
    ASSERT_EQ(c.size(), 3u);
    ASSERT_EQ(f.size(), 3u);
    int moved = 0;
    for (std::size_t i = 0; i < 3; ++i) moved += std::abs(f[i] - c[i]);
    EXPECT_LE(moved, 4);  // C E G → C F A: two voices step up
    for (int p : f) EXPECT_TRUE(p >= 55 && p <= 74);
}

TEST(AudioScore, ALineMustFillItsBars) {
    Piece p;
    p.title = "test";
    AddSection(p, "A", "C | G");
    p.parts.push_back({"lead", 0, 80, 100, 64, 40, 0, {}, {}});
    EXPECT_THROW(AddBars(p.parts[0], p, 0, 2, "C5/16 G5/8", 90), std::invalid_argument);
    AddBars(p.parts[0], p, 0, 2, "C5/16 G5/8 r/4 D5/2. B4/2-", 90);
    ASSERT_EQ(p.parts[0].notes.size(), 4u);
    EXPECT_EQ(p.parts[0].notes[2].tick, 1920 + 1440);
    EXPECT_EQ(p.parts[0].notes[2].length, 120);  // staccato: half its length
    EXPECT_EQ(p.parts[0].notes[3].length, 240);  // held: all of it
}

TEST(AudioScore, TidyEndsANoteWhenItsPitchStrikesAgain) {
    Part part;
    part.notes = {{0, 960, 60, 90}, {480, 960, 60, 90}, {1800, 480, 64, 90}};
    Tidy(part, 1920);
    ASSERT_EQ(part.notes.size(), 3u);
    EXPECT_EQ(part.notes[0].length, 480);
    EXPECT_EQ(part.notes[2].length, 120);  // cut at the end
}

TEST(AudioScore, EveryPieceIsInTuneWithItsChords) {
    struct Case {
        Piece piece;
        const char* melody;
    };
    const Case cases[] = {{ComposePlayField(), "lead"},
                          {ComposeStory(), "vibes"},
                          {ComposeTitle(), "trumpet"},
                          {ComposeStaffRoll(), "violins"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.piece.title);
        EXPECT_GE(ChordToneShare(c.piece, c.melody), 0.8);
        // Sections cover the piece without gaps.
        int bar = 0;
        for (const Section& s : c.piece.sections) {
            EXPECT_EQ(s.first_bar, bar);
            bar += s.bars;
        }
        EXPECT_EQ(bar, c.piece.bars);
        // Written as a file, the piece lasts exactly its bars.
        std::string reason;
        auto us = winmm::MidiLengthUs(WriteMidi(c.piece), &reason);
        ASSERT_TRUE(us.has_value()) << reason;
        EXPECT_NEAR(static_cast<double>(*us) / 1e6, c.piece.LengthSeconds(), 0.001);
    }
}

TEST(AudioScore, TheBassLeadsIntoTheNextBarAndRoundTheLoop) {
    Piece p;
    p.title = "loop";
    AddSection(p, "A", "C | G7");
    p.parts.push_back({"bass", 2, 36, 100, 64, 0, 0, {}, {}});
    AddBass(p.parts[0], p, 0, p.EndTick(), "R.......F......A", 36, 90);
    const auto& n = p.parts[0].notes;
    ASSERT_EQ(n.size(), 6u);
    EXPECT_EQ(n[0].pitch, PitchOf("C2"));
    EXPECT_EQ(n[1].pitch, PitchOf("G2"));
    EXPECT_EQ(n[2].pitch, PitchOf("F#2"));  // into G
    EXPECT_EQ(n[3].pitch, PitchOf("G2"));
    EXPECT_EQ(n[5].pitch, PitchOf("B2"));  // round the loop into C
}

TEST(AudioScore, WritesEveryTrackToTheSameEnd) {
    const auto bytes = WriteMidi(ComposeStory());
    const auto m = audio_assets_test::ParseMidi(bytes);
    ASSERT_TRUE(m.ok) << m.problem;
    for (const auto& t : m.tracks) EXPECT_EQ(t.end_tick, m.tracks[0].end_tick);
    const auto longer = audio_assets_test::ParseMidi(WriteMidi(ComposeStory(), m.tracks[0].end_tick + 480));
    EXPECT_EQ(longer.tracks[1].end_tick, m.tracks[0].end_tick + 480);
}

}  // namespace
