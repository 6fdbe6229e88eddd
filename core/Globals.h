#pragma once

class Tsensor;
class Tmeteo;
class TseqMAIN;
class TmainView;
class TmeteoView;
class TintroView;
class TchartView;
class Tprompts;
class TappControl;
class TsettingsStore;
class TparameterAccess;

// The long-lived objects of the program, reached from everywhere through `theSystem`. The
// pointers do not own; start-up (or a test) fills them and clears them again. Every user tests
// a pointer for null: null means the object or window does not exist (yet), and the call does
// nothing.
struct Tsystem {
    Tsensor* sensor = nullptr;
    Tmeteo* meteo = nullptr;
    TseqMAIN* seqMain = nullptr;
    TmainView* mainView = nullptr;          // main window: sample display and parameter access
    TmeteoView* meteoView = nullptr;        // main window: history bars and trend
    TintroView* introView = nullptr;        // intro window of the module search
    TchartView* chartView = nullptr;        // chart window
    Tprompts* prompts = nullptr;            // message boxes and file dialogs
    TappControl* app = nullptr;             // ends the message loop
    TsettingsStore* settings = nullptr;     // loads the settings file
    TparameterAccess* parameters = nullptr; // settings by code (main window)
};

extern Tsystem theSystem;
