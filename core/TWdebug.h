#pragma once

#include "core/Tdebug.h"

#include <QWidget>

#include <deque>
#include <string>

class QPlainTextEdit;

// The hidden debug window: every log line of the program is kept, the newest MaxLines of them,
// so that a program that runs for weeks does not grow without end. While the window is hidden
// the lines wait in a plain list; showing the window puts them into its memo, which then takes
// every new line as it comes, and hiding it empties the memo again. A memo lays out each line it
// receives, and nobody reads a hidden one: filling it all the time cost the measuring program
// most of its CPU time and several megabytes.
class TWdebug : public QWidget, public TdebugSink {
    Q_OBJECT
public:
    static constexpr int MaxLines = 10000;

    explicit TWdebug(QWidget* parent = nullptr);
    ~TWdebug() override;
    void appendLine(const char* line) override;

    // The lines kept, oldest first.
    const std::deque<std::string>& lines() const { return kept; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPlainTextEdit* Memo1;
    std::deque<std::string> kept;
};
