// The queue's own logic: merging, order, purging, suppression, the current-event
// registers, and the wait through the platform table. No platform is linked.
#include "../posted_event.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/maps/maps.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/events/events.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class EventQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool started = [] {
            InitStringBuffer();
            InitLists();
            InitMaps();
            InitEvents();
            return true;
        }();
        ASSERT_TRUE(started);
        while (NextEvent() != 0) {
        }
    }

    static std::vector<PostedEvent> Drain() {
        std::vector<PostedEvent> events;
        while (NextEvent() != 0)
            events.push_back({CurrentEvent.kind, EventGadget(), EventWindow(), EventType()});
        return events;
    }
};

TEST_F(EventQueueTest, EqualConsecutiveEventsMergeOthersStayInOrder) {
    struct Case {
        const char* name;
        std::vector<PostedEvent> posted;
        std::vector<PostedEvent> queued;
    };
    const PostedEvent a = {Event_Gadget, 1, 0, 0}, b = {Event_Gadget, 2, 0, 0};
    const PostedEvent big = {70000, 1, 0, 0};
    const Case cases[] = {
        {"equal pair", {a, a}, {a}},
        {"different between", {a, b, a}, {a, b, a}},
        {"equal to newest only", {b, a, a}, {b, a}},
        {"type differs", {a, {Event_Gadget, 1, 0, 2}}, {a, {Event_Gadget, 1, 0, 2}}},
        {"window differs", {a, {Event_Gadget, 1, 5, 0}}, {a, {Event_Gadget, 1, 5, 0}}},
        {"kinds above 65535 never merge", {big, big}, {big, big}},
    };
    for (const Case& c : cases) {
        for (const PostedEvent& e : c.posted)
            PostEvent(static_cast<int32_t>(e.kind), e.object, e.window, e.type);
        EXPECT_EQ(Drain(), c.queued) << c.name;
    }
}

TEST_F(EventQueueTest, EmptyQueueClearsKindAndTypeButKeepsObject) {
    PostEvent(Event_Gadget, 4, 0, 2);
    ASSERT_EQ(NextEvent(), Event_Gadget);
    EXPECT_EQ(EventType(), 2);
    EXPECT_EQ(NextEvent(), 0);
    EXPECT_EQ(CurrentEvent.kind, 0);
    EXPECT_EQ(EventType(), -1);
    EXPECT_EQ(EventGadget(), 4);
    EXPECT_EQ(EventMenu(), 4);
}

TEST_F(EventQueueTest, PurgeDropsOneWindowsEventsAndKeepsTheOrderOfTheRest) {
    PostEvent(Event_Gadget, 1, 0, 0);
    PostEvent(Event_Gadget, 1, 1, 0);
    PostEvent(Event_SizeWindow, 0, 0, 0);
    PostEvent(Event_Gadget, 2, 1, 0);
    PostEvent(Event_MoveWindow, 0, 0, 0);
    PurgeWindowEvents(0);
    // The tail must be the last record kept: a post after the purge links behind it.
    PostEvent(Event_Gadget, 3, 1, 0);
    EXPECT_EQ(Drain(),
              (std::vector<PostedEvent>{
                  {Event_Gadget, 1, 1, 0}, {Event_Gadget, 2, 1, 0}, {Event_Gadget, 3, 1, 0}}));
    PostEvent(Event_Gadget, 1, 0, 0);
    PurgeWindowEvents(0);
    PostEvent(Event_Gadget, 7, 2, 0);
    EXPECT_EQ(Drain(), (std::vector<PostedEvent>{{Event_Gadget, 7, 2, 0}}));
}

TEST_F(EventQueueTest, SuspendedPostsAreLostUntilEveryResume) {
    SuspendEvents();
    SuspendEvents();
    PostEvent(Event_Gadget, 1, 0, 0);
    ResumeEvents();
    PostEvent(Event_Gadget, 2, 0, 0);
    ResumeEvents();
    PostEvent(Event_Gadget, 3, 0, 0);
    EXPECT_EQ(Drain(), (std::vector<PostedEvent>{{Event_Gadget, 3, 0, 0}}));
    EXPECT_EQ(SuppressCount, 0);
}

TEST_F(EventQueueTest, BindingCallbacksSeeThePostedEventInTheRegisters) {
    static std::vector<PostedEvent> seen;
    seen.clear();
    auto* binding = static_cast<EventBinding*>(AddMapElement(EventBindings, "3:9:-1:-1"));
    ASSERT_NE(binding, nullptr);
    binding->window = 9;
    binding->callbacks = new std::vector<void (*)()>{[] {
        seen.push_back({CurrentEvent.kind, EventGadget(), EventWindow(), EventType()});
    }};
    PostEvent(Event_Gadget, 5, 9, 1);
    PostEvent(Event_Gadget, 5, 9, 1); // merged, but the binding runs again
    PostEvent(Event_Gadget, 5, 8, 1); // another window: no binding
    EXPECT_EQ(seen, (std::vector<PostedEvent>{{Event_Gadget, 5, 9, 1}, {Event_Gadget, 5, 9, 1}}));
    EXPECT_EQ(CurrentEvent.kind, 0); // restored after the callbacks
    RemoveWindowBindings(9);
    EXPECT_EQ(MapSize(EventBindings), 0);
    Drain();
}

// A fake platform: counts wakes and recycles, records each pump's timeout, and posts
// and/or reports a handled platform event as the case asks.
namespace fake {
int wakes = 0;
int recycles = 0;
std::vector<int32_t> pumps;
bool posts = false;
bool handles = false;

bool Pump(int32_t timeout) {
    pumps.push_back(timeout);
    if (posts)
        PostEvent(Event_Gadget, 7, 0, 0);
    return handles;
}

const EventPlatform table{[] { wakes++; }, Pump, [] { recycles++; }};
} // namespace fake

TEST_F(EventQueueTest, WaitsWakesAndRecyclesOnlyThroughThePlatformTable) {
    // Without a platform a wait for ever answers at once.
    EXPECT_EQ(WaitWindowEvent(-1), 0);
    SetEventPlatform(&fake::table);
    struct Case {
        bool posts, handles;
        int64_t result;
    };
    const Case cases[] = {{false, false, 0}, {false, true, -1}, {true, true, Event_Gadget}};
    for (const Case& c : cases) {
        fake::posts = c.posts;
        fake::handles = c.handles;
        EXPECT_EQ(WaitWindowEvent(250), c.result) << c.posts << c.handles;
    }
    EXPECT_EQ(fake::pumps, (std::vector<int32_t>{250, 250, 250}));
    // A queued event is answered without pumping; a repaint wakes nothing.
    PostEvent(Event_Repaint, 0, 0, 0);
    EXPECT_EQ(WaitWindowEvent(-1), Event_Repaint);
    EXPECT_EQ(fake::pumps.size(), 3u);
    EXPECT_EQ(fake::wakes, 1);
    EXPECT_EQ(fake::recycles, 4);
    SetEventPlatform(nullptr);
}

} // namespace
