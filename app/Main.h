#pragma once

#include "core/AppControl.h"
#include "core/QtPrompts.h"

#include <QApplication>

#include <functional>
#include <memory>
#include <string>

class Tstation;
class TchartSink;
class TdataFileSink;
class TintroSink;
class TWmain;
class TSignalForm;
class TWsmall;
class TWdebug;
class TWintro;
class TWabout;
class TWchart;
class TWsettings;
class TquitSignals;

// The long-lived model objects: the station, which makes its sensor, weather model and main
// sequence. Nothing in them talks to a port or posts anything while they are built. destroy()
// (or the destructor) shuts the station down: the sensor, the main sequence, the weather model
// go; the station itself lives on for the windows to take their sinks back.
class TmodelObjects {
public:
    TmodelObjects();
    ~TmodelObjects();
    TmodelObjects(const TmodelObjects&) = delete;
    TmodelObjects& operator=(const TmodelObjects&) = delete;
    void destroy();
    Tstation& station() { return *measuring; }

private:
    std::unique_ptr<Tstation> measuring;
};

// The windows of the program, created in their fixed order (main window first, then the signal
// window, the small window, the chart window with its range dialog, the debug window, the intro
// window, the settings dialog and the about box), wired to each other and to theSystem, and
// added to the station as its sinks: the main window's presenter, the chart window, the data
// file the chart window's File menu begins and ends, the intro window. The signal window's start
// message, handled once the message loop runs, resets the charts and starts the main sequence:
// nothing reaches a port before. SIGTERM, SIGINT and SIGHUP end the program as "Exit" answered Yes
// does, without the question.
class TprogramWindows : public TappControl {
public:
    explicit TprogramWindows(Tstation& station);
    ~TprogramWindows() override;
    TprogramWindows(const TprogramWindows&) = delete;
    TprogramWindows& operator=(const TprogramWindows&) = delete;

    // Ends the message loop after the current message.
    void quit() override;

    TWmain& mainWindow() { return *main; }
    TWsmall& smallWindow() { return *small; }
    TWchart& chartWindow() { return *chart; }
    TWdebug& debugWindow() { return *debug; }
    TWabout& aboutBox() { return *about; }

private:
    static void start();
    void addSinks();

    Tstation* station;
    TqtPrompts prompts;
    std::unique_ptr<TWmain> main;
    std::unique_ptr<TSignalForm> signal;
    std::unique_ptr<TWsmall> small;
    std::unique_ptr<TWchart> chart;
    std::unique_ptr<TWdebug> debug;
    std::unique_ptr<TWintro> intro;
    std::unique_ptr<TWsettings> settings;
    std::unique_ptr<TWabout> about;
    std::unique_ptr<TquitSignals> quitSignals;
    std::unique_ptr<TchartSink> chartSink;
    std::unique_ptr<TdataFileSink> fileSink;
    std::unique_ptr<TintroSink> introSink;
};

// The program's application object. An exception that leaves the handling of one message is
// shown in the error box, and the loop goes on with the next message.
class TbarometerApplication : public QApplication {
public:
    TbarometerApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs the message loop; an exception that leaves it is shown in an error box (with its text,
// or an empty text for an exception of unknown kind) and ends the loop.
void runMessageLoop(const std::function<void()>& loop);

// The answer to --help or --version, given anywhere on the command line (--help wins), or an
// empty text when neither is given.
std::string commandLineAnswer(int argc, const char* const* argv);

// The whole program: model objects, application, windows, loop and the shutdown order. --help
// and --version answer on standard output before anything needs a display.
int runProgram(int argc, char** argv);
