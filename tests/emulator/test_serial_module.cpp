#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "emulator/Sht15Model.h"
#include "links/SerialTestSupport.h"
#include "links/Serial_enum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ask(TserialModule& module, const Bytes& wire) {
    Bytes reply;
    module.receive(wire.data(), wire.size(), reply);
    return reply;
}

const Bytes CommandA{0x24, 0x41, 0xBE, 0x21};
const Bytes CommandC{0x24, 0x43, 0xBC, 0x21};
const Bytes CommandD{0x24, 0x44, 0xBB, 0x21};

TEST(SerialModule, AnswersCommandsWithTheirReplies) {
    TserialModule module;
    module.setConditions({1000.0, 18.0, 55.0, 17.5, true});
    EXPECT_EQ(ask(module, CommandA), (Bytes{0x24, 0x61, 0x9E, 0x21}));
    const Tqx4180Raw raw = module.sensor().rawFor(1000.0, 18.0);
    const Bytes c = TserialModule::frameFor(
        {'c', static_cast<std::uint8_t>(raw.D1 >> 8), static_cast<std::uint8_t>(raw.D1), 0,
         static_cast<std::uint8_t>(raw.D2 >> 8), static_cast<std::uint8_t>(raw.D2)});
    EXPECT_EQ(ask(module, CommandC), c);
    const Tsht15Raw sht = Tsht15Model::rawFor(55.0, 17.5);
    const Bytes d = ask(module, CommandD);
    ASSERT_GE(d.size(), 8u);
    EXPECT_EQ(d[1], 'd');
    EXPECT_EQ((d[2] << 8) | d[3], sht.SO_T);
    module.setConditions({1000.0, 18.0, 55.0, 17.5, false});
    EXPECT_EQ(ask(module, CommandD), TserialModule::frameFor({'d', 0, 0, 0, 0, 0}));
    EXPECT_EQ(module.commandsReceived(), 4);
}

TEST(SerialModule, IgnoresBrokenOrUnknownCommands) {
    TserialModule module;
    EXPECT_TRUE(ask(module, {0x24, 0x41, 0xBF, 0x21}).empty());       // bad checksum
    EXPECT_TRUE(ask(module, {0x24, 0x45, 0xBA, 0x21}).empty());       // no command E
    EXPECT_TRUE(ask(module, {0x41, 0xBE, 0x21}).empty());             // no start
    EXPECT_TRUE(ask(module, {0x24, 0x41, 0x41, 0x7C, 0x21}).empty()); // too long
    EXPECT_EQ(module.commandsReceived(), 0);
    // A command split over two reads is answered once it is complete.
    EXPECT_EQ(ask(module, {0x24, 0x41}), Bytes{});
    EXPECT_EQ(ask(module, {0xBE, 0x21}), (Bytes{0x24, 0x61, 0x9E, 0x21}));
}

TEST(SerialModule, FaultModes) {
    TserialModule module;
    module.setFault(TmoduleFault::Silent);
    EXPECT_TRUE(ask(module, CommandA).empty());
    module.setFault(TmoduleFault::AckSecondTry);
    EXPECT_TRUE(ask(module, CommandA).empty());
    EXPECT_FALSE(ask(module, CommandA).empty());
    EXPECT_TRUE(ask(module, CommandA).empty());
    module.setFault(TmoduleFault::BadChecksum);
    EXPECT_EQ(ask(module, CommandA), (Bytes{0x24, 0x61, 0x9F, 0x21}));
    module.setFault(TmoduleFault::WrongReply);
    EXPECT_EQ(ask(module, CommandD), (Bytes{0x24, 0x61, 0x9E, 0x21}));
    module.setFault(TmoduleFault::EscapedData);
    const Bytes c = ask(module, CommandC);
    EXPECT_EQ(
        c, (Bytes{0x24, 0x63, 0x7E, 0x61, 0x7E, 0x64, 0x00, 0x7E, 0x3E, 0x7E, 0x61, 0xB8, 0x21}));
}

// Noise before every reply: never a '$', so the reply frame that follows is the only frame.
TEST(SerialModule, GarbageComesBeforeEachReplyAndHoldsNoFrameStart) {
    TserialModule module;
    module.setFault(TmoduleFault::Garbage);
    const Bytes clean = TserialModule::frameFor({'a'});
    std::size_t longest = 0;
    for (int i = 0; i < 50; ++i) {
        const Bytes reply = ask(module, CommandA);
        ASSERT_GT(reply.size(), clean.size());
        const std::size_t noise = reply.size() - clean.size();
        EXPECT_GE(noise, 3u);
        EXPECT_LE(noise, 10u);
        longest = std::max(longest, noise);
        EXPECT_TRUE(std::equal(clean.begin(), clean.end(), reply.begin() + noise));
        EXPECT_EQ(std::count(reply.begin(), reply.end(), 0x24), 1);
        EXPECT_EQ(reply[0], 0x21); // a frame end outside any frame
    }
    EXPECT_GT(longest, 3u); // the noise is not always the same
}

TEST(SerialModule, EverySecondCommandIsAnsweredCountingFromTheFaultSetting) {
    TserialModule module;
    ask(module, CommandA);
    module.setFault(TmoduleFault::EverySecond);
    std::vector<bool> answered;
    for (const Bytes& command : {CommandA, CommandC, CommandC, CommandC, CommandD, CommandA})
        answered.push_back(!ask(module, command).empty());
    EXPECT_EQ(answered, (std::vector<bool>{false, true, false, true, false, true}));
    EXPECT_EQ(module.commandsReceived(), 7);
}

TEST(SerialModule, WorkingTimeIsCountedForConversionsOnly) {
    TserialModule module;
    module.setTiming({70'000, 250'000});
    ask(module, CommandA);
    EXPECT_EQ(module.takeWorkUs(), 0u);
    ask(module, CommandC);
    ask(module, CommandC);
    ask(module, CommandD);
    EXPECT_EQ(module.takeWorkUs(), 2 * 70'000u + 250'000u);
    EXPECT_EQ(module.takeWorkUs(), 0u);
    module.setFault(TmoduleFault::Silent); // a silent module still works on its conversion
    ask(module, CommandC);
    EXPECT_EQ(module.takeWorkUs(), 70'000u);
}

TEST(PortPublisher, ClaimsFreeNumbersAndPublishesForTheEnumeration) {
    TempDir tmp;
    TserialRoots roots;
    roots.sysfs = tmp.path + "/none";
    roots.dev = tmp.path + "/none";
    roots.emulated = tmp.path + "/emu";
    TserialModule module;
    TportPublisher first(roots.emulated);
    EXPECT_EQ(first.claim(), 241);
    Tserial_enum ports(roots);
    {
        TportPublisher second(roots.emulated);
        EXPECT_EQ(second.claim(241), 0); // taken
        EXPECT_EQ(second.claim(), 242);
        TptyModule pty(module, &second);
        ASSERT_TRUE(pty.plug());
        ports.enumerate();
        EXPECT_EQ(ports.present[242], 1);
        EXPECT_EQ(ports.present[241], 0); // claimed, nothing plugged
        pty.unplug();
        ports.enumerate();
        EXPECT_EQ(ports.present[242], 0);
        ASSERT_TRUE(pty.plug());
        ports.enumerate();
        EXPECT_EQ(ports.present[242], 1);
    }
    ports.enumerate();
    EXPECT_EQ(ports.present[242], 0);
    TportPublisher third(roots.emulated);
    EXPECT_EQ(third.claim(), 242); // released by the second
}

} // namespace
