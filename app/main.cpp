#include "core/QtPrompts.h"
#include "core/TWdebug.h"
#include "core/Wsignal.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TSignalForm signalForm;
    TWdebug debugWindow;
    TqtPrompts prompts;
    debugWindow.show();
    return application.exec();
}
