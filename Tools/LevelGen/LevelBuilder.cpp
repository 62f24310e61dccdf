#include "LevelBuilder.h"

#include "ContentKit/ContentPaths.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

namespace LevelGen
{
    namespace
    {
        using namespace ContentKit;
        namespace P = ContentKit::Paths;

        // Keys every placed object accepts.
        const std::set<std::string> theCommonKeys = {"dx", "dy", "z", "name"};

        // Keys per kind, beyond the common ones.
        const std::map<std::string, std::set<std::string>> theKindKeys = {
            {"player", {}},
            {"exit", {"width", "height", "duration"}},
            {"checkpoint", {"scale"}},
            {"enemy", {}},
            {"hands", {"rot", "scale"}},
            {"ceilinghands", {"rot", "scale"}},
            {"pot", {"scale"}},
            {"wall", {"scale"}},
            {"door", {"index", "scale"}},
            {"button", {"index", "scale"}},
            {"upgrade", {"type", "scale"}},
            {"prompt", {}},
            {"tutorial", {"upgrade"}},
            {"chase", {"speed", "width", "height"}},
            {"emitter", {"preset", "texture", "size", "amount", "period", "lifetime", "speed", "angle", "acceleration", "width", "height",
                         "color", "colorEnd", "scaleEnd", "additive", "lifetimeEmitter"}},
            {"grass", {"kind", "scale"}},
            {"sprite", {"texture", "size", "pivot", "scale", "rot"}},
            {"model", {"file", "scale", "rot"}},
            {"animodel", {"file", "scale", "rot"}},
        };

        struct EmitterPreset
        {
            std::string texture;
            double size;
            int amount;
            double period;
            double lifetime[2];
            double speed[2];
            double angle[2];
            double acceleration[2];
            double width, height;   // spawn area around the emitter
            double colorStart[4];
            double colorEnd[4];
            double scaleEnd;
            bool alphaBlend;
            bool sizeDynamic;
        };

        // Named emitter looks a table entry starts from.
        const std::map<std::string, EmitterPreset> thePresets = {
            // Glowing sparks drifting up from a brazier or a crack in the rock.
            {"embers", {P::Ember, 18, 2, 0.2, {2.0, 3.5}, {50, 110}, {75, 105}, {-10, 0}, 240, 40, {1.0, 0.85, 0.55, 1.0}, {1.0, 0.35, 0.15, 0.0}, 0.2, false, false}},
            // Dark motes hanging in the air, where the hands live.
            {"motes", {P::Darktangle, 34, 3, 0.35, {3.0, 4.5}, {10, 35}, {0, 360}, {-5, 0}, 700, 400, {0.35, 0.25, 0.45, 0.9}, {0.1, 0.05, 0.15, 0.0}, 0.0, true, false}},
            // Slow pale mist rolling along the ground.
            {"mist", {P::Dustcloud, 160, 1, 0.45, {4.0, 6.0}, {15, 35}, {-8, 8}, {0, 0}, 900, 60, {0.75, 0.72, 0.9, 0.22}, {0.75, 0.72, 0.9, 0.0}, 2.2, true, false}},
            // Little lights wandering in the grass.
            {"fireflies", {P::Ember, 10, 1, 0.5, {3.0, 5.0}, {20, 60}, {0, 360}, {-10, 10}, 800, 300, {0.85, 1.0, 0.55, 1.0}, {0.6, 1.0, 0.4, 0.0}, 0.5, false, false}},
        };

        struct Context
        {
            const LevelMap& level;
            BuiltLevel& built;

            [[noreturn]] void Fail(SourcePos aPos, const std::string& aMessage) const { throw LevelError(level.file, aPos, aMessage); }

            double Number(const Param& aParam, const std::string& aKey) const
            {
                std::istringstream in(aParam.value);
                double value = 0.0;
                char rest = 0;
                if (!(in >> value) || (in >> rest) || !std::isfinite(value))
                    Fail(aParam.pos, "'" + aKey + "' wants a number, not '" + aParam.value + "'");
                return value;
            }

