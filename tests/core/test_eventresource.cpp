#include "core/Eventresource.h"
#include "core/VirtualLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace {

class Recorder : public TeventResource {
public:
    using TeventResource::TeventResource;
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        received.emplace_back(sender, code);
    }
    std::vector<std::pair<TeventResource*, std::int32_t>> received;
};

} // namespace

TEST(EventResource, NamesKeepUpTo63CharactersAndDefaultToUnnamed) {
    EXPECT_STREQ(TeventResource().getName(), "--unnamed--");
    const std::string name63(63, 'a');
    EXPECT_EQ(TeventResource(name63.c_str()).getName(), name63);
    const std::string name64(64, 'a');
    EXPECT_STREQ(TeventResource(name64.c_str()).getName(), "");
    EXPECT_STREQ(TeventResource("bolep").getName(), "bolep");
}

TEST(EventResource, ReserveAndReleaseFollowTheOwnerAndForceRules) {
    TeventResource resource, a, b;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(resource.reserve(nullptr, true));
    EXPECT_TRUE(resource.reserve(&a, false));
    EXPECT_TRUE(resource.reserve(&a, false)); // already the owner
    EXPECT_FALSE(resource.reserve(&b, false));
    EXPECT_EQ(resource.getOwner(), &a);
    resource.release(&b);
    EXPECT_EQ(resource.getOwner(), &a);
    EXPECT_TRUE(resource.reserve(&b, true));
    EXPECT_EQ(resource.getOwner(), &b);
    resource.release(nullptr);
    EXPECT_EQ(resource.getOwner(), &b);
    resource.release(&b);
    EXPECT_EQ(resource.getOwner(), nullptr);
    // Each change gives the owner lock back: none of them sat out the one-second lock wait,
    // nor even half of it.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST(EventResource, PostedNotificationsArriveInOrderAsSentToThemselves) {
    TvirtualLoop loop;
    Recorder target;
    postNotification(&target, 9000);
    postNotification(&target, 1);
    EXPECT_TRUE(target.received.empty());
    loop.runUntilIdle();
    ASSERT_EQ(target.received.size(), 2u);
    EXPECT_EQ(target.received[0], std::make_pair<TeventResource*>(&target, 9000));
    EXPECT_EQ(target.received[1], std::make_pair<TeventResource*>(&target, 1));
}

TEST(EventResource, PostingWithoutALoopIsLost) {
    Recorder target;
    postNotification(&target, 3);
    TvirtualLoop loop;
    loop.runUntilIdle();
    EXPECT_TRUE(target.received.empty());
}

TEST(EventResource, ADestroyedObjectReceivesNothingPostedBeforeItsEnd) {
    TvirtualLoop loop;
    auto* doomed = new Recorder;
    Recorder survivor;
    postNotification(doomed, 1);
    postNotification(&survivor, 2);
    delete doomed;
    EXPECT_EQ(loop.runUntilIdle(), 1u);
    ASSERT_EQ(survivor.received.size(), 1u);
    EXPECT_EQ(survivor.received[0].second, 2);
}
