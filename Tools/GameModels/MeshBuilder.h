#pragma once
// Builds one mesh out of simple parts (bevelled boxes, lathed shapes, flat polygons) in
// engine space. Every polygon is wound so that it faces along its normal as the engine
// draws front faces (clockwise seen from the front, left-handed space); faces take the
// colour of one palette cell through their UVs, times a vertex colour.
#include "Geometry.h"
#include "Palette.h"

#include <array>
#include <vector>

namespace GameModels
{
    // Up to two joints bind a vertex.
    struct SkinWeights
    {
        std::array<int, 2> joints = {-1, -1};
        std::array<float, 2> weights = {0.0f, 0.0f};
    };

    struct Corner
    {
        Vec3 position;
        Vec3 normal;
        Vec2 uv;                 // engine texture space (v down)
        std::array<float, 4> colour = {1.0f, 1.0f, 1.0f, 1.0f};
    };

    struct Polygon
    {
        std::vector<Corner> corners;
    };

    // A point of a lathe profile: distance from the y axis and height.
    struct ProfilePoint
    {
        float radius = 0.0f;
        float y = 0.0f;
    };

    class MeshBuilder
    {
    public:
        // The cell and vertex-colour shade the parts added next are painted with.
        void SetCell(const Cell& aCell, float aShade = 1.0f);
        void SetShade(float aShade) { myShade = aShade; }

        // A flat polygon (convex, planar) facing along aNormal.
        void AddFace(const std::vector<Vec3>& somePoints, const Vec3& aNormal);
        // A polygon with one normal per corner, facing along their mean.
        void AddSmoothFace(const std::vector<Vec3>& somePoints, const std::vector<Vec3>& someNormals);

        // An axis-aligned box with its edges chamfered by aBevel (0: sharp).
        void AddBox(const Vec3& aMin, const Vec3& aMax, float aBevel);

        // A profile (bottom to top) turned about the y axis in aSegments steps. Smooth
        // lathes share normals around the axis; faceted ones keep each side flat. Ends
        // whose radius is not zero are closed with a flat cap.
        void AddLathe(const std::vector<ProfilePoint>& aProfile, int aSegments, bool aSmooth,
                      float aStartDegrees = 0.0f, bool aCloseEnds = true);

        // Appends another builder's polygons through a transform.
        void Append(const MeshBuilder& aPart, const Affine& aTransform);

        // Multiplies every vertex colour by a light term: anAmbient + (1 - anAmbient) x
        // max(dot(normal, toward the light), 0), for shaders that do no lighting.
        void BakeLight(const Vec3& aTowardLight, float anAmbient);

        const std::vector<Polygon>& GetPolygons() const { return myPolygons; }
        std::vector<Polygon>& GetPolygons() { return myPolygons; }

        // Minimum and maximum corner positions (zero when empty).
        void GetBounds(Vec3& aMin, Vec3& aMax) const;

    private:
        void Push(std::vector<Corner> someCorners, const Vec3& aFacing);

        std::vector<Polygon> myPolygons;
        Vec2 myUv = CellCentreUv({});
        float myShade = 1.0f;
    };

    // The mean of a polygon's Newell normal, unnormalised (zero for a degenerate one).
    Vec3 NewellNormal(const std::vector<Vec3>& somePoints);
}
