#include "PostMaster.h"

#include "Subscriber.h"

#include "Platform/runtime/Assert.h"

#include <algorithm>

PostMaster& PostMaster::GetInstance()
{
    static PostMaster instance;
    return instance;
}

PostMaster::PostMaster()
    : mySubscribers(MESSAGE_TYPE_COUNT)
{
}

std::vector<Subscriber*>* PostMaster::ListOf(MessageType aType)
{
    const int32_t index = static_cast<int32_t>(aType);
    const bool known = index >= 0 && index < MESSAGE_TYPE_COUNT;
    KILN_ASSERT(known && "Message type out of range");
    return known ? &mySubscribers[static_cast<size_t>(index)] : nullptr;
}

size_t PostMaster::GetSubscriptionCount() const
{
    size_t count = 0;
    for (const std::vector<Subscriber*>& list : mySubscribers)
        count += list.size();
    return count;
}

void PostMaster::Subscribe(MessageType aType, Subscriber* aSubscriber)
{
    std::vector<Subscriber*>* list = ListOf(aType);
    if (list && std::find(list->begin(), list->end(), aSubscriber) == list->end())
        list->push_back(aSubscriber);
}

void PostMaster::Unsubscribe(MessageType aType, Subscriber* aSubscriber)
{
    std::vector<Subscriber*>* list = ListOf(aType);
    if (list)
        list->erase(std::remove(list->begin(), list->end(), aSubscriber), list->end());
}

void PostMaster::Send(MessageType aType)
{
    Message message;
    message.type = aType;
    GetInstance().SendMessage(message);
}

void PostMaster::SendMessage(const Message& aMessage)
{
    const std::vector<Subscriber*>* list = ListOf(aMessage.type);
    if (!list || list->empty())
        return;
    if (myDepth == myReceivers.size())
        myReceivers.emplace_back();
    std::vector<Subscriber*>& receivers = myReceivers[myDepth];
    receivers.assign(list->begin(), list->end());

    // Leaves the depth as it found it, also when a receiver throws.
    struct DepthScope
    {
        std::size_t& depth;
        explicit DepthScope(std::size_t& aDepth) : depth(aDepth) { ++depth; }
        ~DepthScope() { --depth; }
    } scope(myDepth);
    for (Subscriber* subscriber : receivers)
        subscriber->Receive(aMessage);
}
