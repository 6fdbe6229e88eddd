#include "core/Prompts.h"

TpromptAnswer TscriptedPrompts::message(const std::string& text, const std::string& caption,
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

std::string TscriptedPrompts::openFile(const std::string&, const std::string&,
                                       const std::string& preset) {
    dialogPresets.push_back(preset);
    if (fileNames.empty()) return {};
    std::string name = fileNames.front();
    fileNames.pop_front();
    return name;
}

std::string TscriptedPrompts::saveFile(const std::string& title, const std::string& filter,
                                       const std::string& preset) {
    return openFile(title, filter, preset);
}
