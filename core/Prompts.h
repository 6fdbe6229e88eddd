#pragma once

#include <deque>
#include <string>
#include <vector>

enum class TpromptIcon { Error, Warning, Question, Information };
enum class TpromptButtons { Ok, YesNo };
enum class TpromptAnswer { Ok, Yes, No };

// Modal message boxes and file dialogs. Windows and sequences ask through this interface so
// that tests can script the answers.
class Tprompts {
public:
    virtual ~Tprompts() = default;
    virtual TpromptAnswer message(const std::string& text, const std::string& caption,
                                  TpromptIcon icon, TpromptButtons buttons) = 0;
    // File dialogs return the chosen name, or an empty text when cancelled. The save dialog
    // never asks about overwriting: its callers ask themselves.
    virtual std::string openFile(const std::string& title, const std::string& filter,
                                 const std::string& preset) = 0;
    virtual std::string saveFile(const std::string& title, const std::string& filter,
                                 const std::string& preset) = 0;
};

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
    std::vector<std::string> dialogPresets;
};
