#pragma once
// Packets behind WM_INPUT handles, kept while their message is queued and for the last
// one removed from the queue.
#include "Platform/window/Messages.h"

namespace Plat::Window::impl
{
    LPARAM StoreRawPacket(const RawInput& aPacket);
    void MarkRawPacketFetched(LPARAM aHandle);
    void ReleaseRawPacket(LPARAM aHandle);
}
