#include "Platform/fbx/Document.h"

#include "Platform/fbx/AsciiReader.h"
#include "Platform/fbx/BinaryReader.h"
#include "Platform/fbx/BufferPool.h"

#include <type_traits>

namespace Plat::Fbx
{
    namespace
    {
        template <class T>
        constexpr bool IsVector = false;
        template <class T>
        constexpr bool IsVector<std::vector<T>> = true;

        const std::string kEmpty;
    }

    char Value::TypeCode() const
    {
        static constexpr char codes[] = {'Y', 'C', 'I', 'F', 'D', 'L', 'S', 'R', 'f', 'd', 'l', 'i', 'b'};
        return codes[myStorage.index()];
    }

    bool Value::IsNumber() const
    {
        return std::visit([](const auto& v) { return std::is_arithmetic_v<std::decay_t<decltype(v)>>; }, myStorage);
    }

    bool Value::IsString() const
    {
        return std::holds_alternative<std::string>(myStorage) || std::holds_alternative<RawBytes>(myStorage);
    }

    bool Value::IsArray() const
    {
        return std::visit([](const auto& v) { return IsVector<std::decay_t<decltype(v)>>; }, myStorage);
    }

    int64_t Value::AsInt64(int64_t aFallback) const
    {
        return std::visit(
            [aFallback](const auto& v) -> int64_t {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_floating_point_v<T>)
                {
                    // Out-of-range doubles would be undefined to convert.
                    if (!(v > -9.2e18 && v < 9.2e18))
                        return aFallback;
                    return static_cast<int64_t>(v);
                }
                else if constexpr (std::is_arithmetic_v<T>)
                    return static_cast<int64_t>(v);
                else
                    return aFallback;
            },
            myStorage);
    }

    double Value::AsDouble(double aFallback) const
    {
        return std::visit(
            [aFallback](const auto& v) -> double {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_arithmetic_v<T>)
                    return static_cast<double>(v);
                else
                    return aFallback;
            },
            myStorage);
    }

    const std::string& Value::AsString() const
    {
        if (const auto* s = std::get_if<std::string>(&myStorage))
            return *s;
        if (const auto* r = std::get_if<RawBytes>(&myStorage))
            return r->bytes;
        return kEmpty;
    }

    size_t Value::ArraySize() const
    {
        return std::visit(
            [](const auto& v) -> size_t {
                if constexpr (IsVector<std::decay_t<decltype(v)>>)
                    return v.size();
                else
                    return 0;
            },
            myStorage);
    }

    std::vector<double> Value::ToDoubles() const
    {
        return std::visit(
            [](const auto& v) -> std::vector<double> {
                using T = std::decay_t<decltype(v)>;
                if constexpr (IsVector<T>)
                    return std::vector<double>(v.begin(), v.end());
                else if constexpr (std::is_arithmetic_v<T>)
                    return {static_cast<double>(v)};
                else
                    return {};
            },
            myStorage);
    }

    std::vector<int64_t> Value::ToInt64s() const
    {
        return std::visit(
            [](const auto& v) -> std::vector<int64_t> {
                using T = std::decay_t<decltype(v)>;
                if constexpr (IsVector<T>)
                {
                    std::vector<int64_t> out;
                    out.reserve(v.size());
                    for (auto x : v)
                    {
                        if constexpr (std::is_floating_point_v<typename T::value_type>)
                            out.push_back((x > -9.2e18 && x < 9.2e18) ? static_cast<int64_t>(x) : 0);
                        else
                            out.push_back(static_cast<int64_t>(x));
                    }
                    return out;
                }
                else if constexpr (std::is_arithmetic_v<T>)
                    return {Value(v).AsInt64()};
                else
                    return {};
            },
            myStorage);
    }

    const Element* Element::FindChild(std::string_view aName) const
    {
        for (const Element& child : children)
            if (child.name == aName)
                return &child;
        return nullptr;
    }

    const Value* Element::FindChildValue(std::string_view aName) const
    {
        const Element* child = FindChild(aName);
        if (child == nullptr || child->values.empty())
            return nullptr;
        return &child->values.front();
    }

    Document ReadDocument(std::string_view someBytes, BufferPool* aPool)
    {
        if (HasBinaryMagic(someBytes))
            return ReadBinaryDocument(someBytes, aPool);
        return ReadAsciiDocument(someBytes);
    }

    namespace
    {
        void Recycle(Element& anElement, BufferPool& aPool)
        {
            for (Value& value : anElement.values)
                std::visit(
                    [&aPool](auto& v) {
                        if constexpr (IsVector<std::decay_t<decltype(v)>>)
                            aPool.Give(std::move(v));
                    },
                    value.GetStorage());
            for (Element& child : anElement.children)
                Recycle(child, aPool);
        }
    }

    void RecycleArrays(Document& aDocument, BufferPool& aPool)
    {
        Recycle(aDocument.root, aPool);
    }
}
