#include "Platform/fbx/SceneBuilder.h"

#include "Platform/fbx/FormatError.h"
#include "Platform/fbx/Scene.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace Plat::Fbx
{
    namespace
    {
        // ---- Properties70 ------------------------------------------------------------

        bool IsPropertyRecord(const Element& aRecord)
        {
            return aRecord.name == "P" && !aRecord.values.empty() && aRecord.values[0].IsString();
        }

        // The P records of one Properties70 block by name; of records sharing a name the
        // last one counts. Built once per object type for the type's template.
        class PropertyIndex
        {
        public:
            PropertyIndex() = default;
            explicit PropertyIndex(const Element* anOwner)
            {
                const Element* props = anOwner != nullptr ? anOwner->FindChild("Properties70") : nullptr;
                if (props == nullptr)
                    return;
                for (const Element& p : props->children)
                    if (IsPropertyRecord(p))
                        myRecords.emplace_back(p.values[0].AsString(), &p);
                std::stable_sort(myRecords.begin(), myRecords.end(),
                                 [](const auto& a, const auto& b) { return a.first < b.first; });
                // Of equal names (now adjacent, in file order) keep the last.
                size_t kept = 0;
                for (size_t i = 0; i < myRecords.size(); ++i)
                {
                    if (i + 1 < myRecords.size() && myRecords[i + 1].first == myRecords[i].first)
                        continue;
                    myRecords[kept++] = myRecords[i];
                }
                myRecords.resize(kept);
            }

            const Element* Find(std::string_view aName) const
            {
                const auto it = std::lower_bound(myRecords.begin(), myRecords.end(), aName,
                                                 [](const auto& aRecord, std::string_view aKey) { return aRecord.first < aKey; });
                return it != myRecords.end() && it->first == aName ? it->second : nullptr;
            }

            void AddNames(std::vector<std::string>& someNames) const
            {
                for (const auto& [name, record] : myRecords)
                    someNames.emplace_back(name);
            }

        private:
            std::vector<std::pair<std::string_view, const Element*>> myRecords;
        };

        // The P records of an object, falling back to its type's template.
        class PropertyTable
        {
        public:
            PropertyTable(const Element* anObject, const PropertyIndex* aTemplate)
                : myProperties(anObject != nullptr ? anObject->FindChild("Properties70") : nullptr), myTemplate(aTemplate)
            {
            }

            const Element* Find(std::string_view aName) const
            {
                // Objects hold few records: a backward scan finds the last of a name.
                if (myProperties != nullptr)
                    for (auto it = myProperties->children.rbegin(); it != myProperties->children.rend(); ++it)
                        if (IsPropertyRecord(*it) && it->values[0].AsString() == aName)
                            return &*it;
                return myTemplate != nullptr ? myTemplate->Find(aName) : nullptr;
            }

            // The value after the four header entries (name, type, label, flags).
            const Value* Number(std::string_view aName, size_t anOffset = 0) const
            {
                const Element* p = Find(aName);
                if (p == nullptr || p->values.size() <= 4 + anOffset || !p->values[4 + anOffset].IsNumber())
                    return nullptr;
                return &p->values[4 + anOffset];
            }

            double Double(std::string_view aName, double aDefault) const
            {
                const Value* v = Number(aName);
                return v ? v->AsDouble(aDefault) : aDefault;
            }

            int64_t Int(std::string_view aName, int64_t aDefault) const
            {
                const Value* v = Number(aName);
                return v ? v->AsInt64(aDefault) : aDefault;
            }

            bool Has(std::string_view aName) const { return Find(aName) != nullptr; }

            Vector4 Vector(std::string_view aName, const Vector4& aDefault) const
            {
                const Element* p = Find(aName);
                Vector4 out = aDefault;
                for (size_t i = 0; i < 3; ++i)
                    if (p != nullptr && p->values.size() > 4 + i && p->values[4 + i].IsNumber())
                        out[static_cast<int>(i)] = p->values[4 + i].AsDouble(aDefault[static_cast<int>(i)]);
                return out;
            }

            // Every name, sorted, once.
            std::vector<std::string> Names() const
            {
                std::vector<std::string> names;
                if (myTemplate != nullptr)
                    myTemplate->AddNames(names);
                if (myProperties != nullptr)
                    for (const Element& p : myProperties->children)
                        if (IsPropertyRecord(p))
                            names.push_back(p.values[0].AsString());
                std::sort(names.begin(), names.end());
                names.erase(std::unique(names.begin(), names.end()), names.end());
                return names;
            }

        private:
            const Element* myProperties;
            const PropertyIndex* myTemplate;
        };

        std::string ObjectName(const Element& anObject)
        {
            if (anObject.values.size() < 2)
                return {};
            const std::string& full = anObject.values[1].AsString();
            const size_t separator = full.find("::");
            return separator == std::string::npos ? full : full.substr(separator + 2);
        }

        std::string SubClass(const Element& anObject)
        {
            return anObject.values.size() >= 3 ? anObject.values[2].AsString() : std::string();
        }

        std::string Describe(const Element& anObject)
        {
            return anObject.name + " '" + ObjectName(anObject) + "'";
        }

        const Element* ArrayChild(const Element& anOwner, std::initializer_list<std::string_view> someNames)
        {
            for (std::string_view name : someNames)
                if (const Element* child = anOwner.FindChild(name))
                    if (!child->values.empty())
                        return child;
            return nullptr;
        }

        // Absent, or an array of no values.
        bool IsEmptyArray(const Element* anArray)
        {
            return anArray == nullptr || (anArray->values.front().IsArray() && anArray->values.front().ArraySize() == 0);
        }

        std::vector<double> Doubles(const Element* anArray)
        {
            return anArray ? anArray->values.front().ToDoubles() : std::vector<double>();
        }

        int CheckedInt(int64_t aValue, const std::string& aWhat)
        {
            if (aValue < std::numeric_limits<int>::min() || aValue > std::numeric_limits<int>::max())
                throw FormatError(aWhat + " holds an index out of the 32-bit range");
            return static_cast<int>(aValue);
        }

        // Where the geometry reader gets its large arrays: moved out of a document it may
        // consume when already in the stored type, else converted into pooled arrays.
        struct ArraySource
        {
            bool consume = false;
            BufferPool* pool = nullptr;


            std::vector<double> Doubles(const Element* anArray) const
            {
                if (anArray == nullptr)
                    return {};
                Value::Storage& storage = const_cast<Value&>(anArray->values.front()).GetStorage();
                if (consume)
                    if (auto* doubles = std::get_if<std::vector<double>>(&storage))
                        return std::move(*doubles);
                return std::visit(
                    [this](const auto& v) -> std::vector<double> {
                        using T = std::decay_t<decltype(v)>;
                        if constexpr (requires { typename T::value_type; } && !std::is_same_v<T, std::string>)
                        {
                            std::vector<double> out = TakeFrom<double>(pool, v.size());
                            out.insert(out.end(), v.begin(), v.end());
                            return out;
                        }
                        else if constexpr (std::is_arithmetic_v<T>)
                            return {static_cast<double>(v)};
                        else
                            return {};
                    },
                    storage);
            }

            std::vector<int> Ints(const Element* anArray, const std::string& aWhat) const
            {
                if (anArray == nullptr)
                    return {};
                Value::Storage& storage = const_cast<Value&>(anArray->values.front()).GetStorage();
                if (consume)
                    if (auto* ints = std::get_if<std::vector<int32_t>>(&storage))
                        return std::move(*ints);
                return std::visit(
                    [&](const auto& v) -> std::vector<int> {
                        using T = std::decay_t<decltype(v)>;
                        if constexpr (requires { typename T::value_type; } && !std::is_same_v<T, std::string>)
                        {
                            std::vector<int> out = TakeFrom<int>(pool, v.size());
                            for (auto x : v)
                            {
                                if constexpr (std::is_floating_point_v<typename T::value_type>)
                                    out.push_back(CheckedInt((x > -9.2e18 && x < 9.2e18) ? static_cast<int64_t>(x) : 0, aWhat));
                                else
                                    out.push_back(CheckedInt(static_cast<int64_t>(x), aWhat));
                            }
                            return out;
                        }
                        else if constexpr (std::is_arithmetic_v<T>)
                            return {CheckedInt(Value(v).AsInt64(), aWhat)};
                        else
                            return {};
                    },
                    storage);
            }
        };

        std::vector<int> Ints(const Element* anArray, const std::string& aWhat)
        {
            return ArraySource{}.Ints(anArray, aWhat);
        }

        std::string Text(const Element& anOwner, std::string_view aName)
        {
            const Value* v = anOwner.FindChildValue(aName);
            return v ? v->AsString() : std::string();
        }

        // ---- Geometry ------------------------------------------------------------------

        MappingMode ParseMapping(const std::string& aText)
        {
            if (aText == "ByVertice" || aText == "ByVertex" || aText == "ByControlPoint")
                return MappingMode::ByControlPoint;
            if (aText == "ByPolygonVertex")
                return MappingMode::ByPolygonVertex;
            if (aText == "ByPolygon")
                return MappingMode::ByPolygon;
            if (aText == "ByEdge")
                return MappingMode::ByEdge;
            if (aText == "AllSame")
                return MappingMode::AllSame;
            return MappingMode::None;
        }

        ReferenceMode ParseReference(const std::string& aText)
        {
            if (aText == "IndexToDirect")
                return ReferenceMode::IndexToDirect;
            if (aText == "Index")
                return ReferenceMode::Index;
            return ReferenceMode::Direct;
        }

        // The layer elements of one kind, ordered by their layer number.
        std::vector<const Element*> ElementsNamed(const Element& aGeometry, std::string_view aName)
        {
            std::vector<std::pair<int64_t, const Element*>> found;
            for (const Element& child : aGeometry.children)
                if (child.name == aName)
                    found.emplace_back(child.values.empty() ? 0 : child.values[0].AsInt64(0), &child);
            std::stable_sort(found.begin(), found.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            std::vector<const Element*> out;
            for (const auto& [index, element] : found)
                out.push_back(element);
            return out;
        }

        struct MeshCounts
        {
            int controlPoints = 0;
            int polygonVertices = 0;
            int polygons = 0;
        };

        int RequiredCount(MappingMode aMode, const MeshCounts& someCounts)
        {
            switch (aMode)
            {
            case MappingMode::ByControlPoint: return someCounts.controlPoints;
            case MappingMode::ByPolygonVertex: return someCounts.polygonVertices;
            case MappingMode::ByPolygon: return someCounts.polygons;
            case MappingMode::AllSame: return someCounts.polygons > 0 ? 1 : 0;
            default: return 0;
            }
        }

        template <class T>
        void ReadElement(const Element& anElement, LayerElementTemplate<T>& anOut, std::initializer_list<std::string_view> someDirect,
                         std::initializer_list<std::string_view> someIndex, const MeshCounts& someCounts,
                         const std::string& aWhat, const ArraySource& aSource)
        {
            // Materials have no values, only the index array.
            constexpr bool hasValues = !std::is_same_v<T, int>;
            constexpr size_t stride = static_cast<size_t>(LayerArray<T>::Components);
            anOut.SetName(Text(anElement, "Name"));
            anOut.SetMappingMode(ParseMapping(Text(anElement, "MappingInformationType")));
            anOut.SetReferenceMode(ParseReference(Text(anElement, "ReferenceInformationType")));

            if constexpr (hasValues)
            {
                std::vector<double> raw = aSource.Doubles(ArrayChild(anElement, someDirect));
                if (raw.size() % stride != 0)
                    throw FormatError(aWhat + ": value array length " + std::to_string(raw.size()) + " is not a multiple of " +
                                      std::to_string(stride));
                if (raw.size() / stride > static_cast<size_t>(std::numeric_limits<int>::max()))
                    throw FormatError(aWhat + ": too many values");
                anOut.DirectArray().Values() = std::move(raw);
            }
            anOut.IndexArray().Values() = aSource.Ints(ArrayChild(anElement, someIndex), aWhat);

            const int required = RequiredCount(anOut.GetMappingMode(), someCounts);
            if (anOut.GetMappingMode() == MappingMode::None || anOut.GetMappingMode() == MappingMode::ByEdge)
                return; // nothing here reads such elements
            const bool direct = anOut.GetReferenceMode() == ReferenceMode::Direct;
            if (!hasValues || !direct)
            {
                const std::vector<int>& indices = anOut.GetIndexArray().Values();
                if (static_cast<int>(indices.size()) < required)
                    throw FormatError(aWhat + ": index array holds " + std::to_string(indices.size()) + " entries, " +
                                      std::to_string(required) + " needed");
                // Material slots index the node's materials, which the importer checks itself
                // (a polygon of no material of the node is skipped there).
                if (hasValues)
                {
                    const int count = anOut.GetDirectArray().GetCount();
                    for (int index : indices)
                        if (index < 0 || index >= count)
                            throw FormatError(aWhat + ": index " + std::to_string(index) + " is out of range");
                }
            }
            else if (anOut.GetDirectArray().GetCount() < required)
            {
                throw FormatError(aWhat + ": holds " + std::to_string(anOut.GetDirectArray().GetCount()) + " values, " +
                                  std::to_string(required) + " needed");
            }
        }

        void ReadMesh(const Element& aGeometry, Mesh& aMesh, const ArraySource& aSource)
        {
            const std::string what = Describe(aGeometry);
            aMesh.myPool = aSource.pool;
            std::vector<double> points = aSource.Doubles(ArrayChild(aGeometry, {"Vertices"}));
            if (points.size() % 3 != 0)
                throw FormatError(what + ": vertex array length is not a multiple of 3");
            if (points.size() / 3 > static_cast<size_t>(std::numeric_limits<int>::max()))
                throw FormatError(what + ": too many control points");
            aMesh.myControlPoints = std::move(points);

            // The file closes each polygon with a negative index (-(i + 1)); decoded in place.
            std::vector<int> corners = aSource.Ints(ArrayChild(aGeometry, {"PolygonVertexIndex"}), what);
            const int controlPoints = aMesh.GetControlPointsCount();
            std::vector<int> starts = TakeFrom<int>(aSource.pool, corners.size() / 3 + 2);
            starts.push_back(0);
            for (size_t c = 0; c < corners.size(); ++c)
            {
                const int raw = corners[c];
                const bool last = raw < 0;
                const int point = last ? -(raw + 1) : raw;
                if (point >= controlPoints)
                    throw FormatError(what + ": polygon corner refers to control point " + std::to_string(point) + " of " +
                                      std::to_string(controlPoints));
                corners[c] = point;
                if (last)
                    starts.push_back(static_cast<int>(c + 1));
            }
            if (starts.back() != static_cast<int>(corners.size()))
                throw FormatError(what + ": the last polygon is not closed by a negative index");
            aMesh.myPolygonVertices = std::move(corners);
            aMesh.myPolygonStarts = std::move(starts);

            const MeshCounts counts{controlPoints, static_cast<int>(aMesh.myPolygonVertices.size()), aMesh.GetPolygonCount()};
            int layer = 0;
            for (const Element* e : ElementsNamed(aGeometry, "LayerElementNormal"))
                ReadElement(*e, aMesh.myNormals.emplace_back(), {"Normals"}, {"NormalsIndex", "NormalIndex"}, counts,
                            what + " normal layer " + std::to_string(layer++), aSource);
            layer = 0;
            for (const Element* e : ElementsNamed(aGeometry, "LayerElementTangent"))
                ReadElement(*e, aMesh.myTangents.emplace_back(), {"Tangents"}, {"TangentsIndex", "TangentIndex"}, counts,
                            what + " tangent layer " + std::to_string(layer++), aSource);
            layer = 0;
            for (const Element* e : ElementsNamed(aGeometry, "LayerElementBinormal"))
                ReadElement(*e, aMesh.myBinormals.emplace_back(), {"Binormals"}, {"BinormalsIndex", "BinormalIndex"}, counts,
                            what + " binormal layer " + std::to_string(layer++), aSource);
            layer = 0;
            for (const Element* e : ElementsNamed(aGeometry, "LayerElementUV"))
            {
                // Some exporters write a UV layer without a single value: no UVs there.
                if (IsEmptyArray(ArrayChild(*e, {"UV"})) && IsEmptyArray(ArrayChild(*e, {"UVIndex"})))
                    continue;
                ReadElement(*e, aMesh.myUVs.emplace_back(), {"UV"}, {"UVIndex"}, counts,
                            what + " UV layer " + std::to_string(layer++), aSource);
            }
            layer = 0;
            for (const Element* e : ElementsNamed(aGeometry, "LayerElementColor"))
                ReadElement(*e, aMesh.myColors.emplace_back(), {"Colors"}, {"ColorIndex", "ColorsIndex"}, counts,
                            what + " colour layer " + std::to_string(layer++), aSource);
            layer = 0;
            for (const Element* e : ElementsNamed(aGeometry, "LayerElementMaterial"))
                ReadElement(*e, aMesh.myMaterials.emplace_back(), {}, {"Materials"}, counts,
                            what + " material layer " + std::to_string(layer++), aSource);
        }

        // ---- Animation curves ------------------------------------------------------------

        void ReadCurve(const Element& aCurve, AnimCurve& anOut)
        {
            const std::string what = Describe(aCurve);
            if (const Value* v = aCurve.FindChildValue("Default"))
                anOut.myDefault = v->AsDouble(0.0);
            const Element* timesElement = ArrayChild(aCurve, {"KeyTime"});
            const std::vector<int64_t> times = timesElement ? timesElement->values.front().ToInt64s() : std::vector<int64_t>();
            const std::vector<double> values = Doubles(ArrayChild(aCurve, {"KeyValueFloat", "KeyValueDouble"}));
            if (times.size() != values.size())
                throw FormatError(what + ": " + std::to_string(times.size()) + " key times but " +
                                  std::to_string(values.size()) + " key values");
            for (size_t i = 1; i < times.size(); ++i)
                if (times[i] < times[i - 1])
                    throw FormatError(what + ": key times are not in order");

            const std::vector<int> flags = Ints(ArrayChild(aCurve, {"KeyAttrFlags"}), what);
            const std::vector<int> refCounts = Ints(ArrayChild(aCurve, {"KeyAttrRefCount"}), what);
            // ASCII files write the attribute floats as the integers of their bits.
            std::vector<float> data;
            if (const Element* d = ArrayChild(aCurve, {"KeyAttrDataFloat"}))
            {
                const Value& v = d->values.front();
                if (std::holds_alternative<std::vector<int64_t>>(v.GetStorage()))
                    for (int64_t bits : std::get<std::vector<int64_t>>(v.GetStorage()))
                        data.push_back(std::bit_cast<float>(static_cast<uint32_t>(bits)));
                else if (std::holds_alternative<std::vector<int32_t>>(v.GetStorage()))
                    for (int32_t bits : std::get<std::vector<int32_t>>(v.GetStorage()))
                        data.push_back(std::bit_cast<float>(static_cast<uint32_t>(bits)));
                else
                    for (double x : v.ToDoubles())
                        data.push_back(static_cast<float>(x));
            }

            anOut.myKeys.resize(times.size());
            size_t attribute = 0;
            int64_t usesLeft = refCounts.empty() ? 0 : refCounts[0];
            for (size_t k = 0; k < times.size(); ++k)
            {
                AnimKey& key = anOut.myKeys[k];
                key.time = times[k];
                key.value = static_cast<float>(values[k]);
                while (attribute < refCounts.size() && usesLeft <= 0 && attribute + 1 < refCounts.size())
                    usesLeft = refCounts[++attribute];
                // Keys past the described attributes keep the last one.
                const size_t a = std::min(attribute, flags.empty() ? 0 : flags.size() - 1);
                --usesLeft;
                if (flags.empty())
                {
                    key.interpolation = AnimKey::Interpolation::Linear;
                    continue;
                }
                const int f = flags[a];
                key.interpolation = (f & 0x2)   ? AnimKey::Interpolation::Constant
                                    : (f & 0x8) ? AnimKey::Interpolation::Cubic
                                                : AnimKey::Interpolation::Linear;
                key.constantNext = (f & 0x2) && (f & 0x100);
                key.weighted = (f & 0x03000000) != 0;
                if (data.size() >= 4 * (a + 1))
                {
                    key.rightSlope = data[4 * a];
                    key.nextLeftSlope = data[4 * a + 1];
                    const uint32_t weights = std::bit_cast<uint32_t>(data[4 * a + 2]);
                    if (key.weighted)
                    {
                        key.rightWeight = static_cast<float>(weights & 0xffffu) / 10000.0f;
                        key.nextLeftWeight = static_cast<float>(weights >> 16) / 10000.0f;
                    }
                }
            }
        }

        // ---- Objects ------------------------------------------------------------------------

        enum class Kind
        {
            Other,
            Model,
            Mesh,
            Attribute,
            Material,
            Texture,
            Skin,
            Cluster,
            Stack,
            Layer,
            CurveNode,
            Curve,
        };

        struct CurveNodeInfo
        {
            std::array<const AnimCurve*, 3> curves{};
            Node* target = nullptr;
            int firstChannel = -1; // 0 translation, 3 rotation, 6 scaling
        };

        struct Entry
        {
            Kind kind = Kind::Other;
            SceneObject* object = nullptr;
            const Element* element = nullptr;
            size_t curveNode = 0; // index into the curve-node list
        };

        class Builder
        {
        public:
            Builder(const Document& aDocument, Scene& aScene, bool aTakeArrays)
                : myDocument(aDocument), myScene(aScene),
                  mySource{aTakeArrays, aScene.GetManager() != nullptr ? &aScene.GetManager()->GetBufferPool() : nullptr}
            {
            }

            void Build()
            {
                ReadTemplates();
                ReadGlobalSettings();
                const Element* objects = myDocument.root.FindChild("Objects");
                const Element* connections = myDocument.root.FindChild("Connections");
                if (objects == nullptr)
                    throw FormatError("the file has no Objects section");
                if (connections == nullptr)
                    throw FormatError("the file has no Connections section");

                auto root = std::make_unique<Node>();
                root->SetName("RootNode");
                root->myScene = &myScene;
                myScene.myRoot = myScene.Add(std::move(root));
                myEntries[0] = Entry{Kind::Model, myScene.myRoot, nullptr, 0};

                for (const Element& object : objects->children)
                    ReadObject(object);
                for (const Element& c : connections->children)
                    if (c.name == "C")
                        Connect(c);

                BuildHierarchy();
                AssignAttributes();
                ValidateSkins();
                BindAnimation();
                ReadTakes();
                myScene.IndexNodeNames();
            }

        private:
            void ReadTemplates()
            {
                const Element* definitions = myDocument.root.FindChild("Definitions");
                if (definitions == nullptr)
                    return;
                for (const Element& type : definitions->children)
                {
                    if (type.name != "ObjectType" || type.values.empty())
                        continue;
                    if (const Element* t = type.FindChild("PropertyTemplate"))
                        myTemplates[type.values[0].AsString()] = PropertyIndex(t);
                }
            }

            const PropertyIndex* Template(const std::string& aType) const
            {
                const auto it = myTemplates.find(aType);
                return it == myTemplates.end() ? nullptr : &it->second;
            }

            void ReadGlobalSettings()
            {
                GlobalSettings& settings = myScene.GetGlobalSettings();
                const PropertyTable props(myDocument.root.FindChild("GlobalSettings"), nullptr);

                const double unit = props.Double("UnitScaleFactor", 1.0);
                if (!(unit > 0.0) || !std::isfinite(unit))
                    throw FormatError("GlobalSettings: UnitScaleFactor must be a positive number");
                settings.SetSystemUnit(SystemUnit(unit));

                auto axis = [&](const char* anAxis, const char* aSign, int aDefault) {
                    const int64_t a = props.Int(anAxis, aDefault);
                    const int64_t s = props.Int(aSign, 1);
                    return AxisSystem::SignedAxis{a >= 0 && a <= 2 ? static_cast<int>(a) : -1, s < 0 ? -1 : 1};
                };
                const AxisSystem axes(axis("CoordAxis", "CoordAxisSign", 0), axis("UpAxis", "UpAxisSign", 1),
                                      axis("FrontAxis", "FrontAxisSign", 2));
                if (!axes.IsValid())
                    throw FormatError("GlobalSettings: the up, front and coordinate axes must be three different axes");
                settings.SetAxisSystem(axes);

                TimeMode mode;
                const int64_t m = props.Int("TimeMode", static_cast<int64_t>(ETimeMode::DefaultMode));
                mode.mode = m >= 0 && m <= 18 ? static_cast<ETimeMode>(m) : ETimeMode::DefaultMode;
                mode.customFrameRate = props.Double("CustomFrameRate", 30.0);
                settings.SetTimeMode(mode);
                settings.SetTimelineDefaultTimeSpan(
                    TimeSpan{Time(props.Int("TimeSpanStart", 0)), Time(props.Int("TimeSpanStop", 0))});
            }

            void ReadObject(const Element& anObject)
            {
                if (anObject.values.empty() || !anObject.values[0].IsNumber())
                    throw FormatError("object '" + anObject.name + "' has no id");
                const uint64_t id = static_cast<uint64_t>(anObject.values[0].AsInt64());
                if (myEntries.count(id) != 0)
                    throw FormatError("two objects share the id " + std::to_string(id));
                Entry entry;
                entry.element = &anObject;
                const std::string sub = SubClass(anObject);
                const std::string& type = anObject.name;

                if (type == "Model")
                {
                    auto node = std::make_unique<Node>();
                    node->myScene = &myScene;
                    ReadTransform(anObject, node->myTransform);
                    myModels.emplace_back(node.get(), &anObject);
                    entry = {Kind::Model, myScene.Add(std::move(node), &myScene.myNodes), &anObject, 0};
                }
                else if (type == "Geometry" && sub == "Mesh")
                {
                    auto mesh = std::make_unique<Mesh>();
                    ReadMesh(anObject, *mesh, mySource);
                    entry = {Kind::Mesh, myScene.Add(std::move(mesh), &myScene.myMeshes), &anObject, 0};
                }
                else if (type == "NodeAttribute")
                {
                    entry = {Kind::Attribute, MakeAttribute(sub, &anObject), &anObject, 0};
                }
                else if (type == "Material")
                {
                    auto material = std::make_unique<SurfaceMaterial>();
                    material->myPropertyNames = PropertyTable(&anObject, nullptr).Names();
                    entry = {Kind::Material, myScene.Add(std::move(material), &myScene.myMaterials), &anObject, 0};
                }
                else if (type == "Texture")
                {
                    auto texture = std::make_unique<FileTexture>();
                    texture->myFileName = Text(anObject, "FileName");
                    if (texture->myFileName.empty())
                        texture->myFileName = Text(anObject, "Filename");
                    texture->myRelativeFileName = Text(anObject, "RelativeFilename");
                    if (texture->myRelativeFileName.empty())
                        texture->myRelativeFileName = Text(anObject, "RelativeFileName");
                    entry = {Kind::Texture, myScene.Add(std::unique_ptr<Texture>(std::move(texture)), &myScene.myTextures),
                             &anObject, 0};
                }
                else if (type == "LayeredTexture")
                {
                    entry = {Kind::Texture,
                             myScene.Add(std::unique_ptr<Texture>(std::make_unique<LayeredTexture>()), &myScene.myTextures),
                             &anObject, 0};
                }
                else if (type == "Deformer" && sub == "Skin")
                {
                    entry = {Kind::Skin, myScene.Add(std::make_unique<Skin>(), &myScene.mySkins), &anObject, 0};
                }
                else if (type == "Deformer" && sub == "Cluster")
                {
                    entry = {Kind::Cluster, myScene.Add(ReadCluster(anObject), &myScene.myClusters), &anObject, 0};
                }
                else if (type == "AnimationStack")
                {
                    auto stack = std::make_unique<AnimStack>();
                    const PropertyTable props(&anObject, Template("AnimationStack"));
                    stack->myLocal = {Time(props.Int("LocalStart", 0)), Time(props.Int("LocalStop", 0))};
                    stack->myReference = {Time(props.Int("ReferenceStart", 0)), Time(props.Int("ReferenceStop", 0))};
                    if (!props.Has("LocalStart") && !props.Has("LocalStop"))
                        myStacksWithoutSpan.insert(stack.get());
                    entry = {Kind::Stack, myScene.Add(std::move(stack), &myScene.myStacks), &anObject, 0};
                }
                else if (type == "AnimationLayer")
                {
                    entry = {Kind::Layer, myScene.Add(std::make_unique<AnimLayer>()), &anObject, 0};
                }
                else if (type == "AnimationCurveNode")
                {
                    entry = {Kind::CurveNode, nullptr, &anObject, myCurveNodes.size()};
                    myCurveNodes.emplace_back();
                }
                else if (type == "AnimationCurve")
                {
                    auto curve = std::make_unique<AnimCurve>();
                    ReadCurve(anObject, *curve);
                    entry = {Kind::Curve, myScene.Add(std::move(curve), &myScene.myCurves), &anObject, 0};
                }

                if (entry.object != nullptr)
                {
                    entry.object->SetName(ObjectName(anObject));
                    entry.object->SetUniqueID(id);
                }
                myEntries[id] = entry;
            }

            NodeAttribute* MakeAttribute(const std::string& aSubClass, const Element* anElement)
            {
                if (aSubClass == "LodGroup" || aSubClass == "LODGroup")
                {
                    auto group = std::make_unique<LodGroup>();
                    if (anElement != nullptr)
                    {
                        const PropertyTable props(anElement, Template("NodeAttribute"));
                        for (int level = 0;; ++level)
                        {
                            const Value* v = props.Number("Thresholds|Level" + std::to_string(level));
                            if (v == nullptr)
                                break;
                            group->myThresholds.push_back(v->AsDouble());
                        }
                    }
                    return myScene.Add(std::move(group), &myScene.myLodGroups);
                }
                NodeAttribute::EType type = NodeAttribute::EType::Unknown;
                if (aSubClass == "LimbNode" || aSubClass == "Root" || aSubClass == "Limb")
                    type = NodeAttribute::EType::Skeleton;
                else if (aSubClass == "Null")
                    type = NodeAttribute::EType::Null;
                else if (aSubClass == "Camera")
                    type = NodeAttribute::EType::Camera;
                else if (aSubClass == "Light")
                    type = NodeAttribute::EType::Light;
                else if (aSubClass == "Marker")
                    type = NodeAttribute::EType::Marker;
                return myScene.Add(std::make_unique<NodeAttribute>(type));
            }

            std::unique_ptr<Cluster> ReadCluster(const Element& anObject)
            {
                const std::string what = Describe(anObject);
                auto cluster = std::make_unique<Cluster>();
                cluster->myIndices = Ints(ArrayChild(anObject, {"Indexes"}), what);
                cluster->myWeights = Doubles(ArrayChild(anObject, {"Weights"}));
                if (cluster->myIndices.size() != cluster->myWeights.size())
                    throw FormatError(what + ": " + std::to_string(cluster->myIndices.size()) + " indexes but " +
                                      std::to_string(cluster->myWeights.size()) + " weights");
                cluster->myTransform = ReadMatrix(anObject, "Transform", what);
                cluster->myTransformLink = ReadMatrix(anObject, "TransformLink", what);
                return cluster;
            }

            static AMatrix ReadMatrix(const Element& anOwner, std::string_view aName, const std::string& aWhat)
            {
                AMatrix m;
                const Element* e = ArrayChild(anOwner, {aName});
                if (e == nullptr)
                    return m;
                const std::vector<double> values = Doubles(e);
                if (values.size() != 16)
                    throw FormatError(aWhat + ": " + std::string(aName) + " holds " + std::to_string(values.size()) +
                                      " values, not 16");
                for (int r = 0; r < 4; ++r)
                    for (int c = 0; c < 4; ++c)
                        m.At(r, c) = values[static_cast<size_t>(4 * r + c)];
                return m;
            }

            void ReadTransform(const Element& aModel, NodeTransform& aTransform)
            {
                const PropertyTable props(&aModel, Template("Model"));
                const Vector4 zero;
                const Vector4 one(1.0, 1.0, 1.0, 0.0);
                aTransform.translation = props.Vector("Lcl Translation", zero);
                aTransform.rotation = props.Vector("Lcl Rotation", zero);
                aTransform.scaling = props.Vector("Lcl Scaling", one);
                aTransform.preRotation = props.Vector("PreRotation", zero);
                aTransform.postRotation = props.Vector("PostRotation", zero);
                aTransform.rotationOffset = props.Vector("RotationOffset", zero);
                aTransform.rotationPivot = props.Vector("RotationPivot", zero);
                aTransform.scalingOffset = props.Vector("ScalingOffset", zero);
                aTransform.scalingPivot = props.Vector("ScalingPivot", zero);
                aTransform.geometricTranslation = props.Vector("GeometricTranslation", zero);
                aTransform.geometricRotation = props.Vector("GeometricRotation", zero);
                aTransform.geometricScaling = props.Vector("GeometricScaling", one);
                const int64_t order = props.Int("RotationOrder", 0);
                aTransform.rotationOrder = order >= 0 && order <= 6 ? static_cast<RotationOrder>(order) : RotationOrder::EulerXYZ;
                const int64_t inherit = props.Int("InheritType", 0);
                aTransform.inheritType = inherit >= 0 && inherit <= 2 ? static_cast<InheritType>(inherit) : InheritType::RrSs;
            }

            // ---- Connections ------------------------------------------------------------------

            const Entry* Lookup(const Value& anId) const
            {
                if (!anId.IsNumber())
                    return nullptr;
                const auto it = myEntries.find(static_cast<uint64_t>(anId.AsInt64()));
                return it == myEntries.end() ? nullptr : &it->second;
            }

            void Connect(const Element& aConnection)
            {
                if (aConnection.values.size() < 3)
                    throw FormatError("a connection has fewer than three values");
                const std::string& type = aConnection.values[0].AsString();
                const Entry* source = Lookup(aConnection.values[1]);
                const Entry* target = Lookup(aConnection.values[2]);
                // Connections to objects this reader does not model are ignored.
                if (source == nullptr || target == nullptr || source == target)
                    return;
                const std::string property = aConnection.values.size() >= 4 ? aConnection.values[3].AsString() : "";

                if (type == "OP")
                {
                    if (source->kind == Kind::Texture && target->kind == Kind::Material)
                        static_cast<SurfaceMaterial*>(target->object)->myConnections.emplace_back(property, source->object);
                    else if (source->kind == Kind::CurveNode && target->kind == Kind::Model)
                        BindCurveNode(myCurveNodes[source->curveNode], static_cast<Node*>(target->object), property);
                    else if (source->kind == Kind::Curve && target->kind == Kind::CurveNode)
                    {
                        const int channel = property == "d|X" ? 0 : property == "d|Y" ? 1 : property == "d|Z" ? 2 : -1;
                        if (channel >= 0)
                            myCurveNodes[target->curveNode].curves[static_cast<size_t>(channel)] =
                                static_cast<AnimCurve*>(source->object);
                    }
                    return;
                }

                switch (source->kind)
                {
                case Kind::Model:
                    if (target->kind == Kind::Model)
                        myParents.emplace_back(static_cast<Node*>(source->object), static_cast<Node*>(target->object));
                    else if (target->kind == Kind::Cluster && static_cast<Cluster*>(target->object)->myLink == nullptr)
                        static_cast<Cluster*>(target->object)->myLink = static_cast<Node*>(source->object);
                    break;
                case Kind::Mesh:
                case Kind::Attribute:
                    if (target->kind == Kind::Model)
                    {
                        Node* node = static_cast<Node*>(target->object);
                        if (node->myAttribute == nullptr)
                            node->myAttribute = static_cast<NodeAttribute*>(source->object);
                    }
                    break;
                case Kind::Material:
                    if (target->kind == Kind::Model)
                        static_cast<Node*>(target->object)->myMaterials.push_back(static_cast<SurfaceMaterial*>(source->object));
                    else if (target->kind == Kind::Mesh)
                        myScene.myMeshMaterials.emplace_back(static_cast<Mesh*>(target->object),
                                                             static_cast<SurfaceMaterial*>(source->object));
                    break;
                case Kind::Texture:
                    if (target->kind == Kind::Texture)
                        if (auto* layered = dynamic_cast<LayeredTexture*>(target->object))
                            layered->myLayers.push_back(static_cast<Texture*>(source->object));
                    if (target->kind == Kind::Material)
                        static_cast<SurfaceMaterial*>(target->object)->myConnections.emplace_back("", source->object);
                    break;
                case Kind::Skin:
                    if (target->kind == Kind::Mesh)
                    {
                        static_cast<Mesh*>(target->object)->mySkins.push_back(static_cast<Skin*>(source->object));
                        mySkinMeshes.emplace_back(static_cast<Skin*>(source->object), static_cast<Mesh*>(target->object));
                    }
                    break;
                case Kind::Cluster:
                    if (target->kind == Kind::Skin)
                        static_cast<Skin*>(target->object)->myClusters.push_back(static_cast<Cluster*>(source->object));
                    break;
                case Kind::Layer:
                    if (target->kind == Kind::Stack)
                        static_cast<AnimStack*>(target->object)->myLayers.push_back(static_cast<AnimLayer*>(source->object));
                    break;
                case Kind::CurveNode:
                    if (target->kind == Kind::Layer)
                        myLayerCurveNodes[target->object].push_back(source->curveNode);
                    break;
                default: break;
                }
            }

            static void BindCurveNode(CurveNodeInfo& aCurveNode, Node* aNode, const std::string& aProperty)
            {
                int first = -1;
                if (aProperty == "Lcl Translation")
                    first = 0;
                else if (aProperty == "Lcl Rotation")
                    first = 3;
                else if (aProperty == "Lcl Scaling")
                    first = 6;
                if (first < 0 || aCurveNode.target != nullptr)
                    return;
                aCurveNode.target = aNode;
                aCurveNode.firstChannel = first;
            }

            // ---- Hierarchy ----------------------------------------------------------------------

            void BuildHierarchy()
            {
                // The first parent connection of a node wins; then only what hangs below
                // the root (without cycles) joins the tree.
                std::unordered_map<Node*, Node*> parentOf;
                std::unordered_map<Node*, std::vector<Node*>> childrenOf;
                for (const auto& [child, parent] : myParents)
                {
                    if (child == myScene.myRoot || parentOf.count(child) != 0)
                        continue;
                    parentOf[child] = parent;
                    childrenOf[parent].push_back(child);
                }
                std::vector<std::pair<Node*, int>> stack{{myScene.myRoot, 0}};
                std::unordered_set<Node*> placed{myScene.myRoot};
                while (!stack.empty())
                {
                    const auto [node, depth] = stack.back();
                    stack.pop_back();
                    if (depth > MaxNodeDepth)
                        throw FormatError("the node hierarchy is deeper than " + std::to_string(MaxNodeDepth) + " levels");
                    for (Node* child : childrenOf[node])
                    {
                        if (!placed.insert(child).second)
                            continue;
                        child->myParent = node;
                        node->myChildren.push_back(child);
                        stack.emplace_back(child, depth + 1);
                    }
                }
            }

            void AssignAttributes()
            {
                for (const auto& [node, element] : myModels)
                {
                    if (node->myAttribute != nullptr)
                        continue;
                    const std::string sub = SubClass(*element);
                    if (sub == "LimbNode" || sub == "Root" || sub == "Limb" || sub == "Null" || sub == "LodGroup")
                        node->myAttribute = MakeAttribute(sub, nullptr);
                }
            }

            void ValidateSkins()
            {
                for (const auto& [skin, mesh] : mySkinMeshes)
                    for (const Cluster* cluster : skin->myClusters)
                        for (int index : cluster->myIndices)
                            if (index < 0 || index >= mesh->GetControlPointsCount())
                                throw FormatError("cluster '" + cluster->GetName() + "' refers to control point " +
                                                  std::to_string(index) + " of " +
                                                  std::to_string(mesh->GetControlPointsCount()));
            }

            // ---- Animation ------------------------------------------------------------------------

            void BindAnimation()
            {
                const size_t stackCount = myScene.myStacks.size();
                myScene.myRoot->myChannels.assign(stackCount, NodeChannels{});
                for (Node* node : myScene.myNodes)
                    node->myChannels.assign(stackCount, NodeChannels{});
                for (size_t s = 0; s < stackCount; ++s)
                {
                    AnimStack* stack = myScene.myStacks[s];
                    int64_t first = std::numeric_limits<int64_t>::max(), last = std::numeric_limits<int64_t>::min();
                    for (AnimLayer* layer : stack->myLayers)
                        for (size_t index : myLayerCurveNodes[layer])
                        {
                            const CurveNodeInfo& info = myCurveNodes[index];
                            if (info.target == nullptr)
                                continue;
                            for (int axis = 0; axis < 3; ++axis)
                            {
                                const AnimCurve* curve = info.curves[static_cast<size_t>(axis)];
                                if (curve == nullptr)
                                    continue;
                                AnimChannel& channel = info.target->myChannels[s][static_cast<size_t>(info.firstChannel + axis)];
                                if (channel.curve == nullptr) // the first layer that animates it wins
                                    channel.curve = curve;
                                if (!curve->myKeys.empty())
                                {
                                    first = std::min(first, curve->myKeys.front().time);
                                    last = std::max(last, curve->myKeys.back().time);
                                }
                            }
                        }
                    if (myStacksWithoutSpan.count(stack) != 0 && first <= last)
                        stack->myLocal = {Time(first), Time(last)};
                }
            }

            void ReadTakes()
            {
                if (const Element* takes = myDocument.root.FindChild("Takes"))
                    for (const Element& take : takes->children)
                    {
                        if (take.name != "Take" || take.values.empty())
                            continue;
                        TakeInfo info;
                        info.mName = take.values[0].AsString();
                        info.mLocalTimeSpan = Span(take.FindChild("LocalTime"));
                        info.mReferenceTimeSpan = Span(take.FindChild("ReferenceTime"));
                        myScene.myTakes.push_back(info);
                    }
                for (const AnimStack* stack : myScene.myStacks)
                {
                    const bool described = std::any_of(myScene.myTakes.begin(), myScene.myTakes.end(),
                                                       [&](const TakeInfo& t) { return t.mName == stack->GetName(); });
                    if (!described)
                        myScene.myTakes.push_back(TakeInfo{stack->GetName(), stack->myLocal, stack->myReference});
                }
            }

            static TimeSpan Span(const Element* aRecord)
            {
                if (aRecord == nullptr || aRecord->values.size() < 2)
                    return {};
                return {Time(aRecord->values[0].AsInt64()), Time(aRecord->values[1].AsInt64())};
            }

            const Document& myDocument;
            Scene& myScene;
            ArraySource mySource;
            std::unordered_map<std::string, PropertyIndex> myTemplates;
            std::unordered_map<uint64_t, Entry> myEntries;
            std::vector<CurveNodeInfo> myCurveNodes;
            std::unordered_map<SceneObject*, std::vector<size_t>> myLayerCurveNodes;
            std::vector<std::pair<Node*, const Element*>> myModels;
            std::vector<std::pair<Node*, Node*>> myParents; // child, parent in connection order
            std::vector<std::pair<Skin*, Mesh*>> mySkinMeshes;
            std::unordered_set<const AnimStack*> myStacksWithoutSpan;
        };
    }

    void BuildScene(const Document& aDocument, Scene& aScene)
    {
        Builder(aDocument, aScene, false).Build();
    }

    void BuildSceneTakingArrays(Document& aDocument, Scene& aScene)
    {
        Builder(aDocument, aScene, true).Build();
    }
}
