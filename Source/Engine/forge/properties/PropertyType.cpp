#include "forge/properties/PropertyType.h"

namespace Kiln
{
    namespace
    {
        // Constructed before main in this order, which is the order of their registry indices.
        PropertyType<CopyOnWriteWrapper<SceneModel>> theModelType("Model");
        PropertyType<CopyOnWriteWrapper<SceneSprite>> theSpriteType("Sprite");
        PropertyType<CopyOnWriteWrapper<SceneReference>> theSceneType("Scene");
        PropertyType<CopyOnWriteWrapper<AnimationClipReference>> theAnimationClipType("Animation Clip");
        PropertyType<PoseAndMotion> thePoseType("Pose");
        PropertyType<bool> theBoolType("Bool");
        PropertyType<std::int32_t> theIntType("Int");
        PropertyType<float> theFloatType("Float");
        PropertyType<Vector2<float>> theFloat2Type("Float2");
        PropertyType<Vector3<float>> theFloat3Type("Float3");
        PropertyType<Vector4<float>> theFloat4Type("Float4");
        PropertyType<Color> theColorType("Color");
        PropertyType<StringId> theStringIdType("StringId");
    }

    namespace impl
    {
        void LinkBuiltInPropertyTypes() {}
    }

    template <> const PropertyType<CopyOnWriteWrapper<SceneModel>>& PropertyType<CopyOnWriteWrapper<SceneModel>>::GetInstance() { return theModelType; }
    template <> const PropertyType<CopyOnWriteWrapper<SceneSprite>>& PropertyType<CopyOnWriteWrapper<SceneSprite>>::GetInstance() { return theSpriteType; }
    template <> const PropertyType<CopyOnWriteWrapper<SceneReference>>& PropertyType<CopyOnWriteWrapper<SceneReference>>::GetInstance() { return theSceneType; }
    template <> const PropertyType<CopyOnWriteWrapper<AnimationClipReference>>& PropertyType<CopyOnWriteWrapper<AnimationClipReference>>::GetInstance() { return theAnimationClipType; }
    template <> const PropertyType<PoseAndMotion>& PropertyType<PoseAndMotion>::GetInstance() { return thePoseType; }
    template <> const PropertyType<bool>& PropertyType<bool>::GetInstance() { return theBoolType; }
    template <> const PropertyType<std::int32_t>& PropertyType<std::int32_t>::GetInstance() { return theIntType; }
    template <> const PropertyType<float>& PropertyType<float>::GetInstance() { return theFloatType; }
    template <> const PropertyType<Vector2<float>>& PropertyType<Vector2<float>>::GetInstance() { return theFloat2Type; }
    template <> const PropertyType<Vector3<float>>& PropertyType<Vector3<float>>::GetInstance() { return theFloat3Type; }
    template <> const PropertyType<Vector4<float>>& PropertyType<Vector4<float>>::GetInstance() { return theFloat4Type; }
    template <> const PropertyType<Color>& PropertyType<Color>::GetInstance() { return theColorType; }
    template <> const PropertyType<StringId>& PropertyType<StringId>::GetInstance() { return theStringIdType; }
}
