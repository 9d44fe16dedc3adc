// Fonts: every text the program shows has every glyph, drawn and not
// blank, in the face its layout names; faces map through our alias table;
// a face that is missing or lacks a glyph gives way to a Japanese face that
// has it, and a text no font can show is an error, never tofu.
#include <string>
#include <vector>

#include "platform/forms_fonts.h"
#include "test_forms_support.h"

namespace {

using forms_test::FormsTest;

struct Shown {
    const char* text;
    const char* face;
    double points;
    bool bold, italic;
};

constexpr const char* kGothic = "ＭＳ Ｐゴシック";
constexpr const char* kMincho = "ＭＳ Ｐ明朝";
constexpr const char* kPop = "HG創英角ﾎﾟｯﾌﾟ体";
constexpr const char* kPopS = "HGS創英角ﾎﾟｯﾌﾟ体";
constexpr const char* kBrush = "HG行書体";

const std::vector<Shown>& EveryText() {
    static const std::vector<Shown> texts = {
        // The story, printed in the story window's font.
        {"ある敏腕プロデューサー（♂）が", kPop, 14.25, true, false},
        {"TVでモデルを募集した...", kPop, 14.25, true, false},
        {"Q：どういう男性を募集しますか？", kPop, 14.25, true, false},
        {"「ファンキーな男が大好きです（はぁと）", kPop, 14.25, true, false},
        {"ビルからビルに飛び移るような（ぉ）", kPop, 14.25, true, false},
        {"まぁありえないですけどね（謎）", kPop, 14.25, true, false},
        {"もしそんなミラクルくるくるBOYが居たら", kPop, 14.25, true, false},
        {"わたくしのペット...じゃなくって♪（ｷﾓｲ）", kPop, 14.25, true, false},
        {"トップモデルにしてあげますわん♪（怪）", kPop, 14.25, true, false},
        {"たくさんのご応募待ってるわーん♪(萌)", kPop, 14.25, true, false},
        {"(｀□´)　以上である!(爆)」", kPop, 14.25, true, false},
        {"これを見たもるぺは決心した", kPop, 14.25, true, false},
        {"モデルって（・∀・）ｲｲna!!", kPop, 14.25, true, false},
        {"スケボーやったら飛べそうや！", kPop, 14.25, true, false},
        {"いっちょやりまっかのー♪", kPop, 14.25, true, false},
        // The title menu and the options menu.
        {"New Game", "Georgia", 14.25, true, true},
        {"Load Game", "Georgia", 14.25, true, true},
        {"Option", "Georgia", 14.25, true, true},
        {"Exit", "Georgia", 14.25, true, true},
        {"Game Level", "Georgia", 12, true, true},
        {"Life Points", "Georgia", 12, true, true},
        {"Sound", "Georgia", 12, true, true},
        {"Back", "Georgia", 12, true, true},
        {"EASY", "", 9, false, false},
        {"NORMAL", "", 9, false, false},
        {"HARD", "", 9, false, false},
        {"×２", "", 9, false, false},
        {"×４", "", 9, false, false},
        {"×８", "", 9, false, false},
        {"ステレオ", "", 9, false, false},
        {"モノラル", "", 9, false, false},
        {"ゲームのレベルを変更します", kPopS, 12, false, true},
        {"ライフの設定をします", kPopS, 12, false, true},
        {"音の設定をします", kPopS, 12, false, true},
        {"戻ります", kPopS, 12, false, true},
        // Message boxes.
        {"そんなんないわ！", kGothic, 9, false, false},
        {"EASYに設定しました", kGothic, 9, false, false},
        {"NORMALに設定しました", kGothic, 9, false, false},
        {"HARDに設定しました", kGothic, 9, false, false},
        {"ライフを×２に設定しました", kGothic, 9, false, false},
        {"ライフを×４に設定しました", kGothic, 9, false, false},
        {"ライフを×８に設定しました", kGothic, 9, false, false},
        {"ステレオに設定しました", kGothic, 9, false, false},
        {"モノラルに設定しました", kGothic, 9, false, false},
        {"OK", kGothic, 9, false, false},
        // The evaluation.
        {"総合評価", kGothic, 48, false, false},
        {"タ イ ム", kGothic, 24, false, false},
        {"得    点", kGothic, 24, false, false},
        {"ラ ン ク", kGothic, 27.75, false, false},
        {"分", kGothic, 24, false, false},
        {"秒", kGothic, 24, false, false},
        {"点", kGothic, 24, false, false},
        {"Label6", kGothic, 24, false, false},
        {"Label5", kGothic, 24, false, false},
        {"0123456789-", kGothic, 24, false, false},
        {"村人A", kGothic, 24, false, false},
        {"ただのナルシスト", kGothic, 24, false, false},
        {"普通のモデル", kGothic, 24, false, false},
        {"トップモデル", kGothic, 24, false, false},
        {"デルモマスター", kGothic, 24, false, false},
        // The staff roll.
        {"メインプログラマー", kBrush, 14.25, true, true},
        {"ディレクター", kBrush, 14.25, true, true},
        {"シナリオライター", kBrush, 14.25, true, true},
        {"メインデザイナー", kBrush, 14.25, true, true},
        {"メインキャラクター", kBrush, 14.25, true, true},
        {"PRESENTED BY", kBrush, 14.25, true, true},
        {"TOMBELIX", kMincho, 12, false, false},
        {"おわり", kPop, 18, true, false},
        // Captions of the windows, in the caption bars of screenshots.
        {"Title OP Opning Form1 Ending Roof Rider", "", 9, true, false},
    };
    return texts;
}

// Pixels the text colours when drawn on a cleared surface.
int InkOf(const forms::FontChoice& choice, const std::string& text) {
    SDL_Surface* s = forms::NewSurface(2000, 200);
    forms::Fill(s, nullptr, forms::kBlack);
    forms::fonts::Draw(s, 0, 0, choice, text, forms::kWhite);
    int ink = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if ((reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch)[x] &
                 0xFFFFFF) != 0)
                ++ink;
    SDL_FreeSurface(s);
    return ink;
}

