#pragma once

class Tsensor;
class Tmeteo;
class TseqMAIN;
class TmainView;
class TmeteoView;
class TchartView;
class Tprompts;
class TappControl;
class TparameterAccess;

// The long-lived objects of the program, reached from everywhere through `theSystem`. The
// pointers do not own; the station fills sensor, meteo, seqMain and mainView for its own parts,
// start-up (or a test) the others, and each clears them again. Every user tests a pointer for
// null: null means the object or window does not exist (yet), and the call does nothing.
struct Tsystem {
    Tsensor* sensor = nullptr;
    Tmeteo* meteo = nullptr;
    TseqMAIN* seqMain = nullptr;
    TmainView* mainView = nullptr;          // the station: the sensor's link
    TmeteoView* meteoView = nullptr;        // main window: history bars and trend
    TchartView* chartView = nullptr;        // chart window
    Tprompts* prompts = nullptr;            // message boxes and file dialogs
    TappControl* app = nullptr;             // ends the message loop
    TparameterAccess* parameters = nullptr; // settings by code (main window, logger's station)
};

extern Tsystem theSystem;
