#include "forge/properties/PropertyValueEncoding.h"

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

// The JSON forms and editor rows of the value kinds are not written yet. Until they are,
// every operation refuses loudly instead of producing a value that looks read.
namespace Kiln::impl
{
    namespace
    {
        [[noreturn]] void Unavailable(const char* anOperation, const char* aKind)
        {
            throw std::logic_error(std::string(anOperation) + " of a " + aKind + " property value is not available yet");
        }
    }

#define KILN_UNAVAILABLE_VALUE_KIND(Type, Kind)                                                              \
    void ValueFromJson(Type&, const nlohmann::json&) { Unavailable("FromJson", Kind); }                      \
    void ValueToJson(const Type&, nlohmann::json&) { Unavailable("ToJson", Kind); }                          \
    bool DrawValueEditor(Type&, const char*, const char*) { Unavailable("DrawEditor", Kind); }

    KILN_UNAVAILABLE_VALUE_KIND(CopyOnWriteWrapper<SceneModel>, "Model")
    KILN_UNAVAILABLE_VALUE_KIND(CopyOnWriteWrapper<SceneSprite>, "Sprite")
    KILN_UNAVAILABLE_VALUE_KIND(CopyOnWriteWrapper<SceneReference>, "Scene")
    KILN_UNAVAILABLE_VALUE_KIND(CopyOnWriteWrapper<AnimationClipReference>, "Animation Clip")
    KILN_UNAVAILABLE_VALUE_KIND(PoseAndMotion, "Pose")
    KILN_UNAVAILABLE_VALUE_KIND(bool, "Bool")
    KILN_UNAVAILABLE_VALUE_KIND(std::int32_t, "Int")
    KILN_UNAVAILABLE_VALUE_KIND(float, "Float")
    KILN_UNAVAILABLE_VALUE_KIND(Vector2<float>, "Float2")
    KILN_UNAVAILABLE_VALUE_KIND(Vector3<float>, "Float3")
    KILN_UNAVAILABLE_VALUE_KIND(Vector4<float>, "Float4")
    KILN_UNAVAILABLE_VALUE_KIND(Color, "Color")
    KILN_UNAVAILABLE_VALUE_KIND(StringId, "StringId")

#undef KILN_UNAVAILABLE_VALUE_KIND
}
