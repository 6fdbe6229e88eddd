#pragma once

#include "core/PostedMessages.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
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

    // An OK box shown once the step that raises it has moved on (see TpostedMessages).
    void post(const std::string& text, const std::string& caption, TpromptIcon icon,
              std::function<void()> then = {}) {
        posted.post(text, caption, icon, std::move(then));
    }
    std::size_t postedWaiting() const { return posted.waiting(); }

protected:
    // Held by an implementation while its box or dialog is open: posted boxes wait for it.
    TpostedMessages::OpenBox boxOpen() { return TpostedMessages::OpenBox(posted); }

private:
    TpostedMessages posted{*this};
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
    // Runs while a box is open, after it has been recorded: a test holds the box open here
    // for as long as it lets the loop run.
    std::function<void(const Shown&)> whileOpen;
    std::vector<std::string> dialogPresets;
};
