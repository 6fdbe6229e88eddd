#include "core/QtPrompts.h"
#include "core/Wsignal.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// Hands each modal window to `act` once, when it is the active one. A window that `act` closes
// is closed through a queued call: the poll is not run again while `act` runs.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(QWidget*)> act) {
        QObject::connect(&poll, &QTimer::timeout, [this, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || std::count(handled.begin(), handled.end(), modal)) return;
            handled.push_back(modal);
            act(modal);
        });
        poll.start(5);
    }

private:
    QTimer poll;
    std::vector<QPointer<QWidget>> handled;
};

// Types `name` into the file dialog and accepts it; a box that refuses the name fails the test
// and the dialog is then cancelled.
std::string typedInto(const std::function<std::string()>& dialog, const std::string& name) {
    ModalDriver driver([name](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        if (!files) {
            ADD_FAILURE() << name << ": " << modal->windowTitle().toStdString();
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            QMetaObject::invokeMethod(modal->parentWidget(), "reject", Qt::QueuedConnection);
            return;
        }
        files->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(name));
        QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
    });
    return dialog();
}
} // namespace

// A name typed without an extension gets the filter's first one, in the open dialog too, which
// then finds the file; a dialog without a filter leaves the name as typed.
TEST(QtPrompts, FileDialogsAddTheFiltersExtensionToATypedName) {
    const TempDir temp;
    const fs::path dir = temp.path;
    std::ofstream(dir / "mine.ini") << "set_altitude\t0\n";
    TqtPrompts prompts;
    const std::string filter = "Settings files (*.ini);;All files (*)";
    const std::string preset = (dir / "setup.ini").string();
    EXPECT_EQ(typedInto([&] { return prompts.openFile("Load settings", filter, preset); }, "mine"),
              (dir / "mine.ini").string());
    EXPECT_EQ(
        typedInto([&] { return prompts.saveFile("Save settings As", filter, preset); }, "new"),
        (dir / "new.ini").string());
    EXPECT_EQ(typedInto([&] { return prompts.saveFile("", "", preset); }, "samples"),
              (dir / "samples").string());
}

// A box posted while a question is open comes after it has been answered.
TEST(QtPrompts, APostedBoxWaitsForTheOpenQuestion) {
    TSignalForm loop;
    TqtPrompts prompts;
    std::vector<std::string> events;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        events.push_back(box->text().toStdString());
        if (box->text() == "question") prompts.post("posted", "Error", TpromptIcon::Error);
        QMetaObject::invokeMethod(
            box,
            [&events, box] {
                const bool onTop = QApplication::activeModalWidget() == box;
                events.push_back("answered " + box->text().toStdString() +
                                 (onTop ? "" : " under another"));
                box->done(QMessageBox::Ok);
            },
            Qt::QueuedConnection);
    });
    prompts.message("question", "Confirm", TpromptIcon::Question, TpromptButtons::YesNo);
    for (int i = 0; i < 500 && events.size() < 4; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(events, (std::vector<std::string>{"question", "answered question", "posted",
                                                "answered posted"}));
}
