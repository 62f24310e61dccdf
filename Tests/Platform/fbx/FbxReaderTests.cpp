#include "Platform/fbx/Adler32.h"
#include "Platform/fbx/AsciiReader.h"
#include "Platform/fbx/BinaryReader.h"
#include "Platform/fbx/BufferPool.h"
#include "Platform/fbx/Document.h"
#include "Platform/fbx/FormatError.h"

#include "Support/fbx/BinaryFbxWriter.h"
#include "Support/fbx/FbxTestFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace Plat::Fbx;
using namespace KilnTest;

namespace
{
    // A document holding one value of every binary type, plus nesting.
    Document EveryType()
    {
        Document doc;
        doc.version = 7400;
        Element header{"FBXHeaderExtension", {}, {Element{"FBXVersion", {int32_t(7400)}, {}}}};
        Element values{"Values",
                       {int16_t(-12), true, int32_t(-70000), 1.5f, -2.25, int64_t(1) << 40, std::string("text"),
                        RawBytes{std::string("\0\1\2", 3)}, std::vector<float>{1.0f, -2.0f},
                        std::vector<double>{0.5, 1e300}, std::vector<int64_t>{int64_t(1) << 50, -1},
                        std::vector<int32_t>{7, -8, 9}, std::vector<uint8_t>{1, 0, 1}, std::vector<double>{}},
                       {Element{"Child", {std::string("x")}, {Element{"Grandchild", {}, {}}}}}};
        Element objects{"Objects", {}, {Element{"Model", {int64_t(1) << 35, std::string("Model::Cube"), std::string("Mesh")}, {}}}};
        doc.root.children = {header, values, objects};
        return doc;
    }

    std::string Binary(const Document& aDocument, uint32_t aVersion, bool aCompress)
    {
        return WriteBinaryFbx(aDocument, BinaryFbxOptions{aVersion, aCompress});
    }

    void ExpectBinaryError(const std::string& someBytes, const std::string& aMessagePart)
    {
        try
        {
            ReadDocument(someBytes);
            ADD_FAILURE() << "expected a format error containing: " << aMessagePart;
        }
        catch (const FormatError& error)
        {
            EXPECT_NE(std::string(error.what()).find(aMessagePart), std::string::npos) << error.what();
        }
    }

    void PutU32(std::string& someBytes, size_t anOffset, uint32_t aValue) { std::memcpy(&someBytes[anOffset], &aValue, 4); }
}

TEST(FbxReader, EveryValueTypeSurvivesBothBinaryLayoutsRawAndCompressed)
{
    const Document doc = EveryType();
    for (uint32_t version : {7400u, 7500u})
        for (bool compress : {false, true})
        {
            SCOPED_TRACE(std::to_string(version) + (compress ? " zlib" : " raw"));
            const std::string bytes = Binary(doc, version, compress);
            const Document back = ReadDocument(bytes);
            EXPECT_TRUE(back.binary);
            EXPECT_EQ(back.version, version);
            EXPECT_EQ(back.root, doc.root);
            // Object names travel as "Name\0\1Class" in binary files.
            EXPECT_NE(bytes.find(std::string("Cube\0\1Model", 11)), std::string::npos);
        }
}

TEST(FbxReader, AsciiValuesCommentsArraysAndNesting)
{
    const std::string text = R"(; FBX 7.5.0 project file
FBXHeaderExtension:  {
	FBXVersion: 7500 ; trailing comment
}
Record: 1, -2.5e3, "a \ b", T, "", *3 {
	a: 1,2.5,-3
} {
	Inner: +4,
	5
	Empty:  {
	}
	Ints: *2 {
		a: -1,9000000000
	}
}
)";
    const Document doc = ReadAsciiDocument(text);
    EXPECT_FALSE(doc.binary);
    EXPECT_EQ(doc.version, 7500u);
    const Element* record = doc.root.FindChild("Record");
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->values.size(), 6u);
    EXPECT_EQ(record->values[0].AsInt64(), 1);
    EXPECT_DOUBLE_EQ(record->values[1].AsDouble(), -2500.0);
    EXPECT_EQ(record->values[2].AsString(), "a \\ b");
    EXPECT_EQ(record->values[3].AsString(), "T");
    EXPECT_EQ(record->values[4].AsString(), "");
    EXPECT_EQ(record->values[5].ToDoubles(), (std::vector<double>{1.0, 2.5, -3.0}));
    ASSERT_EQ(record->children.size(), 3u);
    EXPECT_EQ(record->children[0].values.size(), 2u);
    EXPECT_EQ(record->children[0].values[1].AsInt64(), 5);
    EXPECT_TRUE(record->children[1].children.empty());
    EXPECT_EQ(record->children[2].values[0].ToInt64s(), (std::vector<int64_t>{-1, 9000000000}));
}

