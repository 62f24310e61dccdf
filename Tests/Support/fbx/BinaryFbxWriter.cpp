#include "Support/fbx/BinaryFbxWriter.h"

#include <zlib.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>

namespace KilnTest
{
    using namespace Plat::Fbx;

    namespace
    {
        bool FitsInt32(int64_t aValue)
        {
            return aValue >= std::numeric_limits<int32_t>::min() && aValue <= std::numeric_limits<int32_t>::max();
        }

        // The binary form of a value read from ASCII. Object ids (first value of an
        // object, the two ids of a connection) stay 64-bit as exporters write them.
        Value BinaryTyped(const Value& aValue, const std::string& aRecord, bool anIsId)
        {
            const auto& storage = aValue.GetStorage();
            if (const auto* i = std::get_if<int64_t>(&storage))
                return FitsInt32(*i) && !anIsId ? Value(static_cast<int32_t>(*i)) : aValue;
            if (const auto* ints = std::get_if<std::vector<int64_t>>(&storage))
            {
                if (aRecord == "KeyAttrDataFloat")
                {
                    std::vector<float> out;
                    for (int64_t bits : *ints)
                        out.push_back(std::bit_cast<float>(static_cast<uint32_t>(bits)));
                    return out;
                }
                if (aRecord == "KeyTime")
                    return aValue;
                bool fits = true;
                for (int64_t v : *ints)
                    fits = fits && FitsInt32(v);
                if (!fits)
                    return aValue;
                return std::vector<int32_t>(ints->begin(), ints->end());
            }
            if (const auto* doubles = std::get_if<std::vector<double>>(&storage))
                if (aRecord == "KeyValueFloat" || aRecord == "KeyAttrDataFloat")
                    return std::vector<float>(doubles->begin(), doubles->end());
            return aValue;
        }

        class Writer
        {
        public:
            explicit Writer(const BinaryFbxOptions& someOptions) : myOptions(someOptions) {}

            std::string Write(const Document& aDocument)
            {
                myOut.assign("Kaydara FBX Binary  \0\x1a\0", 23);
                Put<uint32_t>(myOptions.version);
                for (const Element& e : aDocument.root.children)
                    WriteRecord(e, e.name == "Objects");
                WriteNullRecord();
                // Footer: an id, padding to 16 bytes, the version and the closing magic.
                myOut.append("\xfa\xbc\xab\x09\xd0\xc8\xd4\x66\xb1\x76\xfb\x83\x1c\xf7\x26\x7e", 16);
                myOut.append((16 - myOut.size() % 16) % 16, '\0');
                myOut.append(4, '\0');
                Put<uint32_t>(myOptions.version);
                myOut.append(120, '\0');
                myOut.append("\xf8\x5a\x8c\x6a\xde\xf5\xd9\x7e\xec\xe9\x0c\xe3\x75\x8f\x29\x0b", 16);
                return std::move(myOut);
            }

        private:
            bool Wide() const { return myOptions.version >= 7500; }

            template <class T>
            void Put(T aValue)
            {
                char bytes[sizeof(T)];
                std::memcpy(bytes, &aValue, sizeof(T));
                myOut.append(bytes, sizeof(T));
            }

            void PutOffset(uint64_t aValue)
            {
                if (Wide())
                    Put<uint64_t>(aValue);
                else
                    Put<uint32_t>(static_cast<uint32_t>(aValue));
            }

            void PatchOffset(size_t aAt, uint64_t aValue)
            {
                if (Wide())
                    std::memcpy(&myOut[aAt], &aValue, 8);
                else
                {
                    const uint32_t narrow = static_cast<uint32_t>(aValue);
                    std::memcpy(&myOut[aAt], &narrow, 4);
                }
            }

            void WriteNullRecord() { myOut.append(Wide() ? 25 : 13, '\0'); }

