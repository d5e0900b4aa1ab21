// The queue's own logic: merging, order, purging, suppression and the current-event
// registers. No platform event is involved.
#include "../gui_test_support.h"

#include <gtest/gtest.h>

namespace {

class EventQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartGuiLibraries();
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

TEST_F(EventQueueTest, BindingsStartEmptyWithTheirBuckets) {
    ASSERT_NE(EventBindings, nullptr);
    EXPECT_EQ(MapSize(EventBindings), 0);
    EXPECT_EQ(EventBindings->bucketCount, 1024);
    EXPECT_EQ(EventBindings->elementSize, 16);
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

} // namespace
