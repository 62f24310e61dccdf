#include "Platform/window/RawInput.h"

#include "Platform/window/impl/RawInputStore.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace Plat::Window
{
    namespace
    {
        struct Store
        {
            std::mutex mutex;
            std::unordered_map<LPARAM, RawInput> packets;
            LPARAM nextHandle = 1;
            LPARAM fetched = 0;
            bool mouseRegistered = false;
            RawInputDevice mouse;
        };

        Store& TheStore()
        {
            static Store store;
            return store;
        }

        constexpr UINT Failure = static_cast<UINT>(-1);
    }

    namespace impl
    {
        LPARAM StoreRawPacket(const RawInput& aPacket)
        {
            Store& s = TheStore();
            std::lock_guard lock(s.mutex);
            const LPARAM handle = s.nextHandle++;
            s.packets.emplace(handle, aPacket);
            return handle;
        }

        void MarkRawPacketFetched(LPARAM aHandle)
        {
            Store& s = TheStore();
            std::lock_guard lock(s.mutex);
            if (s.fetched != 0 && s.fetched != aHandle)
                s.packets.erase(s.fetched);
            s.fetched = aHandle;
        }

        void ReleaseRawPacket(LPARAM aHandle)
        {
            Store& s = TheStore();
            std::lock_guard lock(s.mutex);
            s.packets.erase(aHandle);
        }
    }

    bool RegisterRawInputDevices(const RawInputDevice* someDevices, UINT aCount, UINT aSize)
    {
        if (someDevices == nullptr || aCount == 0 || aSize != sizeof(RawInputDevice))
            return false;
        Store& s = TheStore();
        std::lock_guard lock(s.mutex);
        bool all = true;
        for (UINT i = 0; i < aCount; ++i)
        {
            const RawInputDevice& d = someDevices[i];
            if (d.usagePage != HID_USAGE_PAGE_GENERIC || d.usage != HID_USAGE_GENERIC_MOUSE)
            {
                all = false;
                continue;
            }
            s.mouseRegistered = (d.flags & RIDEV_REMOVE) == 0;
            s.mouse = d;
        }
        return all;
    }

    UINT GetRawInputData(LPARAM aHandle, UINT aCommand, void* aData, UINT* aSize, UINT aHeaderSize)
    {
        if (aSize == nullptr || aHeaderSize != sizeof(RawInputHeader))
            return Failure;
        UINT needed = 0;
        if (aCommand == RID_INPUT)
            needed = sizeof(RawInput);
        else if (aCommand == RID_HEADER)
            needed = sizeof(RawInputHeader);
        else
            return Failure;

        Store& s = TheStore();
        std::lock_guard lock(s.mutex);
        const auto found = s.packets.find(aHandle);
        if (found == s.packets.end())
            return Failure;
        if (aData == nullptr)
        {
            *aSize = needed;
            return 0;
        }
        if (*aSize < needed)
        {
            *aSize = needed;
            return Failure;
        }
        std::memcpy(aData, &found->second, needed);
        return needed;
    }

    bool GetRawMouseRegistration(RawInputDevice& aDevice)
    {
        Store& s = TheStore();
        std::lock_guard lock(s.mutex);
        if (!s.mouseRegistered)
            return false;
        aDevice = s.mouse;
        return true;
    }
}
