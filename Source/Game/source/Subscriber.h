#pragma once
// Receives the messages of the types it subscribed to on the message bus.
struct Message;

class Subscriber
{
public:
    virtual ~Subscriber() = default;
    virtual void Receive(const Message& aMessage) = 0;
};
