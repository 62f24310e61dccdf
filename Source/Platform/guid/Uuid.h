#pragma once
// GUIDs as the RPC runtime reads them: the text form "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx"
// (hexadecimal digits in any letter case, no braces, nothing before or after) into the
// 16-byte GUID layout: a 32-bit, two 16-bit fields in the machine's byte order, then
// eight bytes in text order.
#include <cstdint>
#include <string_view>

namespace Plat::Guid
{
    struct Uuid
    {
        std::uint32_t myData1 = 0;
        std::uint16_t myData2 = 0;
        std::uint16_t myData3 = 0;
        std::uint8_t myData4[8] = {};

        friend bool operator==(const Uuid&, const Uuid&) = default;
    };

    static_assert(sizeof(Uuid) == 16);

    // Fills anOut and returns true when aText is exactly one GUID in the form above;
    // otherwise returns false and leaves anOut as it was.
    bool UuidFromString(std::string_view aText, Uuid& anOut);
}
