#pragma once
// Game content that cannot be used as it is: a scene object missing a key its reader needs
// or holding it with another type, a controller naming a state it does not have, and the
// like. The message is one line naming the object's file (or the scene folder when no one
// object is at fault), the object and the problem; main() prints it and ends the run with
// status 1.
#include <stdexcept>
#include <string>
#include <string_view>

class ContentError : public std::runtime_error
{
public:
    explicit ContentError(const std::string& aMessage);

    // "<game assets>/<path>.leveldata" for a scene path such as "levels\Level1.ksc": the
    // folder the scene was read from.
    static std::string SceneFolder(std::string_view aScenePath);
    // "Scene folder \"<SceneFolder>\"".
    static std::string DescribeSceneFolder(std::string_view aScenePath);
};
