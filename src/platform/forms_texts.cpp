// The texts a window shows, for the runner's reports and for tests.
#include "platform/forms.h"
#include "platform/forms_internal.h"

namespace forms {

std::vector<std::string> VisibleTexts(Form& form) {
    std::vector<std::string> texts;
    if (!form.IsLoaded()) return texts;
    for (Control* control : ToolkitAccess::Controls(form)) {
        auto* label = dynamic_cast<Label*>(control);
        if (!label || !label->Visible()) continue;
        if (Frame* frame = label->Container(); frame && !frame->Visible()) continue;
        if (!label->style().caption.empty()) texts.push_back(label->style().caption);
    }
    return texts;
}

}  // namespace forms
