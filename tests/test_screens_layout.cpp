// Every window of the front end, as its layout leaves it when loaded: the
// client size, and each control's place, size, visibility, a timer's
// interval, and a label's caption, face, size, style and colours. Compared
// with tests/golden/layouts.txt, written from the layouts as they were
// checked against the designs: a place moved by one twip, a size or a
// colour changed, shows as the lines that differ. Sizes of labels sized to
// their text are left out (they follow the installed fonts). After a deliberate
// change of a layout, the test writes the new listing beside the build for
// review and copying.
#include <fstream>
#include <sstream>

#include "test_screens_support.h"

namespace {

std::string Describe(forms::Form& form) {
    form.Unload();  // as a fresh load leaves it, whatever an earlier test did
    form.Load();
    std::ostringstream out;
    out << "window " << form.Name() << " client " << form.ScaleWidth() << " x " << form.ScaleHeight() << "\n";
    int index = 0;
    for (forms::Control* c : forms::ToolkitAccess::Controls(form)) {
        out << "  " << index++;
        if (auto* timer = dynamic_cast<forms::Timer*>(c)) {
            out << " timer " << timer->Interval() << " ms\n";
            continue;
        }
        out << (dynamic_cast<forms::Label*>(c)        ? " label"
                : dynamic_cast<forms::Frame*>(c)      ? " frame"
                : dynamic_cast<forms::Image*>(c)      ? " image"
                : dynamic_cast<forms::PictureBox*>(c) ? " picture"
                                                      : " control")
            << " at " << c->Left() << ", " << c->Top();
        const auto* label = dynamic_cast<forms::Label*>(c);
        if (!(label && label->style().autosize)) out << " size " << c->Width() << " x " << c->Height();
        out << (c->Visible() ? " shown" : " hidden");
        if (label) {
            const forms::Label::Style& s = label->style();
            out << " \"" << s.caption << "\" " << s.face << " " << s.points << (s.bold ? " bold" : "")
                << (s.italic ? " italic" : "") << (s.autosize ? " autosize" : "") << (s.wordwrap ? " wrap" : "")
                << " align " << static_cast<int>(s.alignment) << " fore " << std::hex << s.fore;
            if (s.transparent)
                out << " transparent";
            else
                out << " back " << s.back;
            out << std::dec;
        }
        out << "\n";
    }
    return out.str();
}

class LayoutTest : public screens_test::ScreensTest {};

TEST_F(LayoutTest, EveryWindowIsLaidOutAsDesigned) {
    std::string listing;
    for (forms::Form* form : std::initializer_list<forms::Form*>{&Form2, &Form1, &Title, &OP, &Hyouka, &Ending})
        listing += Describe(*form);

    const std::string golden_path = std::string(ROOFRIDER_SOURCE_DIR) + "/tests/golden/layouts.txt";
    std::ifstream golden_file(golden_path);
    ASSERT_TRUE(golden_file) << golden_path << " cannot be read";
    std::stringstream golden;
    golden << golden_file.rdbuf();
    if (listing == golden.str()) return;

    std::ofstream("layouts.txt") << listing;
    std::istringstream want(golden.str()), got(listing);
    std::string w, g;
    int line = 0, shown = 0;
    while (shown < 20) {
        const bool more_wanted = static_cast<bool>(std::getline(want, w));
        const bool more_given = static_cast<bool>(std::getline(got, g));
        if (!more_wanted && !more_given) break;
        if (!more_wanted) w = "(nothing)";
        if (!more_given) g = "(nothing)";
        ++line;
        if (w != g) {
            ADD_FAILURE() << "line " << line << ": the design says\n" << w << "\nthe layout gives\n" << g;
            ++shown;
        }
    }
    FAIL() << "the layouts differ from " << golden_path << "; the whole listing is in tests/layouts.txt of the build";
}

}  // namespace