            std::vector<double> Numbers(const Param& aParam, const std::string& aKey, size_t aMin, size_t aMax) const
            {
                std::vector<double> values;
                std::string text = aParam.value;
                std::replace(text.begin(), text.end(), ',', ' ');
                std::istringstream in(text);
                std::string word;
                while (in >> word)
                    values.push_back(Number(Param{word, aParam.pos}, aKey));
                if (values.size() < aMin || values.size() > aMax || std::count(aParam.value.begin(), aParam.value.end(), ',') + 1 != long(values.size()))
                {
                    const std::string count = aMin == aMax ? std::to_string(aMin) : std::to_string(aMin) + " to " + std::to_string(aMax);
                    Fail(aParam.pos, "'" + aKey + "' wants " + count + " comma-separated numbers, not '" + aParam.value + "'");
                }
                return values;
            }

            int Integer(const Param& aParam, const std::string& aKey, int aMin, int aMax) const
            {
                const double value = Number(aParam, aKey);
                if (value != std::floor(value) || value < aMin || value > aMax)
                    Fail(aParam.pos, "'" + aKey + "' wants a whole number from " + std::to_string(aMin) + " to " + std::to_string(aMax) +
                                         ", not '" + aParam.value + "'");
                return int(value);
            }

            bool Boolean(const Param& aParam, const std::string& aKey) const
            {
                if (aParam.value == "true" || aParam.value == "yes")
                    return true;
                if (aParam.value == "false" || aParam.value == "no")
                    return false;
                Fail(aParam.pos, "'" + aKey + "' wants true or false, not '" + aParam.value + "'");
            }
        };

        // One object of the map: its cell, kind and values.
        struct Item
        {
            std::string kind;
            const Params* params = nullptr;
            int column = 0, row = 0;
            SourcePos pos;
        };

        class Builder
        {
        public:
            Builder(const LevelMap& aLevel, BuiltLevel& aBuilt)
                : myLevel(aLevel)
                , myBuilt(aBuilt)
                , myContext{aLevel, aBuilt}
            {
            }

            void Run()
            {
                myBuilt.scene = SceneFolder(myLevel.FindDirective("scene")->argument);
                CheckTagKinds();
                AddFloors();
                AddBackground();
                for (int row = 0; row < myLevel.Height(); ++row)
                {
                    for (int column = 0; column < myLevel.Width(); ++column)
                    {
                        const char ch = myLevel.At(column, row);
                        if (IsEmptyCharacter(ch) || ch == '#')
                            continue;
                        Item item;
                        item.column = column;
                        item.row = row;
                        item.pos = myLevel.PosOf(column, row);
                        static const Params none;
                        item.params = &none;
                        if (IsTagCharacter(ch))
                        {
                            const auto it = myLevel.tags.find(ch);
                            if (it == myLevel.tags.end())
                                myContext.Fail(item.pos, std::string("tag '") + ch + "' has no table entry");
                            item.kind = it->second.kind;
                            item.params = &it->second.params;
                            myUsedTags.insert(ch);
                        }
                        else
                        {
                            item.kind = KindOfCharacter(ch);
                        }
                        Place(item);
                    }
                }
                CheckLinks();
            }

        private:
            const Param* Get(const Item& anItem, const std::string& aKey) const { return anItem.params->Find(aKey); }

            double Num(const Item& anItem, const std::string& aKey, double aDefault) const
            {
                const Param* param = Get(anItem, aKey);
                return param ? myContext.Number(*param, aKey) : aDefault;
            }

            std::array<double, 3> Scale(const Item& anItem, double aDefault = 1.0) const
            {
                const Param* param = Get(anItem, "scale");
                if (!param)
                    return {aDefault, aDefault, aDefault};
                const std::vector<double> v = myContext.Numbers(*param, "scale", 1, 3);
                for (double s : v)
                    if (s <= 0.0)
                        myContext.Fail(param->pos, "'scale' must be above 0");
                if (v.size() == 1)
                    return {v[0], v[0], v[0]};
                if (v.size() == 2)
                    return {v[0], v[1], 1.0};
                return {v[0], v[1], v[2]};
            }

