#include "ImporterTestSupport.h"

#include "Support/fbx/FbxMutator.h"

using namespace KILNFBXImporter;
using namespace KilnTest;

// Mutated binaries through the whole importer: a load returns false, throws a
// runtime error, or succeeds, and never reads outside its data.
TEST_F(ImporterTest, MutatedFilesNeverCrashEitherLoad)
{
    std::vector<std::string> seeds;
    for (const char* name : {"cube.fbx", "two_materials.fbx", "skinned.fbx", "animated.fbx", "lod.fbx"})
        for (FbxForm form : {FbxForm::Binary7400Zlib, FbxForm::Binary7500})
            seeds.push_back(ReadWholeFile(FixtureInForm(name, form, myFolder)));
    FbxMutator mutator(99);
    const auto path = myFolder / "mutated.fbx";
    int loaded = 0;
    for (int i = 0; i < 1000; ++i)
    {
        WriteWholeFile(path, mutator.Mutate(seeds[mutator.Pick(seeds.size())]));
        try
        {
            FBXModel model;
            loaded += LoadModel(path.string(), model, i % 2 == 0, true) ? 1 : 0;
        }
        catch (const std::exception&)
        {
        }
        try
        {
            FBXAnimation clip;
            LoadAnimation(path.string(), clip);
        }
        catch (const std::exception&)
        {
        }
    }
    EXPECT_GT(loaded, 0);
}