TEST_F(FormsTest, EveryTextOfTheProgramHasEveryGlyphInTheFaceItsLayoutNames) {
    for (const Shown& t : EveryText()) {
        SCOPED_TRACE(std::string(t.text) + " in " + t.face);
        forms::fonts::Match match;
        ASSERT_TRUE(forms::fonts::Find(t.face, t.bold, t.italic, &match));
        EXPECT_TRUE(forms::fonts::Covers(match, t.text));
        EXPECT_TRUE(forms::FaceCovers(t.face, t.text));
        // Drawn in that very face (no stand-in), and something is drawn.
        const forms::FontChoice choice{t.face, t.points, t.bold, t.italic};
        EXPECT_GT(InkOf(choice, t.text), 0);
        EXPECT_GT(forms::fonts::Measure(choice, t.text).x, 0);
    }
}

TEST_F(FormsTest, TheLayoutsFacesMapToTheirStandIns) {
    EXPECT_NE(forms::FontFileFor("ＭＳ Ｐゴシック", false, false).find("ipagp"), std::string::npos);
    EXPECT_NE(forms::FontFileFor("ＭＳ Ｐ明朝", false, false).find("ipamp"), std::string::npos);
    EXPECT_NE(forms::FontFileFor("HG行書体", true, true).find("gyosho"), std::string::npos);
    EXPECT_NE(forms::FontFileFor("HG創英角ﾎﾟｯﾌﾟ体", true, false).find("RocknRoll"), std::string::npos);
    EXPECT_NE(forms::FontFileFor("HGS創英角ﾎﾟｯﾌﾟ体", false, true).find("RocknRoll"), std::string::npos);
    EXPECT_NE(forms::FontFileFor("Georgia", false, false).find("DejaVuSerif.ttf"), std::string::npos);
    // A family with the real style uses it; one without has it drawn.
    EXPECT_NE(forms::FontFileFor("Georgia", true, true).find("DejaVuSerif-BoldItalic"), std::string::npos);
    forms::fonts::Match brush;
    ASSERT_TRUE(forms::fonts::Find("HG行書体", true, true, &brush));
    EXPECT_TRUE(brush.synth_bold);
    EXPECT_TRUE(brush.synth_italic);
    forms::fonts::Match serif;
    ASSERT_TRUE(forms::fonts::Find("Georgia", true, true, &serif));
    EXPECT_FALSE(serif.synth_bold || serif.synth_italic);
}

TEST_F(FormsTest, AFaceThatCannotShowATextGivesWayToAJapaneseFace) {
    const forms::FontChoice gothic{"ＭＳ Ｐゴシック", 24, false, false};
    // Not installed at all: the stand-in's file, and the text is drawn.
    EXPECT_FALSE(forms::FaceCovers("No Such Face", "abc"));
    EXPECT_EQ(forms::FontFileFor("No Such Face", false, false), forms::FontFileFor("ＭＳ Ｐゴシック", false, false));
    EXPECT_EQ(forms::fonts::FontFor({"No Such Face", 24, false, false}, "得点"), forms::fonts::FontFor(gothic, "得点"));
    // Installed but without the glyphs: the serif face has no kanji.
    EXPECT_FALSE(forms::FaceCovers("Georgia", "総合評価"));
    EXPECT_EQ(forms::fonts::FontFor({"Georgia", 24, false, false}, "総合評価"), forms::fonts::FontFor(gothic, "総合評価"));
    EXPECT_GT(InkOf({"Georgia", 24, false, false}, "総合評価"), 0);
    // A character no installed font has is an error, not a box.
    const std::string unassigned = "\xF3\xBF\xBF\xBD";  // U+FFFFD, private use
    EXPECT_THROW(forms::fonts::FontFor(gothic, "A" + unassigned), forms::Error);
}

TEST_F(FormsTest, BlankGlyphsDoNotCountAsCovered) {
    // White space is expected to be blank; a visible character is not.
    EXPECT_TRUE(forms::FaceCovers("ＭＳ Ｐゴシック", "　 "));
    EXPECT_FALSE(forms::FaceCovers("Georgia", "\xEF\xBF\xBF"));  // U+FFFF, a non-character
    EXPECT_EQ(forms::fonts::Decode("a\xE3\x81\x82\xFF"), (std::u32string{U'a', 0x3042, 0xFFFD}));
}

}  // namespace