            std::array<double, 3> Rotation(const Item& anItem, double aDefaultZ) const
            {
                const Param* param = Get(anItem, "rot");
                if (!param)
                    return {0.0, 0.0, aDefaultZ};
                const std::vector<double> v = myContext.Numbers(*param, "rot", 1, 3);
                if (v.size() == 1)
                    return {0.0, 0.0, v[0]};
                if (v.size() == 3)
                    return {v[0], v[1], v[2]};
                myContext.Fail(param->pos, "'rot' wants the z angle or x,y,z angles in degrees");
            }

            std::string Text(const Item& anItem, const std::string& aKey, const std::string& aDefault) const
            {
                const Param* param = Get(anItem, aKey);
                return param ? param->value : aDefault;
            }

            double Left(const Item& anItem) const { return CellLeft(anItem.column); }
            double CentreX(const Item& anItem) const { return Left(anItem) + CELL / 2 + Num(anItem, "dx", 0.0); }
            double Bottom(const Item& anItem) const { return CellBottom(myLevel, anItem.row) + Num(anItem, "dy", 0.0); }

            Placement& Add(const Item& anItem, const std::string& aDefinition, double x, double y, std::vector<Property> someProperties,
                           std::array<double, 3> aScale = {1, 1, 1}, std::array<double, 3> aRotation = {0, 0, 0})
            {
                SceneObjectDesc object;
                object.definition = aDefinition;
                object.name = Text(anItem, "name", anItem.kind + "@" + std::to_string(anItem.column) + "," + std::to_string(anItem.row));
                object.translation = {x, y, Num(anItem, "z", 0.0)};
                object.scale = aScale;
                object.rotation = aRotation;
                object.properties = std::move(someProperties);
                myBuilt.scene.Add(object);
                Placement placement;
                placement.kind = anItem.kind;
                placement.definition = aDefinition;
                placement.x = x;
                placement.y = y;
                placement.pos = anItem.pos;
                myBuilt.placements.push_back(placement);
                return myBuilt.placements.back();
            }

            void CheckKeys(const Item& anItem) const
            {
                const auto kind = theKindKeys.find(anItem.kind);
                for (const auto& [key, param] : anItem.params->items)
                    if (!theCommonKeys.count(key) && !kind->second.count(key))
                        myContext.Fail(param.pos, "'" + key + "' is not a value of a " + anItem.kind);
            }

            void CheckTagKinds() const
            {
                for (const auto& [tag, definition] : myLevel.tags)
                {
                    if (!theKindKeys.count(definition.kind))
                    {
                        std::string known;
                        for (const auto& [kind, keys] : theKindKeys)
                            known += (known.empty() ? "" : ", ") + kind;
                        myContext.Fail(definition.pos, "unknown object kind '" + definition.kind + "' (known: " + known + ")");
                    }
                    Item item;
                    item.kind = definition.kind;
                    item.params = &definition.params;
                    CheckKeys(item);
                }
            }

            // '#' cells: runs of a row become boxes, and equal runs stacked on each other merge.
            void AddFloors()
            {
                struct Box
                {
                    int first, last, top, bottom;   // columns and rows, inclusive
                    bool open;
                };
                std::vector<Box> boxes;
                for (int row = 0; row < myLevel.Height(); ++row)
                {
                    for (Box& box : boxes)
                        box.open = box.open && box.bottom == row - 1;
                    int column = 0;
                    while (column < myLevel.Width())
                    {
                        if (myLevel.At(column, row) != '#')
                        {
                            ++column;
                            continue;
                        }
                        int last = column;
                        while (myLevel.At(last + 1, row) == '#')
                            ++last;
                        bool merged = false;
                        for (Box& box : boxes)
                        {
                            if (box.open && box.first == column && box.last == last)
                            {
                                box.bottom = row;
                                merged = true;
                                break;
                            }
                        }
                        if (!merged)
                            boxes.push_back({column, last, row, row, true});
                        column = last + 1;
                    }
                }
                for (const Box& box : boxes)
                {
                    const double w = (box.last - box.first + 1) * CELL, h = (box.bottom - box.top + 1) * CELL;
                    const double x = CellLeft(box.first) + w / 2, y = CellBottom(myLevel, box.bottom) + h / 2;
                    SceneObjectDesc object;
                    object.definition = "KOB_Level1_FloorTile";
                    object.name = "floor@" + std::to_string(box.first) + "," + std::to_string(box.top);
                    object.translation = {x, y, 0.0};
                    object.scale = {w / CELL, h / CELL, 1.0};
                    object.properties = {SpriteProperty("collisionbox", Value::Sprite(P::TriggerOutline, CELL, CELL))};
                    myBuilt.scene.Add(object);
                    Placement placement;
                    placement.kind = "floor";
                    placement.definition = object.definition;
                    placement.x = x;
                    placement.y = y;
                    placement.width = w;
                    placement.height = h;
                    placement.pos = myLevel.PosOf(box.first, box.top);
                    myBuilt.placements.push_back(placement);
                }
            }

