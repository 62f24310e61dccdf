#include "Platform/fbx/BinaryReader.h"

#include "Platform/fbx/Adler32.h"
#include "Platform/fbx/BufferPool.h"
#include "Platform/fbx/FormatError.h"

#include <zlib.h>

#include <bit>
#include <cstring>
#include <limits>
#include <memory>

static_assert(std::endian::native == std::endian::little, "the binary reader copies little-endian data as is");

namespace Plat::Fbx
{
    namespace
    {
        // Deflate cannot expand data by more than about 1032:1; a larger claim is a lie
        // that would otherwise make us allocate whatever the file asks for.
        constexpr uint64_t MaxInflateRatio = 1100;

        class BinaryParser
        {
        public:
            BinaryParser(std::string_view someBytes, BufferPool* aPool)
                : myData(reinterpret_cast<const uint8_t*>(someBytes.data())), mySize(someBytes.size()), myPool(aPool)
            {
            }

            Document Parse()
            {
                if (!HasBinaryMagic({reinterpret_cast<const char*>(myData), mySize}))
                    throw FormatError("not a binary FBX file (wrong magic)");
                if (mySize < BinaryHeaderSize)
                    throw FormatError("binary header is truncated");
                Document doc;
                doc.binary = true;
                myPos = BinaryMagic.size();
                doc.version = ReadU32();
                if (doc.version < 7000 || doc.version >= 8000)
                    throw FormatError("FBX version " + std::to_string(doc.version) + " is not supported (7.x only)");
                myWide = doc.version >= 7500;

                doc.root.children.reserve(CountRecords(myPos, mySize) + 1);
                for (;;)
                {
                    Element& element = doc.root.children.emplace_back();
                    if (!ReadRecord(element, 1))
                    {
                        doc.root.children.pop_back();
                        break;
                    }
                }
                return doc;
            }

        private:
            [[noreturn]] void Fail(const std::string& aWhat) const
            {
                throw FormatError(aWhat + " (at byte " + std::to_string(myPos) + ")");
            }

            void Need(uint64_t aCount) const
            {
                if (aCount > mySize - myPos)
                    Fail("unexpected end of file");
            }

            template <class T>
            T ReadPod()
            {
                Need(sizeof(T));
                T value;
                std::memcpy(&value, myData + myPos, sizeof(T));
                myPos += sizeof(T);
                return value;
            }

            uint32_t ReadU32() { return ReadPod<uint32_t>(); }
            uint64_t ReadOffset() { return myWide ? ReadPod<uint64_t>() : ReadPod<uint32_t>(); }

            // How many records follow one another from aPos before anEnd, by their end offsets
            // alone (a list's room is reserved once); stops early where the offsets look wrong,
            // which the reading itself then reports.
            size_t CountRecords(size_t aPos, uint64_t anEnd) const
            {
                const size_t header = myWide ? 25 : 13;
                size_t count = 0;
                while (aPos < anEnd && header <= mySize - aPos)
                {
                    uint64_t end = 0;
                    if (myWide)
                        std::memcpy(&end, myData + aPos, 8);
                    else
                    {
                        uint32_t end32;
                        std::memcpy(&end32, myData + aPos, 4);
                        end = end32;
                    }
                    if (end <= aPos || end > anEnd)
                        break;
                    ++count;
                    aPos = static_cast<size_t>(end);
                }
                return count;
            }

