#pragma once
// The syntax-level form of an FBX file, shared by the binary and the ASCII readers:
// a tree of named records, each with a list of typed values and nested records.
// Object names are kept in the ASCII form "Class::Name" whichever reader made them.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Plat::Fbx
{
    // Raw bytes ('R'), kept apart from strings ('S') so a writer can tell them apart.
    struct RawBytes
    {
        std::string bytes;
        bool operator==(const RawBytes&) const = default;
    };

    // One value of a record. The alternatives follow the binary type codes
    // Y C I F D L S R and the arrays f d l i b.
    class Value
    {
    public:
        using Storage = std::variant<int16_t, bool, int32_t, float, double, int64_t, std::string, RawBytes,
                                     std::vector<float>, std::vector<double>, std::vector<int64_t>,
                                     std::vector<int32_t>, std::vector<uint8_t>>;

        Value() = default;
        template <class T>
        Value(T aValue) : myStorage(std::move(aValue)) {}

        // The binary type code of the alternative held ('Y', 'C', ..., 'b').
        char TypeCode() const;

        bool IsNumber() const;
        bool IsString() const;
        bool IsArray() const;

        // Scalars converted to the asked type; a string or array gives the fallback.
        int64_t AsInt64(int64_t aFallback = 0) const;
        double AsDouble(double aFallback = 0.0) const;
        const std::string& AsString() const; // empty unless a string or raw bytes

        // Element count of an array, 0 for scalars.
        size_t ArraySize() const;
        // Any numeric array (or a single number) converted element by element.
        std::vector<double> ToDoubles() const;
        std::vector<int64_t> ToInt64s() const;

        const Storage& GetStorage() const { return myStorage; }
        Storage& GetStorage() { return myStorage; }

        bool operator==(const Value&) const = default;

    private:
        Storage myStorage;
    };

    struct Element
    {
        std::string name;
        std::vector<Value> values;
        std::vector<Element> children;

        // First child with the given name, or null.
        const Element* FindChild(std::string_view aName) const;
        // The first value of the first child with the name, or null when absent.
        const Value* FindChildValue(std::string_view aName) const;

        bool operator==(const Element&) const = default;
    };

    struct Document
    {
        uint32_t version = 0;  // 7400, 7500, ...
        bool binary = false;
        Element root;          // unnamed; its children are the top-level records
    };

    class BufferPool;

    // Reads either form, telling them apart by the binary magic. Throws FormatError.
    // With a pool, binary arrays are read into its recycled memory.
    Document ReadDocument(std::string_view someBytes, BufferPool* aPool = nullptr);
    // Hands the document's arrays to the pool for later reads.
    void RecycleArrays(Document& aDocument, BufferPool& aPool);

    // Deepest nesting of records either reader accepts.
    constexpr int MaxRecordDepth = 64;
}