            std::vector<double> DirectiveNumbers(const Directive* aDirective, const std::string& aKey, std::vector<double> aDefault) const
            {
                const Param* param = aDirective ? aDirective->params.Find(aKey) : nullptr;
                return param ? myContext.Numbers(*param, aKey, aDefault.size(), aDefault.size()) : aDefault;
            }

            void CheckDirectiveKeys(const Directive* aDirective, const std::set<std::string>& someKeys) const
            {
                if (!aDirective)
                    return;
                for (const auto& [key, param] : aDirective->params.items)
                    if (!someKeys.count(key))
                        myContext.Fail(param.pos, "'" + key + "' is not a value of the " + aDirective->name + " line");
                if (!aDirective->argument.empty() && aDirective->name != "scene")
                    myContext.Fail(aDirective->pos, "the " + aDirective->name + " line takes only key=value pairs");
            }

            void AddBackground()
            {
                const Directive* background = myLevel.FindDirective("background");
                CheckDirectiveKeys(background, {"texture", "repeat", "back", "fore"});
                CheckDirectiveKeys(myLevel.FindDirective("player"), {"DoubleJump", "Dash", "DashAttack"});
                CheckDirectiveKeys(myLevel.FindDirective("grass"), {"set", "scale"});
                const Param* texture = background ? background->params.Find("texture") : nullptr;
                const std::vector<double> repeat = DirectiveNumbers(background, "repeat", {5000.0, 5000.0});
                const std::vector<double> back = DirectiveNumbers(background, "back", {0.09, 0.09, 0.23, 1.0});
                const std::vector<double> fore = DirectiveNumbers(background, "fore", {0.62, 0.60, 0.85, 1.0});
                SceneObjectDesc object;
                object.definition = "KOB_ParallaxBackground";
                object.name = "background";
                object.properties = {SpriteProperty("sprite", Value::Sprite(texture ? texture->value : P::ParallaxForest, 1024, 1024)),
                                     Float2Property("repetitionSize", repeat[0], repeat[1]),
                                     ColorProperty("fadeBackgroundColor", back[0], back[1], back[2], back[3]),
                                     ColorProperty("fadeForgroundColor", fore[0], fore[1], fore[2], fore[3])};
                myBuilt.scene.Add(object);
                Placement placement;
                placement.kind = "background";
                placement.definition = object.definition;
                placement.pos = background ? background->pos : SourcePos{1, 1};
                myBuilt.placements.push_back(placement);
            }

            bool PlayerFlag(const std::string& aKey) const
            {
                const Directive* player = myLevel.FindDirective("player");
                const Param* param = player ? player->params.Find(aKey) : nullptr;
                return param ? myContext.Boolean(*param, aKey) : false;
            }

            // The width of the run of floor cells right under a cell.
            int FloorRunBelow(const Item& anItem) const
            {
                const int row = anItem.row + 1;
                if (myLevel.At(anItem.column, row) != '#')
                    return 0;
                int first = anItem.column, last = anItem.column;
                while (myLevel.At(first - 1, row) == '#')
                    --first;
                while (myLevel.At(last + 1, row) == '#')
                    ++last;
                return last - first + 1;
            }