            // Reads one record into anElement; false for the null record that closes a list.
            bool ReadRecord(Element& anElement, int aDepth)
            {
                if (aDepth > MaxRecordDepth)
                    Fail("records nested deeper than " + std::to_string(MaxRecordDepth));
                const size_t start = myPos;
                const uint64_t endOffset = ReadOffset();
                const uint64_t propertyCount = ReadOffset();
                const uint64_t propertyBytes = ReadOffset();
                const uint8_t nameLength = ReadPod<uint8_t>();
                if (endOffset == 0 && propertyCount == 0 && propertyBytes == 0 && nameLength == 0)
                    return false;
                if (endOffset > mySize)
                    Fail("record ends past the end of the file");
                if (endOffset < myPos + nameLength)
                    Fail("record ends before its own header");
                Need(nameLength);
                anElement.name.assign(reinterpret_cast<const char*>(myData + myPos), nameLength);
                myPos += nameLength;

                if (propertyBytes > endOffset - myPos)
                    Fail("property list of '" + anElement.name + "' runs past its record");
                const size_t propertiesEnd = myPos + propertyBytes;
                // Each value takes at least two bytes, which bounds the reservation.
                anElement.values.reserve(static_cast<size_t>(std::min<uint64_t>(propertyCount, propertyBytes / 2)));
                for (uint64_t i = 0; i < propertyCount; ++i)
                {
                    if (myPos >= propertiesEnd)
                        Fail("property list of '" + anElement.name + "' is shorter than its count");
                    anElement.values.push_back(ReadValue(propertiesEnd));
                }
                if (myPos != propertiesEnd)
                    Fail("property list of '" + anElement.name + "' does not match its length");

                // One more for the null record that closes a list, read into a slot first.
                if (myPos < endOffset)
                    anElement.children.reserve(CountRecords(myPos, endOffset) + 1);
                while (myPos < endOffset)
                {
                    Element& child = anElement.children.emplace_back();
                    if (!ReadRecord(child, aDepth + 1))
                    {
                        anElement.children.pop_back();
                        break;
                    }
                }
                if (myPos != endOffset)
                    Fail("nested records of '" + anElement.name + "' do not end at the record's end");
                (void)start;
                return true;
            }

            Value ReadValue(size_t aLimit)
            {
                const char type = static_cast<char>(ReadPod<uint8_t>());
                switch (type)
                {
                case 'Y': return CheckedScalar<int16_t>(aLimit);
                case 'C': return CheckedScalar<uint8_t>(aLimit) != 0;
                case 'I': return CheckedScalar<int32_t>(aLimit);
                case 'F': return CheckedScalar<float>(aLimit);
                case 'D': return CheckedScalar<double>(aLimit);
                case 'L': return CheckedScalar<int64_t>(aLimit);
                case 'S': return ReadObjectName(aLimit);
                case 'R': return RawBytes{ReadBytes(aLimit)};
                case 'f': return ReadArray<float>(aLimit);
                case 'd': return ReadArray<double>(aLimit);
                case 'l': return ReadArray<int64_t>(aLimit);
                case 'i': return ReadArray<int32_t>(aLimit);
                // Boolean and byte arrays are both one byte per value.
                case 'b':
                case 'c': return ReadArray<uint8_t>(aLimit);
                default: Fail(std::string("unknown property type code ") + std::to_string(static_cast<int>(type)));
                }
            }

            template <class T>
            T CheckedScalar(size_t aLimit)
            {
                if (sizeof(T) > aLimit - myPos)
                    Fail("value runs past its property list");
                return ReadPod<T>();
            }

            std::string ReadBytes(size_t aLimit)
            {
                const uint32_t length = CheckedScalar<uint32_t>(aLimit);
                if (length > aLimit - myPos)
                    Fail("string runs past its property list");
                std::string text(reinterpret_cast<const char*>(myData + myPos), length);
                myPos += length;
                return text;
            }

            // Binary files write object names as "Name\0\1Class"; keep the ASCII form.
            std::string ReadObjectName(size_t aLimit)
            {
                const uint32_t length = CheckedScalar<uint32_t>(aLimit);
                if (length > aLimit - myPos)
                    Fail("string runs past its property list");
                const std::string_view text(reinterpret_cast<const char*>(myData + myPos), length);
                myPos += length;
                const size_t separator = text.find(std::string_view("\0\1", 2));
                if (separator == std::string_view::npos)
                    return std::string(text);
                const std::string_view name = text.substr(0, separator), type = text.substr(separator + 2);
                std::string out;
                out.reserve(type.size() + 2 + name.size());
                out.append(type).append("::").append(name);
                return out;
            }

