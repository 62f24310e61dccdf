#include "SkeletonImport.h"

#include "ImportHelpers.h"
#include "Importer.h"

#include "Platform/fbx/Node.h"

#include <string_view>

namespace KILNFBXImporter
{
    namespace
    {
        bool EndsWith(std::string_view aText, std::string_view aSuffix)
        {
            return aText.size() >= aSuffix.size() && aText.substr(aText.size() - aSuffix.size()) == aSuffix;
        }
    }

    bool GatherSkeleton(const Plat::Fbx::Node* aNode, FBXSkeleton& aSkeleton, std::vector<FBXJoint>& someEvents,
                        std::vector<FBXSocket>& someSockets, int32_t aParentIndex)
    {
        using EType = Plat::Fbx::NodeAttribute::EType;
        int32_t childParent = aParentIndex;
        const Plat::Fbx::NodeAttribute* attribute = aNode->GetNodeAttribute();
        const EType type = attribute ? attribute->GetAttributeType() : EType::Unknown;
        const std::string& name = aNode->GetName();

        if (attribute != nullptr && type == EType::Skeleton)
        {
            FBXJoint joint;
            joint.parent = aParentIndex;
            joint.name = name;
            joint.shortName = ShortName(name);
            aSkeleton.Joints.push_back(joint);
            const int32_t index = static_cast<int32_t>(aSkeleton.Joints.size()) - 1;
            if (aSkeleton.jointIndex.count(joint.shortName) != 0)
                ThrowImportError("Found more than one bone with the same name [" + name + "]!");
            aSkeleton.jointIndex[joint.shortName] = static_cast<uint32_t>(index);
            if (aParentIndex >= 0)
                aSkeleton.Joints[static_cast<size_t>(aParentIndex)].children.push_back(index);
            childParent = index;
        }
        else if (attribute != nullptr && type == EType::Null)
        {
            if (EndsWith(name, "_evt") || EndsWith(name, "_event"))
            {
                FBXJoint event;
                event.parent = aParentIndex;
                event.name = name;
                someEvents.push_back(event);
            }
            else if (EndsWith(name, "_skt") || EndsWith(name, "_socket"))
            {
                FBXSocket socket;
                socket.matrix = ConvertMatrix(aNode->EvaluateGlobalTransform(Plat::Fbx::Time(0)));
                socket.parent = aParentIndex;
                socket.name = name;
                someSockets.push_back(socket);
            }
        }

        for (int i = 0; i < aNode->GetChildCount(); ++i)
            GatherSkeleton(aNode->GetChild(i), aSkeleton, someEvents, someSockets, childParent);
        return !aSkeleton.Joints.empty();
    }
}
