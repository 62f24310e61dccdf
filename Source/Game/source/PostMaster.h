#pragma once
// The game's synchronous message bus: a message reaches every subscriber of its type,
// in subscription order, before SendMessage returns.
#include "Message.h"
#include "MessageType.h"

#include <cstddef>
#include <deque>
#include <vector>

class Subscriber;

class PostMaster
{
public:
    // The game's bus. (Separate instances serve tests.)
    static PostMaster& GetInstance();
    PostMaster();

    // Once per type: subscribing again changes nothing.
    void Subscribe(MessageType aType, Subscriber* aSubscriber);
    void Unsubscribe(MessageType aType, Subscriber* aSubscriber);
    // Delivers to the subscribers the type had when the call began: one added meanwhile
    // is not called, one removed meanwhile still is. Types outside the 29 are refused.
    void SendMessage(const Message& aMessage);
    // A message of aType with no data, on the game's bus.
    static void Send(MessageType aType);

    // Subscriptions held, over every type (a subscriber of two types counts twice).
    size_t GetSubscriptionCount() const;

private:
    std::vector<Subscriber*>* ListOf(MessageType aType);

    std::vector<std::vector<Subscriber*>> mySubscribers;
    // The receivers of each delivery in progress, one list per nesting depth (a subscriber
    // may send while it receives). Kept between deliveries, so sending allocates nothing
    // once they have grown; a deque keeps them in place while a nested send adds one.
    std::deque<std::vector<Subscriber*>> myReceivers;
    std::size_t myDepth = 0;
};