TEST(FbxReader, ByteAndBooleanArraysReadLikeTheOtherArrays)
{
    // The writer marks byte arrays 'b'; real files also carry 'c'. Both hold one byte per value.
    Document doc;
    doc.version = 7400;
    doc.root.children = {Element{"FBXHeaderExtension", {}, {Element{"FBXVersion", {int32_t(7400)}, {}}}},
                         Element{"Flags", {std::vector<uint8_t>{1, 0, 1, 1, 0, 0, 0, 1, 255}}, {}}};
    for (uint32_t version : {7400u, 7500u})
        for (bool compress : {false, true})
            for (char code : {'b', 'c'})
            {
                SCOPED_TRACE(std::to_string(version) + (compress ? " zlib " : " raw ") + code);
                std::string bytes = Binary(doc, version, compress);
                const size_t name = bytes.find("Flags");
                ASSERT_NE(name, std::string::npos);
                ASSERT_EQ(bytes[name + 5], 'b');
                bytes[name + 5] = code;
                const Document back = ReadDocument(bytes);
                const Value* flags = back.root.FindChildValue("Flags");
                ASSERT_NE(flags, nullptr);
                EXPECT_EQ(flags->ToInt64s(), (std::vector<int64_t>{1, 0, 1, 1, 0, 0, 0, 1, 255}));
                EXPECT_EQ(flags->ToDoubles().size(), 9u);
            }
}

TEST(FbxReader, AsciiValuesMaySpreadOverLinesAndUnknownContentStillReads)
{
    const std::string longText(70000, 'Q');
    const std::string text = "FBXHeaderExtension: {\n FBXVersion: 7400\n}\n"
                             "Video: 1, \"Video::tex\", \"Clip\" {\n"
                             "\tContent: , \n\"aGVsbG8=\",\n\t\"d29ybGQ=\"\n"
                             "\tRelativeFilename: \"" + longText + "\"\n"
                             "}\n"
                             "Spread: 1\f,\v2\r\n\t,\n3,\n"
                             "Odd: 1.#INF, -1.#IND, 1.2.3, @home, :, 4 5\n"
                             "Last: 6\n";
    const Document doc = ReadAsciiDocument(text);
    const Element* video = doc.root.FindChild("Video");
    ASSERT_NE(video, nullptr);
    const Element* content = video->FindChild("Content");
    ASSERT_NE(content, nullptr);
    ASSERT_EQ(content->values.size(), 2u);
    EXPECT_EQ(content->values[0].AsString(), "aGVsbG8=");
    EXPECT_EQ(content->values[1].AsString(), "d29ybGQ=");
    ASSERT_NE(video->FindChildValue("RelativeFilename"), nullptr);
    EXPECT_EQ(video->FindChildValue("RelativeFilename")->AsString(), longText);

    const Element* spread = doc.root.FindChild("Spread");
    ASSERT_NE(spread, nullptr);
    ASSERT_EQ(spread->values.size(), 3u);
    EXPECT_EQ(spread->values[2].AsInt64(), 3);

    // Words that only look like numbers stay text; the record after them is intact.
    const Element* odd = doc.root.FindChild("Odd");
    ASSERT_NE(odd, nullptr);
    ASSERT_EQ(odd->values.size(), 7u);
    EXPECT_EQ(odd->values[0].AsString(), "1.#INF");
    EXPECT_EQ(odd->values[2].AsString(), "1.2.3");
    EXPECT_EQ(odd->values[3].AsString(), "@home");
    EXPECT_EQ(odd->values[4].AsString(), ":");
    EXPECT_EQ(odd->values[6].AsInt64(), 5);
    ASSERT_NE(doc.root.FindChildValue("Last"), nullptr);
    EXPECT_EQ(doc.root.FindChildValue("Last")->AsInt64(), 6);
}

