// The object definitions (.kob) that scenes name. Keys and types are the ones the game
// reads; "is-per-instance" is set where scenes are meant to vary the value.
#include "GameContent.h"
#include "Layouts.h"

#include "ContentKit/ContentPaths.h"

namespace GameContent
{
    namespace
    {
        PropertyDefinitionDesc Key(std::string aName, Property aProperty, bool aPerInstance, std::string aDescription = {})
        {
            PropertyDefinitionDesc key;
            key.name = std::move(aName);
            key.type = aProperty.type;
            key.value = std::move(aProperty.value);
            key.isPerInstance = aPerInstance;
            key.description = std::move(aDescription);
            return key;
        }

        PropertyDefinitionDesc Float(std::string aName, double aValue, bool aPerInstance = false, std::string aDescription = {})
        {
            return Key(aName, FloatProperty(aName, aValue), aPerInstance, std::move(aDescription));
        }

        PropertyDefinitionDesc Int(std::string aName, int aValue, bool aPerInstance = false, std::string aDescription = {})
        {
            return Key(aName, IntProperty(aName, aValue), aPerInstance, std::move(aDescription));
        }

        PropertyDefinitionDesc Bool(std::string aName, bool aValue, bool aPerInstance = false, std::string aDescription = {})
        {
            return Key(aName, BoolProperty(aName, aValue), aPerInstance, std::move(aDescription));
        }

        PropertyDefinitionDesc Float2(std::string aName, double x, double y, bool aPerInstance = false)
        {
            return Key(aName, Float2Property(aName, x, y), aPerInstance);
        }

        PropertyDefinitionDesc ColorKey(std::string aName, double r, double g, double b, double a, bool aPerInstance = false)
        {
            return Key(aName, ColorProperty(aName, r, g, b, a), aPerInstance);
        }

        PropertyDefinitionDesc SpriteKey(std::string aName, nlohmann::json aValue, bool aPerInstance = false, std::string aDescription = {})
        {
            return Key(aName, SpriteProperty(aName, std::move(aValue)), aPerInstance, std::move(aDescription));
        }

        PropertyDefinitionDesc ModelKey(std::string aName, const std::string& aPath, bool aPerInstance = false)
        {
            return Key(aName, ModelProperty(aName, Value::Model(aPath)), aPerInstance);
        }

        // "<stem>Level1..3" keys of one model kind.
        void AddLevelModels(ObjectDefinitionDesc& aDefinition, const std::string& aStem, std::string (*aPath)(int))
        {
            for (int level = 1; level <= 3; ++level)
                aDefinition.properties.push_back(ModelKey(aStem + std::to_string(level), aPath(level)));
        }

        ObjectDefinitionDesc Definition(std::string aName, std::vector<PropertyDefinitionDesc> someKeys = {})
        {
            return {std::move(aName), "", std::move(someKeys)};
        }

        std::vector<ObjectDefinitionDesc> MenuDefinitions()
        {
            using namespace ContentKit::Paths;
            return {
                Definition("Button", {SpriteKey("Sprite", Value::Sprite(ButtonDefault, 400, 90), true, "button image; the label is the object's name")}),
                Definition("KOB_Background", {SpriteKey("Sprite", Value::Sprite(MenuBackgroundDefault, 1600, 900, 0.5, 0.5, MenuBackgroundDefault), true,
                                                        "slot 0: the page's art; slot 1: the art after the ending")}),
                Definition("KOB_Decal", {SpriteKey("Sprite", Value::Sprite(DecalDefault, 256, 256), true)}),
                Definition("KOB_Slider", {Int("SoundType", 0, true, "0 music, 1 sound effects"),
                                          SpriteKey("Slider", Value::Sprite(SliderBarDefault, 400, 40), true, "bar"),
                                          SpriteKey("Button", Value::Sprite(SliderHandleDefault, 48, 48), true, "handle")}),
            };
        }

        std::vector<ObjectDefinitionDesc> ControllerDefinitions()
        {
            return {
                Definition("KOB_AnimationBlock", {Int("1. ID", 0, true), Float("2. FPS", 12.0, true), Int("3. Start", 0, true),
                                                  Int("4. End", 0, true), Bool("5. Loop", true, true), Bool("6. Transition", false, true),
                                                  Int("7. Sheet ID", 0, true)}),
                Definition("KOB_AnimationPath", {Int("From", 0, true), Int("To", 0, true)}),
                Definition("KOB_AnimationSheet", {SpriteKey("1. SpriteSheet", Value::Sprite(Sheets::Moth.texture), true),
                                                  Int("2. Columns", 1, true), Int("3. Rows", 1, true), Int("4. ID", 0, true)}),
            };
        }

