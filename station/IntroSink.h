#pragma once

#include "measurement/IntroView.h"
#include "station/Reading.h"

// The intro window as an output of the station: it shows the progress of every search.
class TintroSink : public TreadingSink {
public:
    explicit TintroSink(TintroView& intro) : intro(intro) {}
    void reading(const Treading&) override {}
    void searchStarted() override { intro.showIntro(); }
    void portTried(const std::string& port) override { intro.searching(port.c_str()); }
    void portResult(bool found) override { intro.result(found); }
    void searchEnded(bool found) override { intro.closeIntro(found); }

private:
    TintroView& intro;
};
