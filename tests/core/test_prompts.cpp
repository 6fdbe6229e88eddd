#include "core/PostedMessages.h"
#include "core/Prompts.h"
#include "core/VirtualLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ScriptedPrompts, QueuedAnswersComeFirstThenOkBoxesSayOkAndQuestionsNo) {
    TscriptedPrompts prompts;
    prompts.answers = {TpromptAnswer::Yes, TpromptAnswer::Ok};
    const auto ask = [&](TpromptButtons buttons) {
        return prompts.message("text", "caption", TpromptIcon::Question, buttons);
    };
    EXPECT_EQ(ask(TpromptButtons::YesNo), TpromptAnswer::Yes);
    EXPECT_EQ(ask(TpromptButtons::YesNo), TpromptAnswer::Ok);
    EXPECT_EQ(ask(TpromptButtons::YesNo), TpromptAnswer::No);
    EXPECT_EQ(ask(TpromptButtons::Ok), TpromptAnswer::Ok);
    EXPECT_EQ(prompts.shown.size(), 4u);
}

TEST(PostedMessages, TheFollowUpRunsOnceTheBoxHasBeenAnswered) {
    TscriptedPrompts prompts;
    std::vector<std::string> events;
    prompts.whileOpen = [&](const TscriptedPrompts::Shown& box) { events.push_back(box.text); };
    {
        TvirtualLoop loop;
        prompts.post("later", "Error", TpromptIcon::Error, [&] { events.push_back("then"); });
        EXPECT_TRUE(events.empty());
        loop.runUntilIdle();
        EXPECT_EQ(events, (std::vector<std::string>{"later", "then"}));
    }
    events.clear();
    prompts.post("at once", "Error", TpromptIcon::Error, [&] { events.push_back("then"); });
    EXPECT_EQ(events, (std::vector<std::string>{"at once", "then"}));
}

TEST(PostedMessages, OnlyItsOwnNotificationShowsTheNextBox) {
    TscriptedPrompts prompts;
    TvirtualLoop loop;
    TpostedMessages posted(prompts);
    TeventResource other;
    posted.post("waiting", "Error", TpromptIcon::Error);
    posted.OnNotification(&other, 1);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(posted.waiting(), 1u);
    loop.runUntilIdle();
    EXPECT_EQ(prompts.shown.size(), 1u);
    posted.OnNotification(&posted, 1); // nothing left to show
    EXPECT_EQ(prompts.shown.size(), 1u);
}
