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

// The box leaves the queue before it is shown: a box posted while this one is open gets a
// notification of its own and opens over it.
void TpostedMessages::OnNotification(TeventResource* sender, std::int32_t) {
    if (sender != this || boxes.empty()) return;
    const Box box = std::move(boxes.front());
    boxes.pop_front();
    show(box);
}

void TpostedMessages::show(const Box& box) {
    prompts.message(box.text, box.caption, box.icon, TpromptButtons::Ok);
    if (box.then) box.then();
}
