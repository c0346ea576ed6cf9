// Work posted to the form's window: it runs with the window's next messages, and what
// was posted for a window that has unloaded meanwhile is dropped.
#include "toolkit/Form.h"
#include "toolkit/FormShared.h"

namespace Toolkit {

using namespace FormShared;

void Form::Post(std::function<void()> action) {
    if (window_.Get() == nullptr) {
        action();
        return;
    }
    posted_.push_back(std::move(action));
    if (!prepared_.postedMessageWaiting)
        prepared_.postedMessageWaiting =
            PostMessageW(window_.Get(), PostedWorkMessage, 0, 0) != FALSE;
}

void Form::RunPosted() {
    prepared_.postedMessageWaiting = false;
    PrepareInput();
    auto actions = std::move(posted_);
    posted_.clear();
    for (const auto& action : actions) {
        if (life_ != Life::Loaded)
            return; // an action unloaded the form: the rest belonged to that window
        action();
    }
}

} // namespace Toolkit
