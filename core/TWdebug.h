#pragma once

#include "core/Tdebug.h"

#include <QWidget>

#include <cstddef>
#include <deque>
#include <string>

class QPlainTextEdit;
class QTimer;

// The hidden debug window: every log line of the program is kept, the newest MaxLines of them,
// so that a program that runs for weeks does not grow without end. While the window is hidden
// the lines wait in a plain list; showing the window puts them into its memo, which then takes
// every new line as it comes, and hiding it empties the memo again. A memo lays out each line it
// receives, and nobody reads a hidden one: filling it all the time cost the measuring program
// most of its CPU time and several megabytes. A shown memo takes the new lines at most every
// FlushMs, all that came meanwhile in one append: one layout of the new lines and one repaint
// for a burst, where a repaint for every line cost the shown window several times the CPU of
// the hidden one.
class TWdebug : public QWidget, public TdebugSink {
    Q_OBJECT
public:
    static constexpr int MaxLines = 10000;
    static constexpr int FlushMs = 100;

    explicit TWdebug(QWidget* parent = nullptr);
    ~TWdebug() override;
    void appendLine(const char* line) override;

    // The lines kept, oldest first.
    const std::deque<std::string>& lines() const { return kept; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fillMemo();
    void flush();

    QPlainTextEdit* Memo1;
    QTimer* flushTimer;
    std::deque<std::string> kept;
    std::size_t waiting = 0; // the newest kept lines that the shown memo has not taken yet
};
