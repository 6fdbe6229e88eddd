#include "core/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(TpromptIcon icon) {
    switch (icon) {
    case TpromptIcon::Error: return QMessageBox::Critical;
    case TpromptIcon::Warning: return QMessageBox::Warning;
    case TpromptIcon::Question: return QMessageBox::Question;
    case TpromptIcon::Information: break;
    }
    return QMessageBox::Information;
}

QString fromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

} // namespace

TpromptAnswer TqtPrompts::message(const std::string& text, const std::string& caption,
                                  TpromptIcon icon, TpromptButtons buttons) {
    const bool yesNo = buttons == TpromptButtons::YesNo;
    QMessageBox box(toQt(icon), fromLocal(caption), fromLocal(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    const int result = box.exec();
    if (!yesNo) return TpromptAnswer::Ok;
    return result == QMessageBox::Yes ? TpromptAnswer::Yes : TpromptAnswer::No;
}

std::string TqtPrompts::openFile(const std::string& title, const std::string& filter,
                                 const std::string& preset) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), fromLocal(title),
                                        fromLocal(preset), fromLocal(filter))
        .toLocal8Bit()
        .toStdString();
}

std::string TqtPrompts::saveFile(const std::string& title, const std::string& filter,
                                 const std::string& preset) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), fromLocal(title),
                                        fromLocal(preset), fromLocal(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite)
        .toLocal8Bit()
        .toStdString();
}