            void Place(const Item& anItem)
            {
                CheckKeys(anItem);
                const std::string& kind = anItem.kind;
                const double x = CentreX(anItem), bottom = Bottom(anItem), top = bottom + CELL, centreY = bottom + CELL / 2;
                if (kind == "player")
                {
                    Add(anItem, "KOB_Player", x, bottom + 50,
                        {BoolProperty("DoubleJump", PlayerFlag("DoubleJump")), BoolProperty("Dash", PlayerFlag("Dash")),
                         BoolProperty("DashAttack", PlayerFlag("DashAttack"))});
                }
                else if (kind == "exit")
                {
                    const double w = Num(anItem, "width", 200), h = Num(anItem, "height", 800);
                    if (w <= 0 || h <= 0)
                        myContext.Fail(anItem.pos, "an exit needs a positive width and height");
                    Placement& p = Add(anItem, "KOB_LevelTransition", x, bottom,
                                       {SpriteProperty("TransistionSprite", Value::Sprite(P::TriggerOutline, w, h, 0.5, 1.0)),
                                        FloatProperty("Duration", Num(anItem, "duration", 1.5))});
                    p.width = w;
                    p.height = h;
                }
                else if (kind == "checkpoint")
                    Add(anItem, "KOB_Checkpoint", x, bottom, {}, Scale(anItem));
                else if (kind == "enemy")
                {
                    if (FloorRunBelow(anItem) < 4)
                        myContext.Fail(anItem.pos, "a walking enemy needs a floor at least 4 cells wide right under it");
                    Add(anItem, "KOB_Enemy1", x, bottom + 55, {});
                }
                else if (kind == "hands" || kind == "ceilinghands")
                {
                    const bool ceiling = kind == "ceilinghands";
                    const std::array<double, 3> rotation = Rotation(anItem, ceiling ? 180.0 : 0.0);
                    const bool upright = rotation[2] >= -40.0 && rotation[2] <= 40.0;
                    if (upright == ceiling)
                        myContext.Fail(anItem.pos, ceiling ? "ceiling hands need a z rotation beyond +-40 degrees (180 hangs them)"
                                                           : "wall hands need a z rotation within +-40 degrees");
                    // The 300-unit quad stands on the cell's bottom edge or hangs from its top edge.
                    Add(anItem, "KOB_EnemyHands", x, ceiling ? top - 150 : bottom + 150, {}, Scale(anItem), rotation);
                }
                else if (kind == "pot")
                    Add(anItem, "KOB_BreakableVase", x, bottom, {}, Scale(anItem));
                else if (kind == "wall")
                    Add(anItem, "KOB_BreakableWall", x, bottom, {}, Scale(anItem));
                else if (kind == "door" || kind == "button")
                {
                    const Param* param = Get(anItem, "index");
                    const int index = param ? myContext.Integer(*param, "index", 0, 1000000) : 1;
                    const bool door = kind == "door";
                    Placement& p = Add(anItem, door ? "KOB_LockedDoor" : "KOB_Button", x, bottom,
                                       {IntProperty(door ? "doorIndex" : "buttonIndex", index)}, Scale(anItem));
                    p.index = index;
                }
                else if (kind == "upgrade")
                {
                    const Param* param = Get(anItem, "type");
                    if (!param)
                        myContext.Fail(anItem.pos, "an upgrade needs a type (1 double jump, 2 dash, 3 dash attack)");
                    const int type = myContext.Integer(*param, "type", 1, 3);
                    const std::array<double, 3> scale = Scale(anItem);
                    // The 150-unit character is centred on its position: lift it onto the floor.
                    Placement& p = Add(anItem, "KOB_Upgrade", x, bottom + 75 * scale[1], {IntProperty("upgradeType", type)}, scale);
                    p.index = type;
                }
                else if (kind == "prompt")
                {
                    Add(anItem, "KOB_Interact_Text", x, centreY,
                        {SpriteProperty("controllersprite", Value::Sprite(P::InteractPromptController, 128, 128)),
                         SpriteProperty("keyboardsprite", Value::Sprite(P::InteractPromptKeyboard, 128, 128))});
                }
                else if (kind == "tutorial")
                {
                    const Param* param = Get(anItem, "upgrade");
                    if (!param)
                        myContext.Fail(anItem.pos, "a tutorial needs the upgrade whose cards it shows (upgrade=1, 2 or 3)");
                    const int upgrade = myContext.Integer(*param, "upgrade", 1, 3);
                    Placement& p = Add(anItem, "KOB_Tutorial_Text", x, centreY,
                                       {SpriteProperty("controllersprite", Value::Sprite(P::TutorialCard(upgrade, 1, true), 1024, 512, 0.5, 0.5,
                                                                                         P::TutorialCard(upgrade, 2, true))),
                                        SpriteProperty("keyboardsprite", Value::Sprite(P::TutorialCard(upgrade, 1, false), 1024, 512, 0.5, 0.5,
                                                                                       P::TutorialCard(upgrade, 2, false)))});
                    p.index = upgrade;
                }
                else if (kind == "chase")
                {
                    // The tag marks the area's bottom-left cell.
                    const double w = Num(anItem, "width", 3000), h = Num(anItem, "height", 800), speed = Num(anItem, "speed", 700);
                    if (w <= 0 || h <= 0 || speed <= 0)
                        myContext.Fail(anItem.pos, "a chase needs a positive width, height and speed");
                    Placement& p = Add(anItem, "KOB_ChaseScene", Left(anItem) + Num(anItem, "dx", 0.0) + w / 2, bottom + h / 2,
                                       {FloatProperty("speed", speed)}, {w / 1000, h / 1000, 1.0});
                    p.width = w;
                    p.height = h;
                }
                else if (kind == "emitter")
                    AddEmitter(anItem, x, centreY);
                else if (kind == "grass")
                {
                    const Directive* grass = myLevel.FindDirective("grass");
                    const Param* setParam = grass ? grass->params.Find("set") : nullptr;
                    const int set = setParam ? myContext.Integer(*setParam, "set", 1, 2) : 1;
                    const Param* scaleParam = grass ? grass->params.Find("scale") : nullptr;
                    const double defaultScale = scaleParam ? myContext.Number(*scaleParam, "scale") : 1.0;
                    const Param* kindParam = Get(anItem, "kind");
                    // Without a kind the tufts take turns, so a row of them does not repeat.
                    const int grassKind = kindParam ? myContext.Integer(*kindParam, "kind", 1, 4) : (anItem.column * 7 + anItem.row) % 4 + 1;
                    const std::array<double, 3> scale = Scale(anItem, defaultScale);
                    Add(anItem, "KOB_Grass_" + std::to_string(grassKind) + (set == 2 ? "_2" : ""), x, bottom + 50 * scale[1], {}, scale);
                }
                else if (kind == "sprite")
                {
                    const std::vector<double> size = Get(anItem, "size") ? myContext.Numbers(*Get(anItem, "size"), "size", 2, 2)
                                                                         : std::vector<double>{200, 200};
                    const std::vector<double> pivot = Get(anItem, "pivot") ? myContext.Numbers(*Get(anItem, "pivot"), "pivot", 2, 2)
                                                                           : std::vector<double>{0.5, 0.5};
                    Add(anItem, "KOB_Decal_Sprite", x, centreY,
                        {SpriteProperty("sprite", Value::Sprite(Text(anItem, "texture", P::DecalDefault), size[0], size[1], pivot[0], pivot[1]))},
                        Scale(anItem), Rotation(anItem, 0.0));
                }
                else if (kind == "model" || kind == "animodel")
                {
                    const bool animated = kind == "animodel";
                    const Param* file = Get(anItem, "file");
                    if (!file && !animated)
                        myContext.Fail(anItem.pos, "a model needs a file (an .fbx path under the game assets)");
                    // Static models stand on the cell's bottom; the cocoon hangs from its top.
                    Add(anItem, animated ? "KOB_AnimatedModel" : "KOB_StaticModel", x, animated ? top : bottom,
                        {ModelProperty(animated ? "animodel" : "model", Value::Model(file ? file->value : P::AnimatedModelDefault))},
                        Scale(anItem), Rotation(anItem, 0.0));
                }
                else if (kind == "floor")
                    myContext.Fail(anItem.pos, "floor is drawn with '#' cells, not with a tag");
            }