        // The hero's tuning. Horizontal: accelerations over dampenings give the top speeds,
        // 10000 / 10 = 1000 units/s on the ground (a screen of 2600 units in 2.6 s) and
        // 3500 / 3 ~ 1170 in the air, close to it so a running jump keeps its pace instead of
        // shooting ahead (8000 in the air would reach 2700). Vertical: gravity 4000 as the
        // enemies use; with the air dampening of 3 a jump of 2000 rises ~260 units (2.6 body
        // heights) in 0.3 s and falls at most 1330 units/s, snappy but readable; the double
        // jump doubles the reach. Dash: 3000 decaying at 6/s ends below 800 after 0.22 s and
        // ~370 units, long enough to cross a gap of three body widths. The camera sits 1300
        // back (2600 units across), 150 above the hero, catches up at 5/s and leads by 0.8 of
        // the lag (~160 units ahead at a run); a 20-unit sway at half a segment per second
        // keeps the picture alive without drifting.
        ObjectDefinitionDesc PlayerDefinition()
        {
            return Definition(
                "KOB_Player",
                {Float("Ground Acceleration", 10000.0), Float("Air Acceleration", 3500.0), Float("Dash Velocity Impulse", 3000.0),
                 Float("Jump Velocity Impulse", 2000.0), Float("Ground Dampening", 10.0), Float("Air Dampening", 3.0),
                 Float("Dash Dampening", 6.0), Float("Gravity Acceleration", 4000.0), Float("Walkable Angle", 45.0, false, "degrees"),
                 Float("Minimum Dash Velocity", 800.0), Float("Coyote Time Duration", 0.1, false, "seconds"),
                 Bool("DoubleJump", false, true), Bool("Dash", false, true), Bool("DashAttack", false, true),
                 Key("Camera Offset", Float3Property("Camera Offset", 0.0, 150.0, -1300.0), false),
                 Float("Camera Anchor Dampening", 5.0), Float("View Leading Scale", 0.8),
                 Float("Camera Swing Speed", 0.5, false, "segments per second"), Float("Camera Swing Radius", 20.0)});
        }