TEST(FbxReader, BinaryAndAsciiFixturesReadToTheSameTree)
{
    TempFolder folder;
    for (const char* name : {"cube.fbx", "animated.fbx"})
        for (FbxForm form : {FbxForm::Binary7400, FbxForm::Binary7500Zlib})
        {
            const Document ascii = ReadDocument(ReadWholeFile(FbxFixture(name)));
            const Document binary = ReadDocument(ReadWholeFile(FixtureInForm(name, form, folder)));
            // Same record names and shapes, numbers equal whatever their binary width.
            std::function<void(const Element&, const Element&)> same = [&](const Element& a, const Element& b) {
                ASSERT_EQ(a.name, b.name);
                ASSERT_EQ(a.values.size(), b.values.size()) << a.name;
                for (size_t i = 0; i < a.values.size(); ++i)
                {
                    if (a.values[i].IsString())
                    {
                        EXPECT_EQ(a.values[i].AsString(), b.values[i].AsString()) << a.name;
                    }
                    else if (a.name != "KeyAttrDataFloat")
                    {
                        EXPECT_EQ(a.values[i].ToDoubles(), b.values[i].ToDoubles()) << a.name;
                    }
                }
                ASSERT_EQ(a.children.size(), b.children.size()) << a.name;
                for (size_t i = 0; i < a.children.size(); ++i)
                    same(a.children[i], b.children[i]);
            };
            same(ascii.root, binary.root);
        }
}

TEST(FbxReader, BrokenBinaryRecordsAreRejectedWithAReason)
{
    Document doc = EveryType();
    const std::string good = Binary(doc, 7400, false);
    ASSERT_NO_THROW(ReadDocument(good));

    ExpectBinaryError(good.substr(0, 25), "truncated");
    std::string old = good;
    PutU32(old, 23, 6100);
    ExpectBinaryError(old, "6100 is not supported");

    // First record at 27: end offset, property count, property bytes, name length.
    std::string past = good;
    PutU32(past, 27, static_cast<uint32_t>(good.size() + 10));
    ExpectBinaryError(past, "past the end of the file");
    std::string before = good;
    PutU32(before, 27, 20);
    ExpectBinaryError(before, "before its own header");
    std::string props = good;
    PutU32(props, 35, 100000);
    ExpectBinaryError(props, "runs past its record");

    // Cut at the end of the last top-level record: the closing null record is missing.
    size_t end = 27;
    for (;;)
    {
        uint32_t next = 0;
        std::memcpy(&next, &good[end], 4);
        if (next == 0)
            break;
        end = next;
    }
    ExpectBinaryError(good.substr(0, end), "unexpected end");
}

TEST(FbxReader, BrokenBinaryArraysAreRejected)
{
    Document doc;
    doc.version = 7400;
    doc.root.children = {Element{"A", {std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}}, {}}};
    for (bool compress : {false, true})
    {
        const std::string good = Binary(doc, 7400, compress);
        ASSERT_NO_THROW(ReadDocument(good));
        // Record header 13 bytes + name "A", then type 'i' at 41, count at 42.
        ASSERT_EQ(good[41], 'i');
        std::string more = good;
        PutU32(more, 42, 9);
        ExpectBinaryError(more, compress ? "fewer values" : "holds 32 bytes");
        std::string fewer = good;
        PutU32(fewer, 42, 7);
        ExpectBinaryError(fewer, compress ? "more data than its count" : "holds 32 bytes");
        std::string encoding = good;
        PutU32(encoding, 46, 7);
        ExpectBinaryError(encoding, "unknown array encoding");
        std::string huge = good;
        PutU32(huge, 42, 0x7fffffff);
        ExpectBinaryError(huge, compress ? "claims more data" : "holds");
        std::string type = good;
        type[41] = 'Q';
        ExpectBinaryError(type, "unknown property type code");
    }
    // A corrupt deflate stream.
    std::string corrupt = Binary(doc, 7400, true);
    corrupt[56] = static_cast<char>(corrupt[56] ^ 0x5a);
    corrupt[57] = static_cast<char>(corrupt[57] ^ 0x5a);
    EXPECT_THROW(ReadDocument(corrupt), FormatError);
}

