// One animated model instance per frame: the animation player's update (sampling and
// blending 128 joints between two clip frames) and the pose evaluation into 128 bone
// matrices, beside the same work written with Assimp's math types (aiQuaternion's
// interpolation, aiMatrix4x4 composed from scale, rotation and position, parent times
// local, times the offset matrix). Both walk a 128-joint binary tree over a 60-frame clip.
// After the runs, one line gives the time per instance per frame of each and their ratio.
#include "forge/model/AnimatedModelInstance.h"
#include "forge/model/AnimationPlayer.h"

#include <assimp/matrix4x4.h>
#include <assimp/quaternion.h>
#include <assimp/vector3.h>
#include <assimp/matrix4x4.inl>
#include <assimp/quaternion.inl>
#include <assimp/vector3.inl>
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
    constexpr size_t JOINTS = Kiln::MAX_ANIMATION_BONES;
    constexpr int FRAMES = 60;
    constexpr float FRAME_STEP = 1.0f / 60.0f;

    int Parent(size_t aJoint) { return aJoint == 0 ? -1 : static_cast<int>((aJoint - 1) / 2); }

    struct Data
    {
        std::shared_ptr<Kiln::Model> myModel = std::make_shared<Kiln::Model>();
        std::shared_ptr<Kiln::Animation> myClip = std::make_shared<Kiln::Animation>();

        Data()
        {
            std::mt19937 random(7);
            std::uniform_real_distribution<float> angle(-0.5f, 0.5f);
            Kiln::Skeleton& skeleton = myModel->GetSkeleton();
            skeleton.myJoints.resize(JOINTS);
            for (size_t j = 0; j < JOINTS; ++j)
            {
                skeleton.myJoints[j].myParent = Parent(j);
                if (j > 0)
                    skeleton.myJoints[static_cast<size_t>(Parent(j))].myChildren.push_back(static_cast<int32_t>(j));
                skeleton.myJoints[j].myInverseBind = Kiln::Matrix4x4<float>::CreateTranslation({0.0f, -float(j), 0.0f});
            }
            myClip->myFrameCount = FRAMES;
            myClip->myFramesPerSecond = 30.0f;
            myClip->myDuration = float(FRAMES - 1) / 30.0f;
            myClip->myFrames.resize(FRAMES);
            for (Kiln::LocalSpacePose& frame : myClip->myFrames)
            {
                frame.myJointCount = JOINTS;
                for (Kiln::Transform& t : frame.myTransforms)
                {
                    const float half = angle(random) * 0.5f;
                    t.myRotation = {std::cos(half), std::sin(half) * 0.6f, 0.0f, std::sin(half) * 0.8f};
                    t.myTranslation = {0.0f, 1.0f, angle(random)};
                    t.myScale = {1.0f, 1.0f + angle(random) * 0.1f, 1.0f};
                }
            }
        }
    };

    Data& GetData()
    {
        static Data data;
        return data;
    }

    void BM_Instance_Kiln(benchmark::State& aState)
    {
        Data& data = GetData();
        Kiln::AnimationPlayer player;
        player.SetAnimation(data.myClip);
        player.SetLooping(true);
        player.SetState(Kiln::AnimationPlayer::STATE_PLAYING);
        Kiln::AnimatedModelInstance instance;
        instance.SetModel(data.myModel);
        for (auto _ : aState)
        {
            player.Update(FRAME_STEP);
            instance.SetPose(player);
            benchmark::DoNotOptimize(instance.GetBones()[JOINTS - 1][12]);
        }
        aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations()));
    }

    // The same clip and skeleton in Assimp's types (column vectors: parent x local).
    struct PeerData
    {
        std::vector<std::array<aiVector3D, JOINTS>> myTranslations, myScales;
        std::vector<std::array<aiQuaternion, JOINTS>> myRotations;
        std::array<aiMatrix4x4, JOINTS> myOffsets;

        PeerData()
        {
            const Data& data = GetData();
            for (const Kiln::LocalSpacePose& frame : data.myClip->myFrames)
            {
                auto& t = myTranslations.emplace_back();
                auto& s = myScales.emplace_back();
                auto& r = myRotations.emplace_back();
                for (size_t j = 0; j < JOINTS; ++j)
                {
                    const Kiln::Transform& k = frame.myTransforms[j];
                    t[j] = {k.myTranslation.x, k.myTranslation.y, k.myTranslation.z};
                    s[j] = {k.myScale.x, k.myScale.y, k.myScale.z};
                    r[j] = aiQuaternion(k.myRotation.w, k.myRotation.x, k.myRotation.y, k.myRotation.z);
                }
            }
            for (size_t j = 0; j < JOINTS; ++j)
                aiMatrix4x4::Translation(aiVector3D(0.0f, -float(j), 0.0f), myOffsets[j]);
        }
    };

    void BM_Instance_Assimp(benchmark::State& aState)
    {
        static const PeerData peer;
        float time = 0.0f;
        const float duration = GetData().myClip->myDuration;
        std::array<aiMatrix4x4, JOINTS> global;
        std::array<aiMatrix4x4, JOINTS> bones;
        for (auto _ : aState)
        {
            time += FRAME_STEP;
            while (time >= duration)
                time -= duration;
            const float x = time * 30.0f;
            const size_t frame = static_cast<size_t>(x);
            const size_t next = frame + 1 < FRAMES ? frame + 1 : 0;
            const float blend = x - static_cast<float>(frame);
            for (size_t j = 0; j < JOINTS; ++j)
            {
                const aiVector3D t = peer.myTranslations[frame][j] + (peer.myTranslations[next][j] - peer.myTranslations[frame][j]) * blend;
                const aiVector3D s = peer.myScales[frame][j] + (peer.myScales[next][j] - peer.myScales[frame][j]) * blend;
                aiQuaternion r;
                aiQuaternion::Interpolate(r, peer.myRotations[frame][j], peer.myRotations[next][j], blend);
                const aiMatrix4x4 local(s, r, t);
                global[j] = j == 0 ? local : global[static_cast<size_t>(Parent(j))] * local;
                bones[j] = global[j] * peer.myOffsets[j];
            }
            benchmark::DoNotOptimize(bones[JOINTS - 1].a4);
        }
        aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations()));
    }

    class RateReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
            {
                const auto found = run.counters.find("items_per_second");
                if (found != run.counters.end() && run.run_type == Run::RT_Iteration)
                    myRates[run.run_name.function_name] = found->second.value;
            }
            ConsoleReporter::ReportRuns(someRuns);
        }
        std::map<std::string, double> myRates;
    };
}

BENCHMARK(BM_Instance_Kiln)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Instance_Assimp)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.myRates.count("BM_Instance_Kiln") != 0 && reporter.myRates.count("BM_Instance_Assimp") != 0)
    {
        const double ours = 1e6 / reporter.myRates["BM_Instance_Kiln"];
        const double peer = 1e6 / reporter.myRates["BM_Instance_Assimp"];
        std::printf("Animated instance (128 joints) per frame: Kiln %.2f us, Assimp math %.2f us, ratio %.2f\n", ours, peer,
                    peer / ours);
    }
    return 0;
}
