#include "CustomProperty.h"

const char* GetCustomPropertyTypeName(std::size_t anIndex)
{
    static constexpr const char* names[] = {"Model", "StringId", "Model", "Sprite", "Float3", "nothing",
                                            "Bool",  "Float",    "Int",   "Float2", "Float4", "Color"};
    static_assert(std::size(names) == std::variant_size_v<CustomProperty>);
    return anIndex < std::size(names) ? names[anIndex] : "nothing";
}