            void AddEmitter(const Item& anItem, double x, double y)
            {
                const std::string presetName = Text(anItem, "preset", "embers");
                const auto preset = thePresets.find(presetName);
                if (preset == thePresets.end())
                    myContext.Fail(Get(anItem, "preset")->pos, "unknown emitter preset '" + presetName + "' (embers, motes, mist, fireflies)");
                EmitterPreset e = preset->second;
                auto pair = [&](const char* aKey, double (&aTarget)[2]) {
                    if (const Param* param = Get(anItem, aKey))
                    {
                        const std::vector<double> v = myContext.Numbers(*param, aKey, 2, 2);
                        aTarget[0] = v[0];
                        aTarget[1] = v[1];
                    }
                };
                auto color = [&](const char* aKey, double (&aTarget)[4]) {
                    if (const Param* param = Get(anItem, aKey))
                    {
                        const std::vector<double> v = myContext.Numbers(*param, aKey, 4, 4);
                        std::copy(v.begin(), v.end(), aTarget);
                    }
                };
                e.texture = Text(anItem, "texture", e.texture);
                e.size = Num(anItem, "size", e.size);
                if (const Param* param = Get(anItem, "amount"))
                    e.amount = myContext.Integer(*param, "amount", 1, 1000);
                e.period = Num(anItem, "period", e.period);
                if (e.period <= 0.0)
                    myContext.Fail(Get(anItem, "period")->pos, "an emitter's period must be above 0 seconds");
                pair("lifetime", e.lifetime);
                pair("speed", e.speed);
                pair("angle", e.angle);
                pair("acceleration", e.acceleration);
                e.width = Num(anItem, "width", e.width);
                e.height = Num(anItem, "height", e.height);
                color("color", e.colorStart);
                color("colorEnd", e.colorEnd);
                e.scaleEnd = Num(anItem, "scaleEnd", e.scaleEnd);
                if (const Param* param = Get(anItem, "additive"))
                    e.alphaBlend = !myContext.Boolean(*param, "additive");
                Add(anItem, "KOB_ParticleEmitter", x, y,
                    {SpriteProperty("particletexture", Value::Sprite(e.texture, e.size, e.size)),
                     FloatProperty("emitterLifetime", Num(anItem, "lifetimeEmitter", 0.0)), IntProperty("spawnAmount", e.amount),
                     FloatProperty("spawnFrequency", e.period), Float2Property("lifetimeInterval", e.lifetime[0], e.lifetime[1]),
                     Float2Property("speedInterval", e.speed[0], e.speed[1]),
                     Float2Property("accelerationInterval", e.acceleration[0], e.acceleration[1]),
                     Float2Property("angleInterval", e.angle[0], e.angle[1]),
                     ColorProperty("colorStart", e.colorStart[0], e.colorStart[1], e.colorStart[2], e.colorStart[3]),
                     ColorProperty("colorEnd", e.colorEnd[0], e.colorEnd[1], e.colorEnd[2], e.colorEnd[3]),
                     Float2Property("xOffsetInterval", -e.width / 2, e.width / 2), Float2Property("yOffsetInterval", -e.height / 2, e.height / 2),
                     Float2Property("accelAccelerationInterval", 0, 0), BoolProperty("isAlphaBlend", e.alphaBlend),
                     FloatProperty("scaleEnd", e.scaleEnd), BoolProperty("sizeDynamic", e.sizeDynamic)});
            }

