#include "forge/model/ModelFactory.h"

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

using namespace ModelTest;

TEST_F(ModelFactoryTest, Explore)
{
    const auto path = WriteFbx(TempPath("bar.fbx"), BentBar(90.0f));
    auto model = myFactory->GetModel(path.string());
    ASSERT_NE(model, nullptr);
    const auto& skeleton = model->GetSkeleton();
    for (const auto& joint : skeleton.myJoints)
    {
        printf("%s parent %d:", joint.myName.c_str(), joint.myParent);
        for (int i = 0; i < 16; ++i) printf(" %g", joint.myInverseBind[i]);
        printf("\n");
    }
    for (const auto& v : model->GetMeshes()[0].myVertices)
        printf("v %g %g %g  bones %g %g w %g %g\n", v.position[0], v.position[1], v.position[2], BoneIndex(v, 0), BoneIndex(v, 1), v.boneWeights[0], v.boneWeights[1]);
    auto clip = myFactory->LoadAnimation(path.string(), model);
    ASSERT_NE(clip, nullptr);
    printf("frames %d fps %g dur %g\n", clip->myFrameCount, clip->myFramesPerSecond, clip->myDuration);
    for (int j = 0; j < 2; ++j)
    {
        const auto& t = clip->myFrames[0].myTransforms[j];
        printf("j%d t %g %g %g r %g %g %g %g s %g %g %g\n", j, t.myTranslation.x, t.myTranslation.y, t.myTranslation.z, t.myRotation.w, t.myRotation.x, t.myRotation.y, t.myRotation.z, t.myScale.x, t.myScale.y, t.myScale.z);
    }
}
