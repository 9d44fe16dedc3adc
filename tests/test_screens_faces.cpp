// The front end's texts are drawn in the faces their layouts name (the
// installed stand-ins), never in the fallback face or as empty boxes, and
// the labels that are not sized to their text hold it whole.
#include "core/game_window.h"
#include "test_screens_support.h"

namespace {

std::vector<forms::Label*> LabelsOf(forms::Form& form) {
    form.Load();
    std::vector<forms::Label*> labels;
    for (forms::Control* c : forms::ToolkitAccess::Controls(form))
        if (auto* label = dynamic_cast<forms::Label*>(c)) labels.push_back(label);
    return labels;
}

class FacesTest : public screens_test::ScreensTest {
protected:
    void SetUp() override {
        ScreensTest::SetUp();
        PlaceLateWindows();
    }
    // Every caption of the window in its own face; with fit, every label
    // also at least as large as its text.
    void ExpectShownWhole(forms::Form& form) {
        for (forms::Label* label : LabelsOf(form)) {
            const forms::Label::Style& s = label->style();
            EXPECT_FALSE(s.face.empty()) << form.Name() << ": \"" << s.caption << "\"";
            EXPECT_TRUE(forms::FaceCovers(s.face, s.caption))
                << form.Name() << ": \"" << s.caption << "\" in " << s.face;
        }
    }
};

TEST_F(FacesTest, EveryCaptionOfEveryWindowIsInItsOwnFace) {
    for (forms::Form* form : std::initializer_list<forms::Form*>{&Title, &OP, &Hyouka, &Ending})
        ExpectShownWhole(*form);
    EXPECT_EQ(LabelsOf(Ending).size(), 13u);
    EXPECT_EQ(LabelsOf(Hyouka).size(), 12u);
    // The windows' titles, as a window manager shows them.
    const std::pair<forms::Form*, const char*> titles[] = {
        {&Form2, "Opning"}, {&Form1, ""},        {&Title, "Title"},       {&OP, "OP"},
        {&Hyouka, "Form1"}, {&Ending, "Ending"}, {&Game, "Roof Rider"}};
    for (const auto& [form, title] : titles) {
        form->Load();
        EXPECT_EQ(form->Caption(), title) << form->Name();
    }
    Game.Unload();
}

TEST_F(FacesTest, TheStoryAndTheLaterTextsAreInTheirFaces) {
    Form1.Load();
    for (const std::string& line : Form1.StoryLines)
        EXPECT_TRUE(forms::FaceCovers("HG創英角ﾎﾟｯﾌﾟ体", line)) << line;
    for (int32_t score : {0, 4000, 6000, 8000, 10000})
        EXPECT_TRUE(forms::FaceCovers("ＭＳ Ｐゴシック", RankFor(score))) << RankFor(score);
    for (const char* help : {"ライフの設定をします", "音の設定をします", "戻ります"})
        EXPECT_TRUE(forms::FaceCovers("HGS創英角ﾎﾟｯﾌﾟ体", help)) << help;
}

// Labels with a fixed designed box must show their text whole in the faces
// that stand in: the boxes were measured for other fonts.
TEST_F(FacesTest, FixedBoxesHoldTheirText) {
    struct Box {
        forms::Label* label;
        const char* text;
    };
    std::vector<Box> boxes;
    for (int i = 0; i < 4; ++i) boxes.push_back({&Title.Label1[i], nullptr});
    for (int i = 0; i < 4; ++i) boxes.push_back({&OP.Label1[i], nullptr});
    for (int i = 0; i < 3; ++i) boxes.push_back({&OP.Label3[i], nullptr});
    for (int i = 0; i < 3; ++i) boxes.push_back({&OP.Label4[i], nullptr});
    for (int i = 0; i < 2; ++i) boxes.push_back({&OP.Label2[i], nullptr});
    boxes.push_back({&OP.Label5, "ゲームのレベルを変更します"});
    for (int j = 0; j < 6; ++j) boxes.push_back({&Ending.Ob[j], nullptr});
    boxes.push_back({&Ending.Label1, nullptr});
    for (forms::Label* l : {&Hyouka.Label1, &Hyouka.Label2, &Hyouka.Label7, &Hyouka.Label10,
                            &Hyouka.Label11})
        boxes.push_back({l, nullptr});

    // A probe window measures each text in the label's own font.
    class Probe : public forms::Form {
    public:
        Probe() : forms::Form("Probe") {}
        void Layout() override {}
        forms::Label text{this};
    } probe;
    for (const Box& box : boxes) {
        const forms::Label::Style& s = box.label->style();
        probe.text.SetFont(s.face, s.points, s.bold, s.italic);
        probe.text.SetAutoSize(true);
        probe.text.SetCaption(box.text ? box.text : s.caption);
        EXPECT_LE(probe.text.Width(), box.label->Width()) << s.caption;
        EXPECT_LE(probe.text.Height(), box.label->Height()) << s.caption;
    }
    probe.Unload();
}

}  // namespace
