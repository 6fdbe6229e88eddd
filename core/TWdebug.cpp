#include "core/TWdebug.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

TWdebug::TWdebug(QWidget* parent)
    : QWidget(parent), Memo1(new QPlainTextEdit(this)), flushTimer(new QTimer(this)) {
    setObjectName("Wdebug");
    setWindowTitle("Wdebug");
    setGeometry(817, 101, 460, 465);
    Memo1->setObjectName("Memo1");
    QFont font("Courier New");
    font.setPixelSize(11);
    Memo1->setFont(font);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setMaximumBlockCount(MaxLines);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    flushTimer->setSingleShot(true);
    flushTimer->setInterval(FlushMs);
    connect(flushTimer, &QTimer::timeout, this, &TWdebug::flush);
    hide();
    setDebugSink(this);
}

TWdebug::~TWdebug() {
    if (debugSink() == this) setDebugSink(nullptr);
}

void TWdebug::appendLine(const char* line) {
    if (!line) return;
    kept.emplace_back(line);
    if (kept.size() > static_cast<std::size_t>(MaxLines)) kept.pop_front();
    if (!isVisible()) return;
    ++waiting;
    if (!flushTimer->isActive()) flushTimer->start();
}

// The waiting lines go in as one append, which keeps the newest line in view when it was.
void TWdebug::flush() {
    const std::size_t count = std::min(waiting, kept.size());
    waiting = 0;
    if (count == 0) return;
    if (count == kept.size()) {
        fillMemo();
        return;
    }
    const std::size_t first = kept.size() - count;
    QString text;
    for (std::size_t i = first; i < kept.size(); ++i) {
        if (i > first) text += '\n';
        text += QString::fromLatin1(kept[i]);
    }
    Memo1->appendPlainText(text);
}

void TWdebug::fillMemo() {
    QString text;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) text += '\n';
        text += QString::fromLatin1(kept[i]);
    }
    Memo1->setPlainText(text);
    // The newest line in view, as appending leaves it.
    Memo1->moveCursor(QTextCursor::End);
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TWdebug::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    flushTimer->stop();
    waiting = 0;
    fillMemo();
}

void TWdebug::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    flushTimer->stop();
    waiting = 0;
    Memo1->clear();
}