TEST(FbxReader, ChecksumsMatchZlibAndAWrongOneIsCorrupt)
{
    // Lengths around the sixteen-byte steps and the runs between reductions, bytes of all
    // 0xff (the largest sums) and random ones, whole and continued from a split.
    std::mt19937 random(7);
    for (size_t length : {0u, 1u, 15u, 16u, 17u, 100u, 5551u, 5552u, 5553u, 5568u, 20000u, 65537u})
        for (bool ones : {false, true})
        {
            std::vector<uint8_t> bytes(length);
            for (uint8_t& b : bytes)
                b = ones ? 0xff : static_cast<uint8_t>(random());
            const uLong expected = adler32(1, bytes.data(), static_cast<uInt>(length));
            EXPECT_EQ(Adler32(1, bytes.data(), length), expected) << length;
            const size_t split = length / 3;
            EXPECT_EQ(Adler32(Adler32(1, bytes.data(), split), bytes.data() + split, length - split), expected) << length;
        }

    // A stream whose data decodes but whose check value (its last four bytes) is wrong.
    Document doc;
    doc.version = 7400;
    doc.root.children = {Element{"A", {std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}}, {}}};
    std::string bad = Binary(doc, 7400, true);
    uint32_t stored;
    std::memcpy(&stored, &bad[50], 4);
    bad[54 + stored - 1] = static_cast<char>(bad[54 + stored - 1] ^ 1);
    ExpectBinaryError(bad, "corrupt or shorter than its count");
}

TEST(FbxReader, ACompressedArrayOfNoValuesReads)
{
    // Written raw, then turned into a compressed one by hand: the writer never compresses
    // empty arrays, other exporters may.
    Document doc;
    doc.version = 7400;
    doc.root.children = {Element{"A", {std::vector<int32_t>{}}, {}}};
    std::string bytes = Binary(doc, 7400, false);
    ASSERT_EQ(bytes[41], 'i');
    uLongf packedSize = compressBound(0);
    std::string packed(packedSize, '\0');
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, nullptr, 0), Z_OK);
    packed.resize(packedSize);
    PutU32(bytes, 46, 1);
    PutU32(bytes, 50, static_cast<uint32_t>(packed.size()));
    bytes.insert(54, packed);
    uint32_t value;
    for (size_t offset : {27u, 35u}) // the record's end and its property list's length grow alike
    {
        std::memcpy(&value, &bytes[offset], 4);
        PutU32(bytes, offset, value + static_cast<uint32_t>(packed.size()));
    }
    const Document read = ReadDocument(bytes);
    ASSERT_EQ(read.root.children.size(), 1u);
    EXPECT_EQ(read.root.children[0].values.at(0), Value(std::vector<int32_t>{}));
}

TEST(FbxReader, ArraysReadIntoPooledMemoryAreTheSameAndGoBackToThePool)
{
    // Arrays large enough to be pooled, compressed and raw, read twice through one pool: the
    // second read reuses (without clearing) what the first one gave back.
    Document doc;
    doc.version = 7500;
    std::vector<double> doubles(20000);
    std::vector<int32_t> ints(30000);
    for (size_t i = 0; i < doubles.size(); ++i)
        doubles[i] = std::sin(static_cast<double>(i));
    for (size_t i = 0; i < ints.size(); ++i)
        ints[i] = static_cast<int32_t>(i * 7919 % 1000);
    doc.root.children = {Element{"D", {doubles}, {}}, Element{"I", {ints}, {Element{"Small", {std::vector<int32_t>{1, 2}}, {}}}}};
    BufferPool pool;
    for (bool compress : {true, false, true})
    {
        const std::string bytes = Binary(doc, 7500, compress);
        Document read = ReadDocument(bytes, &pool);
        EXPECT_EQ(read.root, doc.root) << compress;
        RecycleArrays(read, pool);
        // The two large arrays; the small one is left to the heap.
        EXPECT_GE(pool.GetHeldBytes(), doubles.size() * sizeof(double) + ints.size() * sizeof(int32_t));
        EXPECT_TRUE(std::get<std::vector<double>>(read.root.children[0].values[0].GetStorage()).empty());
    }
}