            // Whole-level rules that no single cell shows.
            void CheckLinks() const
            {
                const std::vector<Placement>& all = myBuilt.placements;
                auto count = [&](const char* aKind) { return std::count_if(all.begin(), all.end(), [&](const Placement& p) { return p.kind == aKind; }); };
                auto second = [&](const char* aKind) {
                    int seen = 0;
                    for (const Placement& p : all)
                        if (p.kind == aKind && ++seen == 2)
                            return p.pos;
                    return SourcePos{};
                };
                if (count("player") == 0)
                    myContext.Fail(myLevel.PosOf(0, 0), "the map has no player start ('P')");
                if (count("player") > 1)
                    myContext.Fail(second("player"), "a second player start; a level has one");
                if (count("exit") == 0)
                    myContext.Fail(myLevel.PosOf(0, 0), "the map has no exit ('X')");
                if (count("exit") > 1)
                    myContext.Fail(second("exit"), "a second exit; a level has one");
                if (count("chase") > 1)
                    myContext.Fail(second("chase"), "a second chase; a level has at most one");
                for (const Placement& door : all)
                {
                    if (door.kind != "door")
                        continue;
                    const bool opened = std::any_of(all.begin(), all.end(), [&](const Placement& p) { return p.kind == "button" && p.index == door.index; });
                    if (!opened)
                        myContext.Fail(door.pos, "no button opens this door (index " + std::to_string(door.index) + ")");
                }
                for (const Placement& chase : all)
                {
                    if (chase.kind != "chase")
                        continue;
                    const bool finish = std::any_of(all.begin(), all.end(), [](const Placement& p) { return p.kind == "button" && p.index == 10; });
                    if (!finish)
                        myContext.Fail(chase.pos, "a chase needs a button with index 10 to end it");
                }
                for (const Placement& upgrade : all)
                {
                    if (upgrade.kind != "upgrade")
                        continue;
                    auto within = [&](const char* aKind, double aRadius, int anIndex) {
                        return std::any_of(all.begin(), all.end(), [&](const Placement& p) {
                            return p.kind == aKind && (anIndex == 0 || p.index == anIndex) &&
                                   std::hypot(p.x - upgrade.x, p.y - upgrade.y) < aRadius;
                        });
                    };
                    if (!within("prompt", 350, 0))
                        myContext.Fail(upgrade.pos, "an upgrade needs an interact prompt ('?') within 350 units");
                    if (!within("tutorial", 5000, upgrade.index))
                        myContext.Fail(upgrade.pos, "an upgrade needs a tutorial with its cards (upgrade=" + std::to_string(upgrade.index) +
                                                        ") within 5000 units");
                    for (const Placement& other : all)
                        if (&other < &upgrade && other.kind == "upgrade" && std::hypot(other.x - upgrade.x, other.y - upgrade.y) <= 5000)
                            myContext.Fail(upgrade.pos, "two upgrades within 5000 units: the second talk would page the first one's card on");
                }
                for (const auto& [tag, definition] : myLevel.tags)
                    if (!myUsedTags.count(tag))
                        myContext.Fail(definition.pos, std::string("tag '") + tag + "' is not used in the map");
            }

            const LevelMap& myLevel;
            BuiltLevel& myBuilt;
            Context myContext;
            std::set<char> myUsedTags;
        };
    }

    double CellLeft(int aColumn) { return aColumn * CELL; }

    double CellBottom(const LevelMap& aLevel, int aRow) { return (aLevel.Height() - 1 - aRow) * CELL; }

    std::map<std::string, int> BuiltLevel::CountByDefinition() const
    {
        std::map<std::string, int> counts;
        for (const SceneObjectDesc& object : scene.Objects())
            ++counts[object.definition];
        return counts;
    }

    int BuiltLevel::CountOfKind(const std::string& aKind) const
    {
        return int(std::count_if(placements.begin(), placements.end(), [&](const Placement& p) { return p.kind == aKind; }));
    }

    const Placement* BuiltLevel::FirstOfKind(const std::string& aKind) const
    {
        for (const Placement& p : placements)
            if (p.kind == aKind)
                return &p;
        return nullptr;
    }

    BuiltLevel BuildLevel(const LevelMap& aLevel)
    {
        BuiltLevel built;
        Builder(aLevel, built).Run();
        return built;
    }
}
