#pragma once
// Owns every live particle, grouped by texture path: moves them each frame, removes them
// when their life is over and draws each group as one sprite batch.
#include "Particle.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/scene/Scene.h"
#include "forge/stringRegistry/StringId.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Kiln
{
    class Engine;
    class SpriteDrawer;
    class TextureResource;
}

class ParticleRegistry
{
public:
    // Groups ordered by texture-path text, byte-wise (null as "").
    using GroupMap = std::map<Kiln::StringId, std::vector<std::unique_ptr<Particle>>, Kiln::StringIdTextLess>;

    // Live particles at most: an emitter of long-lived particles spawning on a timer would
    // otherwise grow the registry without end.
    static constexpr std::size_t MAX_PARTICLES = 100000;

    static ParticleRegistry& GetInstance();

    // Takes ownership; files the particle under its texture path, or destroys it when
    // MAX_PARTICLES are alive.
    void Register(Particle* aParticle);
    // Updates every particle once and removes those no longer alive (the rest keep their
    // order). Empty groups stay.
    void Update(float aDeltaTime);
    // One batch per non-empty group, in key order.
    void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    // Destroys every particle: when the objects that seeking particles fly to go (a level
    // ends), and between tests.
    void Clear();

    const GroupMap& GetGroups() const { return myGroups; }
    std::size_t GetParticleCount() const { return myParticleCount; }

private:
    // The texture of a group's path; looked up through the texture manager once per engine.
    Kiln::TextureResource* GetGroupTexture(Kiln::Engine& anEngine, Kiln::StringId aPath);

    GroupMap myGroups;
    std::size_t myParticleCount = 0;
    // Reused by Render, so drawing does not allocate once it has grown.
    std::vector<Kiln::Sprite2DInstanceData> myInstances;
    // The texture manager's pointers stay valid while its engine runs; a new engine (told by
    // its instance and start time) starts the cache again.
    std::map<Kiln::StringId, Kiln::TextureResource*, Kiln::StringIdTextLess> myTextures;
    const Kiln::Engine* myTexturesEngine = nullptr;
    int64_t myTexturesEngineStart = 0;
};
