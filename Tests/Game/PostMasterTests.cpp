#include "Message.h"
#include "PostMaster.h"
#include "Subscriber.h"

#include "Platform/runtime/Assert.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
    // Records what it receives into a shared log; an optional action runs inside Receive.
    class Recorder : public Subscriber
    {
    public:
        Recorder(std::string aName, std::vector<std::string>& aLog) : myName(std::move(aName)), myLog(aLog) {}
        void Receive(const Message& aMessage) override
        {
            myLog.push_back(myName + ":" + std::to_string(static_cast<int>(aMessage.type)));
            if (onReceive)
                onReceive(aMessage);
        }
        std::function<void(const Message&)> onReceive;

    private:
        std::string myName;
        std::vector<std::string>& myLog;
    };

    Message Make(MessageType aType)
    {
        Message m;
        m.type = aType;
        return m;
    }
}

TEST(PostMaster, DeliversToTheTypesSubscribersInSubscriptionOrderOnce)
{
    PostMaster bus;
    std::vector<std::string> log;
    Recorder a("a", log), b("b", log), c("c", log);
    bus.Subscribe(MessageType::SaveState, &b);
    bus.Subscribe(MessageType::SaveState, &a);
    bus.Subscribe(MessageType::SaveState, &b);
    bus.Subscribe(MessageType::RestoreState, &c);

    bus.SendMessage(Make(MessageType::SaveState));
    EXPECT_EQ(log, (std::vector<std::string>{"b:0", "a:0"}));
    log.clear();
    bus.SendMessage(Make(MessageType::IntroTeamSound));
    EXPECT_TRUE(log.empty()) << "a type without subscribers reaches nobody";

    bus.Unsubscribe(MessageType::SaveState, &b);
    bus.Unsubscribe(MessageType::SaveState, &c);
    bus.SendMessage(Make(MessageType::SaveState));
    bus.SendMessage(Make(MessageType::RestoreState));
    EXPECT_EQ(log, (std::vector<std::string>{"a:0", "c:1"}));
}

TEST(PostMaster, DeliveryWorksOnTheListAsItWasWhenSendingBegan)
{
    PostMaster bus;
    std::vector<std::string> log;
    Recorder first("first", log), second("second", log), late("late", log);
    bus.Subscribe(MessageType::Dash, &first);
    bus.Subscribe(MessageType::Dash, &second);
    first.onReceive = [&](const Message&) {
        bus.Unsubscribe(MessageType::Dash, &second);
        bus.Subscribe(MessageType::Dash, &late);
    };

    bus.SendMessage(Make(MessageType::Dash));
    EXPECT_EQ(log, (std::vector<std::string>{"first:7", "second:7"})) << "removed still called, added not";
    log.clear();
    first.onReceive = nullptr;
    bus.SendMessage(Make(MessageType::Dash));
    EXPECT_EQ(log, (std::vector<std::string>{"first:7", "late:7"}));
}

TEST(PostMaster, MessagesSentFromAReceiverArriveAtOnce)
{
    PostMaster bus;
    std::vector<std::string> log;
    Recorder a("a", log), b("b", log);
    bus.Subscribe(MessageType::LevelExit, &a);
    bus.Subscribe(MessageType::LevelExit, &b);
    bus.Subscribe(MessageType::StopMusic, &b);
    a.onReceive = [&](const Message&) { bus.SendMessage(Make(MessageType::StopMusic)); };
    bus.SendMessage(Make(MessageType::LevelExit));
    EXPECT_EQ(log, (std::vector<std::string>{"a:12", "b:20", "b:12"}));
}

TEST(PostMaster, NestedSendsEachKeepTheirOwnReceiversAndAThrowingReceiverLeavesTheBusWhole)
{
    PostMaster bus;
    std::vector<std::string> log;
    Recorder a("a", log), b("b", log), c("c", log);
    bus.Subscribe(MessageType::Jump, &a);
    bus.Subscribe(MessageType::Jump, &b);
    bus.Subscribe(MessageType::Land, &c);
    bus.Subscribe(MessageType::Land, &a);
    // a sends Land from inside Jump, and from inside that Land drops b from Jump: the outer
    // delivery still reaches b, the inner ones reach their own lists.
    int depth = 0;
    a.onReceive = [&](const Message& aMessage) {
        if (aMessage.type == MessageType::Jump)
            bus.SendMessage(Make(MessageType::Land));
        else if (++depth == 1)
        {
            bus.Unsubscribe(MessageType::Jump, &b);
            bus.SendMessage(Make(MessageType::Land));
        }
    };
    bus.SendMessage(Make(MessageType::Jump));
    EXPECT_EQ(log, (std::vector<std::string>{"a:8", "c:9", "a:9", "c:9", "a:9", "b:8"}));

    // A receiver that throws ends that delivery only.
    log.clear();
    a.onReceive = [](const Message&) { throw std::runtime_error("bad content"); };
    EXPECT_THROW(bus.SendMessage(Make(MessageType::Land)), std::runtime_error);
    a.onReceive = nullptr;
    bus.SendMessage(Make(MessageType::Land));
    EXPECT_EQ(log, (std::vector<std::string>{"c:9", "a:9", "c:9", "a:9"}));
}

TEST(PostMaster, TheMessageReachesReceiversUnchanged)
{
    PostMaster bus;
    std::vector<std::string> log;
    Recorder r("r", log);
    const char* levelPath = "levels\\Level2.ksc";
    Message seen;
    r.onReceive = [&](const Message& m) {
        seen.type = m.type;
        seen.value = m.value;
        seen.text = m.text;
        seen.position = m.position;
    };
    bus.Subscribe(MessageType::LevelMusic, &r);
    Message m = Make(MessageType::LevelMusic);
    m.value = 0.75f;
    m.text = levelPath;
    m.position = {1.0f, 2.0f, 3.0f};
    bus.SendMessage(m);
    EXPECT_EQ(seen.type, MessageType::LevelMusic);
    EXPECT_EQ(seen.value, 0.75f);
    EXPECT_EQ(seen.text, levelPath);
    EXPECT_EQ(seen.position, (Kiln::Vector3<float>{1.0f, 2.0f, 3.0f}));
}

TEST(PostMaster, TypesOutsideTheTableAreRefusedWithAnAssertion)
{
    PostMaster bus;
    std::vector<std::string> log;
    Recorder r("r", log);
    std::vector<Plat::Runtime::AssertionReport> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& aReport) { reports.push_back(aReport); });
    bus.Subscribe(static_cast<MessageType>(29), &r);
    bus.SendMessage(Make(static_cast<MessageType>(-1)));
    bus.SendMessage(Make(static_cast<MessageType>(1000)));
    bus.Unsubscribe(static_cast<MessageType>(29), &r);
    Plat::Runtime::SetAssertionHandler({});
    EXPECT_EQ(reports.size(), 4u);
    EXPECT_TRUE(log.empty());
}