        std::vector<ObjectDefinitionDesc> LevelDefinitions()
        {
            using namespace ContentKit::Paths;
            std::vector<ObjectDefinitionDesc> definitions;
            definitions.push_back(PlayerDefinition());
            definitions.push_back(Definition("KOB_Level1_FloorTile", {SpriteKey("collisionbox", Value::Sprite(TriggerOutline, 100, 100), true,
                                                                                "size x scale is the box; the pivot places it")}));
            definitions.push_back(Definition("KOB_EnemyHands"));
            definitions.push_back(Definition("KOB_Enemy1"));

            ObjectDefinitionDesc door = Definition("KOB_LockedDoor");
            AddLevelModels(door, "closedModelLevel", DoorClosedModel);
            AddLevelModels(door, "openModelLevel", DoorOpenModel);
            // Sinks 4 s x 150/s = 600 units (its box 700): any door up to 700 tall clears the way.
            door.properties.push_back(Int("doorIndex", 0, true));
            door.properties.push_back(Float("openTimer", 4.0, false, "seconds of sinking"));
            door.properties.push_back(Float("openSpeed", 150.0, false, "units per second"));
            definitions.push_back(door);

            ObjectDefinitionDesc button = Definition("KOB_Button");
            AddLevelModels(button, "unPressedModelLevel", ButtonUnpressedModel);
            AddLevelModels(button, "pressedModelLevel", ButtonPressedModel);
            button.properties.push_back(Int("buttonIndex", 0, true));
            definitions.push_back(button);

            ObjectDefinitionDesc wall = Definition("KOB_BreakableWall");
            AddLevelModels(wall, "wholeModelLevel", WallWholeModel);
            AddLevelModels(wall, "brokenModelLevel", WallBrokenModel);
            wall.properties.push_back(SpriteKey("breakParticle", Value::Sprite(WallDebris)));
            definitions.push_back(wall);

            ObjectDefinitionDesc vase = Definition("KOB_BreakableVase");
            AddLevelModels(vase, "WholeModelLevel", VaseWholeModel);
            AddLevelModels(vase, "BrokenModelLevel", VaseBrokenModel);
            definitions.push_back(vase);

            ObjectDefinitionDesc checkpoint = Definition("KOB_Checkpoint");
            AddLevelModels(checkpoint, "offModelLevel", CheckpointOffModel);
            AddLevelModels(checkpoint, "onModelLevel", CheckpointOnModel);
            definitions.push_back(checkpoint);

            definitions.push_back(Definition("KOB_Upgrade", {SpriteKey("S_NPC", Value::Sprite(UpgradeNpcSheet, 150, 150), false,
                                                                       "only the pivot is used"),
                                                             Int("upgradeType", 1, true, "1 double jump, 2 dash, 3 dash attack")}));
            // Below the hero's top speed of 1000, so a running player stays ahead.
            definitions.push_back(Definition("KOB_ChaseScene", {Float("speed", 700.0, true, "units per second")}));

            definitions.push_back(Definition(
                "KOB_ParticleEmitter",
                {SpriteKey("particletexture", Value::Sprite(Darktangle, 20, 20), true), Float("emitterLifetime", 0.0, true, "0 = forever"),
                 Int("spawnAmount", 1, true), Float("spawnFrequency", 1.0, true, "seconds between bursts, above 0"),
                 Float2("lifetimeInterval", 2, 2, true), Float2("speedInterval", 100, 100, true), Float2("accelerationInterval", 0, 0, true),
                 Float2("angleInterval", 0, 0, true), ColorKey("colorStart", 1, 1, 1, 1, true), ColorKey("colorEnd", 1, 1, 1, 1, true),
                 Float2("xOffsetInterval", 0, 0, true), Float2("yOffsetInterval", 0, 0, true),
                 Float2("accelAccelerationInterval", 0, 0, true), Bool("isAlphaBlend", true, true), Float("scaleEnd", 1.0, true),
                 Bool("sizeDynamic", false, true)}));

            // Each level picks its own backdrop, scroll and model shading. The repetition size is
            // the camera travel, in world units, that scrolls the near layer by one texture.
            definitions.push_back(Definition("KOB_ParallaxBackground",
                                             {SpriteKey("sprite", Value::Sprite(ParallaxForest, 1024, 1024), true),
                                              Float2("repetitionSize", 5000.0, 5000.0, true),
                                              ColorKey("fadeBackgroundColor", 0.09, 0.09, 0.23, 1.0, true),
                                              ColorKey("fadeForgroundColor", 0.62, 0.60, 0.85, 1.0, true)}));
            definitions.push_back(Definition("KOB_LevelTransition", {SpriteKey("TransistionSprite", Value::Sprite(TriggerOutline, 200, 800),
                                                                               true, "size x scale and pivot give the trigger box"),
                                                                     Float("Duration", 1.5, true, "seconds of walking out")}));
            for (int level = 1; level <= 2; ++level)
            {
                for (int kind = 1; kind <= 4; ++kind)
                {
                    const std::string name = "KOB_Grass_" + std::to_string(kind) + (level == 2 ? "_2" : "");
                    definitions.push_back(Definition(name, {Key("Animation", StringIdProperty("Animation", GrassController(level, kind)), false)}));
                }
            }
            definitions.push_back(Definition("KOB_Interact_Text",
                                             {SpriteKey("controllersprite", Value::Sprite(InteractPromptController, 128, 128), true),
                                              SpriteKey("keyboardsprite", Value::Sprite(InteractPromptKeyboard, 128, 128), true)}));
            // Two pages each: slot 0 is page 1, slot 1 page 2.
            definitions.push_back(Definition(
                "KOB_Tutorial_Text",
                {SpriteKey("controllersprite", Value::Sprite(TutorialCard(1, 1, true), 1024, 512, 0.5, 0.5, TutorialCard(1, 2, true)), true,
                           "slot 0 page 1, slot 1 page 2"),
                 SpriteKey("keyboardsprite", Value::Sprite(TutorialCard(1, 1, false), 1024, 512, 0.5, 0.5, TutorialCard(1, 2, false)), true,
                           "slot 0 page 1, slot 1 page 2")}));

            // Decorations, picked by their first key: a world sprite, a static model or an
            // animated (skinned) model.
            definitions.push_back(Definition("KOB_Decal_Sprite", {SpriteKey("sprite", Value::Sprite(DecalDefault, 200, 200), true)}));
            definitions.push_back(Definition("KOB_StaticModel", {ModelKey("model", FloorTileModel(1), true)}));
            definitions.push_back(Definition("KOB_AnimatedModel", {ModelKey("animodel", AnimatedModelDefault, true)}));
            return definitions;
        }
    }

    void WriteDefinitions(Output& anOutput)
    {
        for (const auto& group : {MenuDefinitions(), ControllerDefinitions(), LevelDefinitions()})
            for (const ObjectDefinitionDesc& definition : group)
                anOutput.Definition(definition);
    }
}
