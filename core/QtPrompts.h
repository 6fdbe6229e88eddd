#pragma once

#include "core/Prompts.h"

// Message boxes and file dialogs of the Qt toolkit, over the active window.
class TqtPrompts : public Tprompts {
public:
    TpromptAnswer message(const std::string& text, const std::string& caption, TpromptIcon icon,
                          TpromptButtons buttons) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& preset) override;
    std::string saveFile(const std::string& title, const std::string& filter,
                         const std::string& preset) override;
};
