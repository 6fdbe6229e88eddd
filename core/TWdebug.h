#pragma once

#include "core/Tdebug.h"

#include <QWidget>

class QPlainTextEdit;

// The hidden debug window: every log line of the program lands in its memo. It keeps the newest
// MaxLines lines so that a program that runs for weeks does not grow without end.
class TWdebug : public QWidget, public TdebugSink {
    Q_OBJECT
public:
    static constexpr int MaxLines = 10000;

    explicit TWdebug(QWidget* parent = nullptr);
    ~TWdebug() override;
    void appendLine(const char* line) override;

private:
    QPlainTextEdit* Memo1;
};