            template <class T>
            std::vector<T> ReadArray(size_t aLimit)
            {
                const uint32_t count = CheckedScalar<uint32_t>(aLimit);
                const uint32_t encoding = CheckedScalar<uint32_t>(aLimit);
                const uint32_t storedBytes = CheckedScalar<uint32_t>(aLimit);
                if (storedBytes > aLimit - myPos)
                    Fail("array data runs past its property list");
                const uint64_t expectedBytes = uint64_t(count) * sizeof(T);
                std::vector<T> values;
                if (encoding == 0)
                {
                    if (storedBytes != expectedBytes)
                        Fail("array of " + std::to_string(count) + " values holds " + std::to_string(storedBytes) + " bytes");
                    Allocate(values, count);
                    if (count != 0)
                        std::memcpy(values.data(), myData + myPos, storedBytes);
                }
                else if (encoding == 1)
                {
                    if (expectedBytes > uint64_t(storedBytes) * MaxInflateRatio + 64)
                        Fail("compressed array claims more data than it can hold");
                    Allocate(values, count);
                    Inflate(myData + myPos, storedBytes, values.data(), expectedBytes);
                }
                else
                {
                    Fail("unknown array encoding " + std::to_string(encoding));
                }
                myPos += storedBytes;
                return values;
            }

            template <class T>
            void Allocate(std::vector<T>& someValues, uint32_t aCount)
            {
                // Every value is written next, from the file or by zlib.
                if (myPool != nullptr && aCount * sizeof(T) >= BufferPool::MinBytes)
                    someValues = myPool->TakeToOverwrite<T>(aCount);
                else
                    someValues.resize(aCount);
            }

            void Inflate(const uint8_t* aSource, uint32_t aSourceSize, void* aTarget, uint64_t aTargetSize)
            {
                if (aTargetSize > std::numeric_limits<uInt>::max())
                    Fail("compressed array is too large");
                // One stream for the whole file, reset per array: files hold hundreds of small
                // compressed arrays, and setting a stream up costs more than inflating them.
                if (!myStream)
                {
                    myStream = std::make_unique<ZStream>();
                    if (inflateInit(&myStream->stream) != Z_OK)
                    {
                        myStream.reset();
                        Fail("zlib could not start");
                    }
                }
                else if (inflateReset(&myStream->stream) != Z_OK)
                    Fail("zlib could not restart");
                z_stream& stream = myStream->stream;
                // zlib's own checksum is the slow part of small arrays; the stream's check value
                // is compared below with a faster one.
                inflateValidate(&stream, 0);
                stream.next_in = const_cast<Bytef*>(aSource);
                stream.avail_in = aSourceSize;
                // zlib refuses a null output even for an array of no values.
                Bytef none = 0;
                stream.next_out = aTarget != nullptr ? static_cast<Bytef*>(aTarget) : &none;
                stream.avail_out = static_cast<uInt>(aTargetSize);
                int result = inflate(&stream, Z_FINISH);
                const uint64_t produced = aTargetSize - stream.avail_out;
                const bool usedAll = stream.avail_in == 0;
                // At the end of the stream its last four bytes were the check value, which
                // zlib would have found wrong as corrupt data.
                if (result == Z_STREAM_END)
                {
                    const uint8_t* check = stream.next_in - 4;
                    const uint32_t expected = (uint32_t(check[0]) << 24) | (uint32_t(check[1]) << 16) |
                                              (uint32_t(check[2]) << 8) | uint32_t(check[3]);
                    if (Adler32(1, static_cast<const uint8_t*>(aTarget), produced) != expected)
                        result = Z_DATA_ERROR;
                }
                if (result != Z_STREAM_END)
                    Fail(aTargetSize == produced && result == Z_BUF_ERROR
                             ? "compressed array holds more data than its count"
                             : "compressed array is corrupt or shorter than its count");
                if (produced != aTargetSize)
                    Fail("compressed array holds fewer values than its count");
                if (!usedAll)
                    Fail("compressed array is followed by stray bytes");
            }

            struct ZStream
            {
                z_stream stream{};
                ~ZStream() { inflateEnd(&stream); }
            };

            const uint8_t* myData;
            size_t mySize;
            size_t myPos = 0;
            bool myWide = false;
            BufferPool* myPool;
            std::unique_ptr<ZStream> myStream;
        };
    }

    bool HasBinaryMagic(std::string_view someBytes)
    {
        return someBytes.size() >= BinaryMagic.size() && someBytes.substr(0, BinaryMagic.size()) == BinaryMagic;
    }

    Document ReadBinaryDocument(std::string_view someBytes, BufferPool* aPool)
    {
        return BinaryParser(someBytes, aPool).Parse();
    }
}
