#pragma once
// Shared by the importer suites: an initialised importer per test and small lookups.
#include "Importer.h"

#include "Support/fbx/FbxTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

class ImporterTest : public ::testing::Test
{
protected:
    void SetUp() override { KILNFBXImporter::InitImporter(); }
    void TearDown() override { KILNFBXImporter::UninitImporter(); }

    KilnTest::TempFolder myFolder;
};

inline bool Near(float a, float b, float aTolerance = 1e-4f)
{
    return std::fabs(a - b) <= aTolerance;
}

// The first vertex of a mesh at a position, or null.
inline const KILNFBXImporter::FBXVertex* FindVertex(const KILNFBXImporter::FBXMesh& aMesh, float x, float y, float z)
{
    for (const auto& v : aMesh.vertices)
        if (Near(v.position[0], x) && Near(v.position[1], y) && Near(v.position[2], z))
            return &v;
    return nullptr;
}

// Replaces the first occurrence of aFrom in someText; fails the test when absent.
inline std::string Replaced(std::string someText, const std::string& aFrom, const std::string& aTo)
{
    const size_t at = someText.find(aFrom);
    EXPECT_NE(at, std::string::npos) << "fixture text not found: " << aFrom;
    if (at != std::string::npos)
        someText.replace(at, aFrom.size(), aTo);
    return someText;
}
