#pragma once

#include "core/Eventresource.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class Tprompts;
enum class TpromptIcon;

// OK boxes that a measurement or search step raises. Each waits here and is shown from a
// notification of its own, after the step that raised it has moved on: no step waits on a
// person, and the cycle's timers and notifications keep being delivered while the box is open.
// Boxes come one at a time, in the order they were raised: while any box is open, posted or
// asked for directly, the next one waits until it has been answered.
class TpostedMessages : public TeventResource {
public:
    explicit TpostedMessages(Tprompts& shownBy);

    // Queues the box; `then` runs once it has been answered. Without a message loop there is
    // nothing to come back later, so the box is shown at once.
    void post(const std::string& text, const std::string& caption, TpromptIcon icon,
              std::function<void()> then = {});
    std::size_t waiting() const { return boxes.size(); }

    // Held for as long as a box or dialog is open; once the last one closes, the next waiting
    // box gets its notification.
    class OpenBox {
    public:
        explicit OpenBox(TpostedMessages& queue) : posted(queue) { ++posted.open; }
        ~OpenBox() { posted.closed(); }
        OpenBox(const OpenBox&) = delete;
        OpenBox& operator=(const OpenBox&) = delete;

    private:
        TpostedMessages& posted;
    };

    void OnNotification(TeventResource* sender, std::int32_t code) override;

private:
    struct Box {
        std::string text;
        std::string caption;
        TpromptIcon icon;
        std::function<void()> then;
    };
    void show(const Box& box);
    void closed();

    Tprompts& prompts;
    std::deque<Box> boxes;
    int open = 0;
};
