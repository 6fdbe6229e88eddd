#include "logger/StderrPrompts.h"

// Line ends inside a text would break the one-line-per-event rule of the journal.
TpromptAnswer TstderrPrompts::message(const std::string& text, const std::string&, TpromptIcon,
                                      TpromptButtons buttons) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    say(line);
    return buttons == TpromptButtons::Ok ? TpromptAnswer::Ok : TpromptAnswer::No;
}
