#include "ImportHelpers.h"
#include "Importer.h"
#include "SkeletonImport.h"

#include "Platform/fbx/Importer.h"
#include "Platform/fbx/IOSettings.h"
#include "Platform/fbx/Scene.h"

#include <filesystem>

namespace KILNFBXImporter
{
    namespace
    {
        namespace Fbx = Plat::Fbx;

        // Nearly an hour at 30 fps: a longer span is broken data, and sampling it would only
        // exhaust memory.
        constexpr int64_t MaxFrames = 100000;
    }

    bool LoadAnimation(const std::string& aPath, FBXAnimation& anOutAnimation)
    {
        if (!std::filesystem::exists(aPath))
        {
            LastError = "FBX File not found! (" + aPath + ")";
            return false;
        }
        ImporterState& state = GetImporterState();
        Fbx::Importer* importer = Fbx::Importer::Create(state.manager, "");
        if (importer == nullptr)
        {
            LastError = "Failed to create the FBX Importer! Error was: the importer is not initialised (call InitImporter()).";
            return false;
        }
        ImportScope scope(importer, nullptr);
        if (!importer->Initialize(aPath, -1, state.ioSettings) || !importer->IsFBX())
        {
            LastError = "Failed to initialize the FBX Importer! Error was: " + importer->GetStatus().GetErrorString() + ".";
            return false;
        }

        Fbx::Scene* fbxScene = Fbx::Scene::Create(state.manager, "The Scene");
        scope.SetScene(fbxScene);
        if (importer->Import(fbxScene))
        {
            state.axisSystem.DeepConvertScene(fbxScene);

            FBXSkeleton skeleton;
            std::vector<FBXJoint> events;
            std::vector<FBXSocket> sockets;
            if (!GatherSkeleton(fbxScene->GetRootNode(), skeleton, events, sockets, -1))
                ThrowImportError("The file [" + aPath + "] has no skeleton!");
            for (const FBXJoint& joint : skeleton.Joints)
                anOutAnimation.jointNames.push_back(joint.name);

            if (fbxScene->GetAnimStackCount() == 0)
                ThrowImportError("The file [" + aPath + "] has no animation stack!");
            const Fbx::AnimStack* stack = fbxScene->GetAnimStack(0);
            fbxScene->SetCurrentAnimationStack(stack);
            const Fbx::TakeInfo* take = fbxScene->GetTakeInfo(stack->GetName());
            const Fbx::TimeMode timeMode = fbxScene->GetGlobalSettings().GetTimeMode();
            const double framesPerSecond = Fbx::Time::GetFrameRate(timeMode);
            const Fbx::TimeSpan span = take ? take->mLocalTimeSpan : stack->GetLocalTimeSpan();
            const Fbx::Time start = span.GetStart();
            const Fbx::Time stop = span.GetStop();
            const int64_t startFrame = start.GetFrameCount(timeMode);
            const int64_t stopFrame = stop.GetFrameCount(timeMode);
            if (stopFrame < startFrame)
                ThrowImportError("The file [" + aPath + "] has an animation stack that ends before it starts!");
            if (stopFrame - startFrame >= MaxFrames)
                ThrowImportError("The file [" + aPath + "] has an animation stack of more than " +
                                 std::to_string(MaxFrames) + " frames!");

            anOutAnimation.path = aPath;
            anOutAnimation.frameCount = static_cast<uint32_t>(stopFrame - startFrame + 1);
            anOutAnimation.framesPerSecond = static_cast<float>(framesPerSecond);
            anOutAnimation.frames.resize(anOutAnimation.frameCount);
            anOutAnimation.duration = stop.GetSecondDouble() - start.GetSecondDouble();

            for (int64_t f = startFrame; f <= stopFrame; ++f)
            {
                FBXAnimationFrame& frame = anOutAnimation.frames[static_cast<size_t>(f - startFrame)];
                Fbx::Time time;
                time.SetFrame(f, timeMode);

                frame.localTransforms.reserve(skeleton.Joints.size());
                frame.globalTransforms.reserve(skeleton.Joints.size());
                for (const FBXJoint& joint : skeleton.Joints)
                {
                    Fbx::AMatrix local, global;
                    if (const Fbx::Node* node = fbxScene->FindNodeByName(joint.name))
                    {
                        local = node->EvaluateLocalTransform(time);
                        global = node->EvaluateGlobalTransform(time);
                    }
                    frame.localTransforms[joint.shortName] = ConvertMatrix(local);
                    frame.globalTransforms[joint.shortName] = ConvertMatrix(global);
                }

                for (const FBXSocket& socket : sockets)
                {
                    Fbx::AMatrix global;
                    if (const Fbx::Node* node = fbxScene->FindNodeByName(socket.name))
                        global = node->EvaluateGlobalTransform(time);
                    frame.socketTransforms[socket.name] = ConvertMatrix(global);
                }

                for (const FBXJoint& event : events)
                {
                    const Fbx::Node* node = fbxScene->FindNodeByName(event.name);
                    if (node == nullptr)
                        continue;
                    const FBXMatrix local = ConvertMatrix(node->EvaluateLocalTransform(time));
                    const float sum = local.m[3][0] + local.m[3][1] + local.m[3][2];
                    if (sum * sum > 0.0f)
                        frame.triggeredEvents[event.name] = true;
                }
            }
        }

        if (importer->GetStatus().Error())
            ThrowImportError("Failed to import the animation. " + importer->GetStatus().GetErrorString());
        return true;
    }
}
