#include "GameWorld.h"

#include "Message.h"
#include "PostMaster.h"

// The level simulation (loader, factories, player, enemies, camera, collisions and the
// light pass) replaces this shell; until then a world only carries the level's music.

GameWorld::GameWorld() = default;

GameWorld::~GameWorld()
{
    Message message;
    message.type = MessageType::StopMusic;
    PostMaster::GetInstance().SendMessage(message);
}

void GameWorld::Init(const char* aLevelPath, State& aState)
{
    myLevelPath = aLevelPath;
    myState = &aState;
    Message message;
    message.type = MessageType::LevelMusic;
    message.text = aLevelPath;
    PostMaster::GetInstance().SendMessage(message);
}

void GameWorld::Update(float /*aDeltaTime*/)
{
}

void GameWorld::Render()
{
}
