#include "Platform/guid/Uuid.h"

namespace Plat::Guid
{
    namespace
    {
        constexpr std::size_t UUID_TEXT_LENGTH = 36;

        int HexDigit(char aCharacter)
        {
            if (aCharacter >= '0' && aCharacter <= '9')
            {
                return aCharacter - '0';
            }
            if (aCharacter >= 'a' && aCharacter <= 'f')
            {
                return aCharacter - 'a' + 10;
            }
            if (aCharacter >= 'A' && aCharacter <= 'F')
            {
                return aCharacter - 'A' + 10;
            }
            return -1;
        }

        // Reads aDigitCount hex digits starting at anOffset; false on any other character.
        bool ReadHex(std::string_view aText, std::size_t anOffset, std::size_t aDigitCount, std::uint64_t& aValue)
        {
            aValue = 0;
            for (std::size_t i = 0; i < aDigitCount; ++i)
            {
                const int digit = HexDigit(aText[anOffset + i]);
                if (digit < 0)
                {
                    return false;
                }
                aValue = (aValue << 4) | static_cast<std::uint64_t>(digit);
            }
            return true;
        }
    }

    bool UuidFromString(std::string_view aText, Uuid& anOut)
    {
        if (aText.size() != UUID_TEXT_LENGTH)
        {
            return false;
        }
        for (const std::size_t hyphen : {8u, 13u, 18u, 23u})
        {
            if (aText[hyphen] != '-')
            {
                return false;
            }
        }

        Uuid result;
        std::uint64_t value = 0;
        if (!ReadHex(aText, 0, 8, value))
        {
            return false;
        }
        result.myData1 = static_cast<std::uint32_t>(value);
        if (!ReadHex(aText, 9, 4, value))
        {
            return false;
        }
        result.myData2 = static_cast<std::uint16_t>(value);
        if (!ReadHex(aText, 14, 4, value))
        {
            return false;
        }
        result.myData3 = static_cast<std::uint16_t>(value);

        // The last eight bytes keep the order in which the text spells them.
        static constexpr std::size_t byteOffsets[8] = {19, 21, 24, 26, 28, 30, 32, 34};
        for (std::size_t i = 0; i < 8; ++i)
        {
            if (!ReadHex(aText, byteOffsets[i], 2, value))
            {
                return false;
            }
            result.myData4[i] = static_cast<std::uint8_t>(value);
        }
        anOut = result;
        return true;
    }
}
