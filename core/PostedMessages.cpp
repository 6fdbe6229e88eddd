#include "core/PostedMessages.h"

#include "core/EventLoop.h"
#include "core/Prompts.h"

#include <utility>

TpostedMessages::TpostedMessages(Tprompts& shownBy)
    : TeventResource("posted_messages"), prompts(shownBy) {}

void TpostedMessages::post(const std::string& text, const std::string& caption, TpromptIcon icon,
                           std::function<void()> then) {
    Box box{text, caption, icon, std::move(then)};
    if (!eventLoop()) {
        show(box);
        return;
    }
    boxes.push_back(std::move(box));
    postNotification(this, 1);
}

// A notification that finds a box open leaves the queue as it is: closing that box brings
// the next notification. The box leaves the queue before it is shown, and only the local copy
// is used from then on.
void TpostedMessages::OnNotification(TeventResource* sender, std::int32_t) {
    if (sender != this || boxes.empty() || open > 0) return;
    const Box box = std::move(boxes.front());
    boxes.pop_front();
    show(box);
}

void TpostedMessages::closed() {
    if (--open == 0 && !boxes.empty() && eventLoop()) postNotification(this, 1);
}

// The follow-up runs while the box still counts as open, so that it comes before the next box.
void TpostedMessages::show(const Box& box) {
    const OpenBox shown(*this);
    prompts.message(box.text, box.caption, box.icon, TpromptButtons::Ok);
    if (box.then) box.then();
}
