#pragma once

#include "core/Prompts.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Answers from a script and records everything it was shown.
class TscriptedPrompts : public Tprompts {
public:
    struct Shown {
        std::string text;
        std::string caption;
        TpromptIcon icon;
        TpromptButtons buttons;
    };

    TpromptAnswer message(const std::string& text, const std::string& caption, TpromptIcon icon,
                          TpromptButtons buttons) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& preset) override;
    std::string saveFile(const std::string& title, const std::string& filter,
                         const std::string& preset) override;

    // Queued answers are used in order; without one, OK boxes answer Ok and Yes/No boxes No.
    std::deque<TpromptAnswer> answers;
    // Queued file names are used in order; without one, a dialog is cancelled.
    std::deque<std::string> fileNames;
    std::vector<Shown> shown;
    // Runs while a box is open, after it has been recorded: a test holds the box open here
    // for as long as it lets the loop run.
    std::function<void(const Shown&)> whileOpen;
    std::vector<std::string> dialogPresets;
};

inline TpromptAnswer TscriptedPrompts::message(const std::string& text, const std::string& caption,
                                               TpromptIcon icon, TpromptButtons buttons) {
    const auto open = boxOpen();
    shown.push_back({text, caption, icon, buttons});
    if (whileOpen) whileOpen(Shown(shown.back())); // a box opened meanwhile may grow `shown`
    if (answers.empty())
        return buttons == TpromptButtons::Ok ? TpromptAnswer::Ok : TpromptAnswer::No;
    const TpromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

inline std::string TscriptedPrompts::openFile(const std::string&, const std::string&,
                                              const std::string& preset) {
    dialogPresets.push_back(preset);
    if (fileNames.empty()) return {};
    std::string name = fileNames.front();
    fileNames.pop_front();
    return name;
}

inline std::string TscriptedPrompts::saveFile(const std::string& title, const std::string& filter,
                                              const std::string& preset) {
    return openFile(title, filter, preset);
}
