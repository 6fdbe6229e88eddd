#include "core/PostedMessages.h"
#include "core/Prompts.h"
#include "core/VirtualLoop.h"
#include "support/ScriptedPrompts.h"

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

// Boxes come one at a time in the order they were raised: one posted while another box is open
// (posted or asked directly) waits until it has been answered and its follow-up has run.
TEST(PostedMessages, ABoxRaisedWhileAnotherIsOpenWaitsForIt) {
    TscriptedPrompts prompts;
    TvirtualLoop loop;
    std::vector<std::string> events;
    const auto post = [&](const std::string& text) {
        prompts.post(text, "Error", TpromptIcon::Error,
                     [&events, text] { events.push_back("then " + text); });
    };
    prompts.whileOpen = [&](const TscriptedPrompts::Shown& box) {
        events.push_back(box.text);
        if (box.text == "first") post("second");
        if (box.text == "question") post("third");
        loop.runUntilIdle(); // the user takes a while to answer
        events.push_back("answered " + box.text);
    };
    post("first");
    loop.runUntilIdle();
    prompts.message("question", "Confirm", TpromptIcon::Question, TpromptButtons::YesNo);
    loop.runUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"first", "answered first", "then first", "second",
                                                "answered second", "then second", "question",
                                                "answered question", "third", "answered third",
                                                "then third"}));
    EXPECT_EQ(prompts.postedWaiting(), 0u);
}
