#include "app/Main.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "support/ScriptedPrompts.h"

#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {
// An object whose handler of user events throws what it is given.
class Tthrower : public QObject {
public:
    int thrown = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++thrown;
            throw std::runtime_error("broken handler");
        }
        if (event->type() == QEvent::User + 1) {
            ++thrown;
            throw 42;
        }
        return QObject::event(event);
    }
};
} // namespace

// An exception in the handling of one message is shown and the loop goes on with the next.
TEST(BarometerApplication, AnExceptionInOneMessageIsShownAndTheLoopGoesOn) {
    TscriptedPrompts prompts;
    theSystem.prompts = &prompts;
    Tthrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
    bool after = false;
    QTimer::singleShot(0, [&after] {
        after = true;
        QCoreApplication::exit(7);
    });
    int exitCode = -1;
    runMessageLoop([&exitCode] { exitCode = QApplication::exec(); });
    theSystem.prompts = nullptr;

    EXPECT_EQ(thrower.thrown, 2);
    EXPECT_TRUE(after);
    EXPECT_EQ(exitCode, 7);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "broken handler");
    EXPECT_EQ(prompts.shown[0].icon, TpromptIcon::Error);
    EXPECT_EQ(prompts.shown[1].text, "");
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TbarometerApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