TEST(FbxBufferPool, TakesTheSmallestFittingArrayAndKeepsOnlyLargeOnesUpToItsLimit)
{
    BufferPool pool;
    std::vector<double> small(100), medium(20000), large(200000);
    const double* mediumData = medium.data();
    const double* largeData = large.data();
    pool.Give(std::move(small));
    EXPECT_EQ(pool.GetHeldBytes(), 0u) << "too small to keep";
    pool.Give(std::move(large));
    pool.Give(std::move(medium));
    EXPECT_EQ(pool.GetHeldBytes(), 220000 * sizeof(double));

    std::vector<double> taken = pool.Take<double>(15000);
    EXPECT_EQ(taken.data(), mediumData);
    EXPECT_TRUE(taken.empty());
    EXPECT_EQ(pool.GetHeldBytes(), 200000 * sizeof(double));
    // Another type's shelf is separate.
    EXPECT_GE(pool.Take<float>(10).capacity(), 10u);
    EXPECT_EQ(pool.GetHeldBytes(), 200000 * sizeof(double));

    // Kept contents stay for a caller that overwrites them; a request beyond every kept
    // array gets a new one.
    std::vector<double> filled = pool.Take<double>(1);
    ASSERT_EQ(filled.data(), largeData);
    filled.assign(200000, 2.5);
    pool.Give(std::move(filled));
    std::vector<double> again = pool.TakeToOverwrite<double>(1000);
    ASSERT_EQ(again.data(), largeData);
    ASSERT_EQ(again.size(), 1000u);
    EXPECT_EQ(again[999], 2.5);
    pool.Give(std::move(again));
    EXPECT_NE(pool.Take<double>(300000).data(), largeData);
    EXPECT_EQ(pool.GetHeldBytes(), 200000 * sizeof(double));

    // Beyond the limit arrays are freed instead of kept.
    std::vector<char> huge;
    huge.reserve(BufferPool::MaxBytes);
    const size_t held = pool.GetHeldBytes();
    pool.Give(std::move(huge));
    EXPECT_EQ(pool.GetHeldBytes(), held);
    pool.Clear();
    EXPECT_EQ(pool.GetHeldBytes(), 0u);
}

TEST(FbxReader, NestingBeyondTheLimitIsRejectedInBothForms)
{
    Document doc;
    doc.version = 7400;
    Element deepest{"Leaf", {int32_t(1)}, {}};
    for (int i = 0; i < MaxRecordDepth + 5; ++i)
        deepest = Element{"Level", {}, {deepest}};
    doc.root.children = {deepest};
    ExpectBinaryError(Binary(doc, 7500, false), "nested deeper");

    std::string text = "FBXHeaderExtension: {\n FBXVersion: 7400\n}\n";
    for (int i = 0; i < MaxRecordDepth + 5; ++i)
        text += "L: {\n";
    for (int i = 0; i < MaxRecordDepth + 5; ++i)
        text += "}\n";
    EXPECT_THROW(ReadAsciiDocument(text), FormatError);
}

TEST(FbxReader, BrokenAsciiIsRejectedWithALine)
{
    const std::string header = "FBXHeaderExtension: {\n FBXVersion: 7400\n}\n";
    auto expect = [&](const std::string& aBody, const std::string& aPart) {
        try
        {
            ReadAsciiDocument(header + aBody);
            ADD_FAILURE() << "expected an error for: " << aBody;
        }
        catch (const FormatError& error)
        {
            EXPECT_NE(std::string(error.what()).find(aPart), std::string::npos) << error.what();
        }
    };
    expect("Objects: {\n Model: 1 {\n", "file ends inside 'Model'");
    expect("V: *3 {\n a: 1,2\n}\n", "declares 3 values but holds 2");
    expect("V: *3 {\n a: 1,2,3\n", "not closed");
    expect("S: \"open\n", "string is not closed");
    expect("}\n", "without a matching");
    expect("V: *2 {\n a: 1,x\n}\n", "not closed by");
    expect("V: *x {\n}\n", "needs a count");
    EXPECT_THROW(ReadAsciiDocument("Objects: {\n}\n"), FormatError); // no version
    EXPECT_THROW(ReadAsciiDocument(""), FormatError);
    EXPECT_THROW(ReadAsciiDocument("FBXHeaderExtension: {\n FBXVersion: 6100\n}\n"), FormatError);
}
