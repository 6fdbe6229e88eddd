#pragma once

#include "core/PostedMessages.h"

#include <functional>
#include <string>
#include <utility>

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
