#pragma once
// One level in play: loads the level incrementally, simulates and draws it.
#include "State.h"

class GameWorld
{
public:
    GameWorld();
    ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // aLevelPath is the game manager's text, which outlives the world; aState is written
    // when the level's exit has been walked through.
    void Init(const char* aLevelPath, State& aState);
    // One frame of simulation.
    void Update(float aDeltaTime);
    // One frame of drawing.
    void Render();

private:
    State* myState = nullptr;
    const char* myLevelPath = nullptr;
};
