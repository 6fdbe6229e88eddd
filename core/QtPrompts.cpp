#include "core/QtPrompts.h"

#include "widgets/FixedDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

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

// The extension of the filter's first pattern, "ini" for "Settings files (*.ini);;All files (*)".
QString defaultSuffix(const QString& filter) {
    static const QRegularExpression firstPattern(R"(\*\.(\w+))");
    const QRegularExpressionMatch match = firstPattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

// A name typed without an extension gets the filter's one in the dialog itself, so that the
// open dialog finds "name.ini" when "name" was typed.
std::string chooseFile(QFileDialog::AcceptMode mode, const std::string& title,
                       const std::string& filter, const std::string& preset) {
    QFileDialog dialog(QApplication::activeWindow(), fromLocal(title), fromLocal(preset),
                       fromLocal(filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultSuffix(fromLocal(filter)));
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0).toLocal8Bit().toStdString();
}

} // namespace

TpromptAnswer TqtPrompts::message(const std::string& text, const std::string& caption,
                                  TpromptIcon icon, TpromptButtons buttons) {
    const auto open = boxOpen();
    const bool yesNo = buttons == TpromptButtons::YesNo;
    QMessageBox box(toQt(icon), fromLocal(caption), fromLocal(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    refuseMinimize(box);
    const int result = box.exec();
    if (!yesNo) return TpromptAnswer::Ok;
    return result == QMessageBox::Yes ? TpromptAnswer::Yes : TpromptAnswer::No;
}

std::string TqtPrompts::openFile(const std::string& title, const std::string& filter,
                                 const std::string& preset) {
    const auto open = boxOpen();
    return chooseFile(QFileDialog::AcceptOpen, title, filter, preset);
}

std::string TqtPrompts::saveFile(const std::string& title, const std::string& filter,
                                 const std::string& preset) {
    const auto open = boxOpen();
    return chooseFile(QFileDialog::AcceptSave, title, filter, preset);
}
