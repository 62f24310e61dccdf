#include "Platform/fbx/AxisSystem.h"

#include "Platform/fbx/Scene.h"

namespace Plat::Fbx
{
    namespace
    {
        using SignedAxis = AxisSystem::SignedAxis;

        // Axis sequences of the Euler orders, first-turning axis first.
        constexpr int OrderAxes[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}};

        RotationOrder OrderOf(int aFirst, int aSecond, int aThird)
        {
            for (int i = 0; i < 6; ++i)
                if (OrderAxes[i][0] == aFirst && OrderAxes[i][1] == aSecond && OrderAxes[i][2] == aThird)
                    return static_cast<RotationOrder>(i);
            return RotationOrder::EulerXYZ;
        }
    }

    AxisSystem::AxisSystem(EPreDefinedAxisSystem aPreset)
    {
        switch (aPreset)
        {
        case EPreDefinedAxisSystem::MayaZUp:
        case EPreDefinedAxisSystem::Max:
            *this = AxisSystem({0, 1}, {2, 1}, {1, -1});
            break;
        case EPreDefinedAxisSystem::DirectX:
        case EPreDefinedAxisSystem::Lightwave:
            *this = AxisSystem({0, 1}, {1, 1}, {2, -1});
            break;
        case EPreDefinedAxisSystem::MayaYUp:
        case EPreDefinedAxisSystem::MotionBuilder:
        case EPreDefinedAxisSystem::OpenGL:
        default:
            *this = AxisSystem({0, 1}, {1, 1}, {2, 1});
            break;
        }
    }

    AxisSystem::AxisSystem(SignedAxis aRight, SignedAxis anUp, SignedAxis aFront)
        : myRight(aRight), myUp(anUp), myFront(aFront)
    {
    }

    bool AxisSystem::IsValid() const
    {
        const SignedAxis axes[3] = {myRight, myUp, myFront};
        bool seen[3] = {false, false, false};
        for (const SignedAxis& a : axes)
        {
            if (a.axis < 0 || a.axis > 2 || seen[a.axis] || (a.sign != 1 && a.sign != -1))
                return false;
            seen[a.axis] = true;
        }
        return true;
    }

    AMatrix AxisSystem::ConversionFrom(const AxisSystem& aFrom) const
    {
        AMatrix c;
        for (int r = 0; r < 3; ++r)
            c.SetRow(r, Vector4(0.0, 0.0, 0.0, 0.0));
        const SignedAxis from[3] = {aFrom.myRight, aFrom.myUp, aFrom.myFront};
        const SignedAxis to[3] = {myRight, myUp, myFront};
        for (int k = 0; k < 3; ++k)
            c.At(from[k].axis, to[k].axis) = static_cast<double>(from[k].sign * to[k].sign);
        return c;
    }

    void AxisSystem::DeepConvertScene(Scene* aScene) const
    {
        if (aScene == nullptr || !IsValid())
            return;
        const AxisSystem from = aScene->GetGlobalSettings().GetAxisSystem();
        if (from == *this || !from.IsValid())
        {
            aScene->GetGlobalSettings().SetAxisSystem(*this);
            return;
        }
        const AMatrix c = ConversionFrom(from);
        const AMatrix cInverse = c.Transpose();
        int target[3];
        double sign[3];
        for (int a = 0; a < 3; ++a)
            for (int t = 0; t < 3; ++t)
                if (c.Get(a, t) != 0.0)
                {
                    target[a] = t;
                    sign[a] = c.Get(a, t);
                }
        const double det = c.Get(0, 0) * (c.Get(1, 1) * c.Get(2, 2) - c.Get(1, 2) * c.Get(2, 1)) -
                           c.Get(0, 1) * (c.Get(1, 0) * c.Get(2, 2) - c.Get(1, 2) * c.Get(2, 0)) +
                           c.Get(0, 2) * (c.Get(1, 0) * c.Get(2, 1) - c.Get(1, 1) * c.Get(2, 0));

        auto point = [&](Vector4& v) {
            const Vector4 out = c.MultR(v);
            for (int i = 0; i < 3; ++i)
                v[i] = out[i];
        };
        auto permuted = [&](const Vector4& v, bool aSigned, double anExtraSign) {
            Vector4 out = v;
            for (int a = 0; a < 3; ++a)
                out[target[a]] = v[a] * (aSigned ? sign[a] * anExtraSign : 1.0);
            return out;
        };
        // Rotation() of angles that are all zero (of either sign) is the identity whatever
        // else they hold, so their conversion is worked out once.
        const AMatrix noRotation = c * AMatrix::Rotation(Vector4()) * cInverse;
        const Vector4 noRotationConverted = EulerXYZFromRotation(noRotation);
        auto rotationXYZ = [&](Vector4& someDegrees) {
            if (someDegrees[0] == 0.0 && someDegrees[1] == 0.0 && someDegrees[2] == 0.0)
            {
                someDegrees = noRotationConverted;
                return;
            }
            const AMatrix converted = c * AMatrix::Rotation(someDegrees) * cInverse;
            someDegrees = EulerXYZFromRotation(converted);
        };

        // Runs of x y z, each multiplied out as MultR does (zero terms included, so signed
        // zeros and non-finite values come out the same).
        const double m[3][3] = {{c.Get(0, 0), c.Get(0, 1), c.Get(0, 2)},
                                {c.Get(1, 0), c.Get(1, 1), c.Get(1, 2)},
                                {c.Get(2, 0), c.Get(2, 1), c.Get(2, 2)}};
        auto points = [&m](std::vector<double>& someValues) {
            double* v = someValues.data();
            for (size_t i = 0; i + 3 <= someValues.size(); i += 3)
            {
                const double x = v[i], y = v[i + 1], z = v[i + 2];
                for (int k = 0; k < 3; ++k)
                    v[i + static_cast<size_t>(k)] = x * m[0][k] + y * m[1][k] + z * m[2][k];
            }
        };
        for (Mesh* mesh : aScene->myMeshes)
        {
            points(mesh->myControlPoints);
            for (auto* elements : {&mesh->myNormals, &mesh->myTangents, &mesh->myBinormals})
                for (auto& element : *elements)
                    points(element.DirectArray().Values());
        }

        std::vector<Node*> nodes = aScene->myNodes;
        nodes.push_back(aScene->myRoot);
        for (Node* node : nodes)
        {
            NodeTransform& x = node->myTransform;
            for (Vector4* v : x.Positions())
                point(*v);
            const int order = static_cast<int>(x.rotationOrder) % 6;
            x.rotationOrder = OrderOf(target[OrderAxes[order][0]], target[OrderAxes[order][1]], target[OrderAxes[order][2]]);
            x.rotation = permuted(x.rotation, true, det);
            x.scaling = permuted(x.scaling, false, 1.0);
            x.geometricScaling = permuted(x.geometricScaling, false, 1.0);
            rotationXYZ(x.preRotation);
            rotationXYZ(x.postRotation);
            rotationXYZ(x.geometricRotation);

            for (NodeChannels& channels : node->myChannels)
            {
                const NodeChannels old = channels;
                for (int a = 0; a < 3; ++a)
                {
                    const size_t t = static_cast<size_t>(target[a]);
                    const size_t from3 = static_cast<size_t>(a);
                    channels[t] = old[from3];
                    channels[t].factor *= sign[a];
                    channels[3 + t] = old[3 + from3];
                    channels[3 + t].factor *= sign[a] * det;
                    channels[6 + t] = old[6 + from3];
                }
            }
        }

        for (Cluster* cluster : aScene->myClusters)
            for (AMatrix* m : {&cluster->myTransform, &cluster->myTransformLink})
                *m = c * *m * cInverse;

        ++aScene->myRevision;
        aScene->GetGlobalSettings().SetAxisSystem(*this);
    }
}
