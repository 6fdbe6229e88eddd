#include "core/TWdebug.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TWdebug::TWdebug(QWidget* parent) : QWidget(parent), Memo1(new QPlainTextEdit(this)) {
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
    hide();
    setDebugSink(this);
}

TWdebug::~TWdebug() {
    if (debugSink() == this) setDebugSink(nullptr);
}

void TWdebug::appendLine(const char* line) {
    if (line) Memo1->appendPlainText(QString::fromLatin1(line));
}