            void WriteRecord(const Element& anElement, bool aChildrenAreObjects, bool anIsObject = false)
            {
                const size_t header = myOut.size();
                const size_t word = Wide() ? 8 : 4;
                PutOffset(0);
                PutOffset(anElement.values.size());
                PutOffset(0);
                myOut.push_back(static_cast<char>(anElement.name.size()));
                myOut.append(anElement.name);
                const size_t propertiesStart = myOut.size();
                for (size_t i = 0; i < anElement.values.size(); ++i)
                {
                    const bool isId = (anIsObject && i == 0) || (anElement.name == "C" && (i == 1 || i == 2));
                    WriteValue(myOptions.keepValueTypes ? anElement.values[i] : BinaryTyped(anElement.values[i], anElement.name, isId),
                               anIsObject && i == 1);
                }
                PatchOffset(header + 2 * word, myOut.size() - propertiesStart);
                for (const Element& child : anElement.children)
                    WriteRecord(child, false, aChildrenAreObjects);
                if (!anElement.children.empty() || anElement.values.empty())
                    WriteNullRecord();
                PatchOffset(header, myOut.size());
            }

            void WriteValue(const Value& aValue, bool anObjectName)
            {
                std::visit(
                    [&](const auto& v) {
                        using T = std::decay_t<decltype(v)>;
                        myOut.push_back(aValue.TypeCode());
                        if constexpr (std::is_same_v<T, bool>)
                            myOut.push_back(v ? 1 : 0);
                        else if constexpr (std::is_arithmetic_v<T>)
                            Put<T>(v);
                        else if constexpr (std::is_same_v<T, std::string>)
                            WriteString(anObjectName ? BinaryName(v) : v);
                        else if constexpr (std::is_same_v<T, RawBytes>)
                            WriteString(v.bytes);
                        else
                            WriteArray(v);
                    },
                    aValue.GetStorage());
            }

            static std::string BinaryName(const std::string& aName)
            {
                const size_t separator = aName.find("::");
                if (separator == std::string::npos)
                    return aName;
                return aName.substr(separator + 2) + std::string("\0\1", 2) + aName.substr(0, separator);
            }

            void WriteString(const std::string& aText)
            {
                Put<uint32_t>(static_cast<uint32_t>(aText.size()));
                myOut.append(aText);
            }

            template <class T>
            void WriteArray(const std::vector<T>& someValues)
            {
                const size_t bytes = someValues.size() * sizeof(T);
                Put<uint32_t>(static_cast<uint32_t>(someValues.size()));
                if (!myOptions.compressArrays || someValues.empty())
                {
                    Put<uint32_t>(0);
                    Put<uint32_t>(static_cast<uint32_t>(bytes));
                    myOut.append(reinterpret_cast<const char*>(someValues.data()), bytes);
                    return;
                }
                uLongf packedSize = compressBound(static_cast<uLong>(bytes));
                std::string packed(packedSize, '\0');
                if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                              reinterpret_cast<const Bytef*>(someValues.data()), static_cast<uLong>(bytes), 6) != Z_OK)
                    throw std::runtime_error("zlib failed to compress an array");
                Put<uint32_t>(1);
                Put<uint32_t>(static_cast<uint32_t>(packedSize));
                myOut.append(packed.data(), packedSize);
            }

            BinaryFbxOptions myOptions;
            std::string myOut;
        };
    }

    std::string WriteBinaryFbx(const Document& aDocument, const BinaryFbxOptions& someOptions)
    {
        return Writer(someOptions).Write(aDocument);
    }

    std::string ReadWholeFile(const std::filesystem::path& aPath)
    {
        std::ifstream file(aPath, std::ios::binary);
        if (!file)
            throw std::runtime_error("cannot open " + aPath.string());
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }

    void WriteWholeFile(const std::filesystem::path& aPath, const std::string& someBytes)
    {
        std::ofstream file(aPath, std::ios::binary | std::ios::trunc);
        file.write(someBytes.data(), static_cast<std::streamsize>(someBytes.size()));
        if (!file)
            throw std::runtime_error("cannot write " + aPath.string());
    }

    void ConvertToBinaryFbx(const std::filesystem::path& aSource, const std::filesystem::path& aTarget,
                            const BinaryFbxOptions& someOptions)
    {
        const Document document = ReadDocument(ReadWholeFile(aSource));
        WriteWholeFile(aTarget, WriteBinaryFbx(document, someOptions));
    }
}
