#include "CustomSceneObject.h"

#include <cmath>

std::string CustomSceneObject::Describe(std::string_view aProblem) const
{
    std::string text = myFile.empty() ? ContentError::DescribeSceneFolder(myScenePath) : "Scene object file \"" + myFile + "\"";
    text += ": object \"" + myName + "\"";
    if (!myObjectDefinition.IsNull())
    {
        text += std::string(" (") + myObjectDefinition.GetString();
        // Most keys come from the definition: a missing or mistyped one is mended there.
        if (!myDefinitionFile.empty())
            text += ", defined in \"" + myDefinitionFile + "\"";
        text += ")";
    }
    text += ": ";
    text += aProblem;
    return text;
}

void CustomSceneObject::ThrowKeyError(std::string_view aKey, std::size_t anExpectedIndex) const
{
    const char* expected = GetCustomPropertyTypeName(anExpectedIndex);
    std::string problem = "key \"" + std::string(aKey) + "\"";
    const auto found = myProperties.find(aKey);
    if (found == myProperties.end())
    {
        if (const auto leftOut = myLeftOut.find(aKey); leftOut != myLeftOut.end())
            throw ContentError(Describe(problem + " (" + expected + ") is left out: " + leftOut->second));
        problem += " is missing (expected ";
        problem += expected;
        problem += ")";
        if (myDefinitionNotFound)
        {
            problem += std::string(": the object definition \"") + myObjectDefinition.GetString() + "\" is not found (no " +
                       myObjectDefinition.GetString() + ".kob under the game assets)";
        }
    }
    else
    {
        problem += " is ";
        problem += GetCustomPropertyTypeName(found->second.index());
        problem += ", expected ";
        problem += expected;
        // Both "Model" alternatives share a type name: say which one was wanted.
        if (anExpectedIndex == CustomPropertyIndexOf<AnimatedModelRecord>())
            problem += " with an animation (key \"animodel\")";
        else if (found->second.index() == CustomPropertyIndexOf<AnimatedModelRecord>())
            problem += " without an animation";
    }
    throw ContentError(Describe(problem));
}

Kiln::Matrix4x4<float> CustomSceneObject::ComputeTransform(const Kiln::Vector3<float>& aRotation, const Kiln::Vector3<float>& aScale,
                                                           const Kiln::Vector3<float>& aTranslation)
{
    constexpr float toRadians = 0.017453292f;
    const float a = aRotation.x * toRadians / 2.0f;
    const float b = aRotation.y * toRadians / 2.0f;
    const float c = aRotation.z * toRadians / 2.0f;
    const float cx = std::cos(a), sx = std::sin(a);
    const float cy = std::cos(b), sy = std::sin(b);
    const float cz = std::cos(c), sz = std::sin(c);
    const float w = cx * cy * cz + sx * sy * sz;
    const float x = sx * cy * cz - cx * sy * sz;
    const float y = cx * sy * cz + sx * cy * sz;
    const float z = cx * cy * sz - sx * sy * cz;

    Kiln::Matrix4x4<float> m;
    const float rows[3][3] = {{1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y)},
                              {2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x)},
                              {2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y)}};
    const float scale[3] = {aScale.x, aScale.y, aScale.z};
    for (std::size_t r = 0; r < 3; ++r)
    {
        for (std::size_t col = 0; col < 3; ++col)
            m(r, col) = rows[r][col] * scale[r];
        m(r, 3) = 0.0f;
    }
    m(3, 0) = aTranslation.x;
    m(3, 1) = aTranslation.y;
    m(3, 2) = aTranslation.z;
    m(3, 3) = 1.0f;
    return m;
}
