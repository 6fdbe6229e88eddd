#pragma once

#include "core/Prompts.h"

#include <functional>
#include <string>

// The logger's message boxes: each text becomes one line on standard error (or wherever `say`
// writes); a question is answered No and a file dialog is cancelled, since nobody is there.
class TstderrPrompts : public Tprompts {
public:
    explicit TstderrPrompts(std::function<void(const std::string&)> say) : say(std::move(say)) {}

    TpromptAnswer message(const std::string& text, const std::string& caption, TpromptIcon icon,
                          TpromptButtons buttons) override;
    std::string openFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string saveFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }

private:
    std::function<void(const std::string&)> say;
};
