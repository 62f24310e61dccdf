#include "MenuButton.h"

#include "CustomSceneObject.h"
#include "MenuLayout.h"
#include "SpriteRecord.h"

#include "forge/engine/Engine.h"
#include "forge/texture/TextureManager.h"

MenuButton::MenuButton()
    : myLabel(LABEL_FONT, LABEL_SIZES[0], 0)
{
}

void MenuButton::Init(Kiln::Engine& anEngine, const CustomSceneObject& anObject, const Kiln::Vector2<float>& aRenderSize)
{
    const Kiln::SceneSprite& sprite = anObject.Get<Kiln::SceneSprite>("Sprite");
    if (Kiln::TextureManager* textures = anEngine.GetTextureManager())
        mySharedData.myTextures[0] = textures->GetTexture(MenuLayout::TexturePath(sprite), Kiln::TextureSrgbMode::ForceSrgb);

    const Kiln::Vector2<float> position = MenuLayout::ScaledPosition(anObject, aRenderSize);
    myInstance.myPosition = position;
    myInstance.mySize = sprite.mySize;
    myInstance.mySizeMultiplier = MenuLayout::ScaledScale(anObject, aRenderSize);

    myLabel = Kiln::Text(LABEL_FONT, LABEL_SIZES[1], 0);
    myLabel.SetText(anObject.myName);
    myLabel.SetColor({1.0f, 1.0f, 1.0f, 1.0f});
    myLabel.SetPosition(position);

    const float halfX = myInstance.mySizeMultiplier.x * 0.5f * myInstance.mySize.x;
    const float halfY = myInstance.mySizeMultiplier.y * 0.5f * myInstance.mySize.y;
    myMin = {position.x - halfX, position.y - halfY, 0.0f};
    myMax = {position.x + halfX, position.y + halfY, 0.0f};
}

Kiln::Vector2<float> MenuButton::GetCursorAnchor() const
{
    return {myMin.x - 20.0f, myMin.y + (myMax.y - myMin.y) * 0.5f};
}

std::string MenuButton::GetText() const
{
    return myLabel.GetText();
}

void MenuButton::Render()
{
    DrawSpriteRecord(mySharedData, myInstance);
    myLabel.Render();
}
