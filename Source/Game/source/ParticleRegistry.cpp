#include "ParticleRegistry.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/texture/TextureManager.h"

#include <algorithm>

ParticleRegistry& ParticleRegistry::GetInstance()
{
    static ParticleRegistry registry;
    return registry;
}

void ParticleRegistry::Register(Particle* aParticle)
{
    std::unique_ptr<Particle> particle(aParticle);
    if (particle == nullptr || myParticleCount >= MAX_PARTICLES)
        return;
    myGroups[particle->GetTexturePath()].push_back(std::move(particle));
    ++myParticleCount;
}

void ParticleRegistry::Update(float aDeltaTime)
{
    for (auto& [path, particles] : myGroups)
    {
        // Each particle once; the dead ones close up behind the living, in order.
        auto living = particles.begin();
        for (auto it = particles.begin(); it != particles.end(); ++it)
        {
            (*it)->Update(aDeltaTime);
            if ((*it)->IsAlive())
            {
                if (living != it)
                    *living = std::move(*it);
                ++living;
            }
        }
        myParticleCount -= static_cast<std::size_t>(particles.end() - living);
        particles.erase(living, particles.end());
    }
}

void ParticleRegistry::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr || engine->GetGraphicsEngine() == nullptr || engine->GetTextureManager() == nullptr)
        return;
    Kiln::GraphicsStateStack& states = *engine->GetGraphicsEngine()->GetGraphicsStateStack();

    for (const auto& [path, particles] : myGroups)
    {
        if (particles.empty())
            continue;

        states.Push();
        states.SetBlendState(particles.front()->IsAlphaBlend() ? 1u : 2u);
        states.SetDepthStencilState(1u);

        myInstances.clear();
        for (const std::unique_ptr<Particle>& particle : particles)
        {
            Kiln::Sprite2DInstanceData& instance = myInstances.emplace_back();
            instance.myPosition = {particle->GetPosition().x, particle->GetPosition().y};
            instance.myPivot = {0.5f, 0.5f};
            instance.mySize = particle->GetCurrentSize();
            instance.mySizeMultiplier = {1.0f, 1.0f};
            instance.myColor = particle->GetCurrentColor();
            instance.myTextureRect = {0.0f, 0.0f, 1.0f, 1.0f};
            instance.myCustomData = {0.0f, 0.0f, 1.0f, 1.0f};
            instance.myRotation = 0.0f;
            if (particle->HasAnimation())
            {
                particle->GetController().ApplyAspectToInstance(instance);
                // A particle flying left is mirrored.
                instance.mySizeMultiplier.x *= particle->GetDirection().x;
                particle->GetController().ApplyToParticleInstance(instance);
            }
        }

        Kiln::SpriteSharedData shared;
        shared.myTextures[0] = GetGroupTexture(*engine, path);
        {
            Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(shared);
            batch.Draw(myInstances.data(), myInstances.size());
        }
        states.Pop();
    }
}

Kiln::TextureResource* ParticleRegistry::GetGroupTexture(Kiln::Engine& anEngine, Kiln::StringId aPath)
{
    if (myTexturesEngine != &anEngine || myTexturesEngineStart != anEngine.GetStartTime())
    {
        myTextures.clear();
        myTexturesEngine = &anEngine;
        myTexturesEngineStart = anEngine.GetStartTime();
    }
    const auto found = myTextures.find(aPath);
    if (found != myTextures.end())
        return found->second;
    // A null path is the empty text.
    Kiln::TextureResource* texture = anEngine.GetTextureManager()->GetTexture(aPath.GetString(), Kiln::TextureSrgbMode::ForceSrgb, false);
    myTextures.emplace(aPath, texture);
    return texture;
}

void ParticleRegistry::Clear()
{
    myGroups.clear();
    myParticleCount = 0;
    myTextures.clear();
    myTexturesEngine = nullptr;
}
