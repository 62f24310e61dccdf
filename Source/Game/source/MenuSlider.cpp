#include "MenuSlider.h"

#include "CustomSceneObject.h"
#include "MenuLayout.h"
#include "Message.h"
#include "PostMaster.h"
#include "Sound.h"
#include "SpriteRecord.h"

#include "forge/engine/Engine.h"
#include "forge/texture/TextureManager.h"

#include <algorithm>

void MenuSlider::Init(Kiln::Engine& anEngine, const CustomSceneObject& anObject, const Kiln::Vector2<float>& aRenderSize,
                      uint32_t aSoundType)
{
    mySoundType = aSoundType;
    const Kiln::SceneSprite& bar = anObject.Get<Kiln::SceneSprite>("Slider");
    const Kiln::SceneSprite& handle = anObject.Get<Kiln::SceneSprite>("Button");
    if (Kiln::TextureManager* textures = anEngine.GetTextureManager())
    {
        myBarSharedData.myTextures[0] = textures->GetTexture(MenuLayout::TexturePath(bar), Kiln::TextureSrgbMode::ForceSrgb);
        myHandleSharedData.myTextures[0] = textures->GetTexture(MenuLayout::TexturePath(handle), Kiln::TextureSrgbMode::ForceSrgb);
    }

    const Kiln::Vector2<float> scale = MenuLayout::ScaledScale(anObject, aRenderSize);
    myBarInstance.myPosition = MenuLayout::ScaledPosition(anObject, aRenderSize);
    myBarInstance.mySize = bar.mySize;
    myBarInstance.mySizeMultiplier = scale;
    myHandleInstance.mySize = handle.mySize;
    myHandleInstance.mySizeMultiplier = scale;
    myHandleInstance.myPosition.y = myBarInstance.myPosition.y;

    const float half = HalfWidth();
    const float left = myBarInstance.myPosition.x - half;
    float start = 0.0f;
    if (aSoundType == Music)
        start = left + Sound::GetInstance().GetMusicVolume() * 2.0f * half;
    else if (aSoundType == Effects)
        start = left + Sound::GetInstance().GetSfxVolume() * 2.0f * half;
    SetValue(start);

    const float halfY = scale.y * 0.5f * bar.mySize.y;
    myMin = {left, myBarInstance.myPosition.y - halfY, 0.0f};
    myMax = {myBarInstance.myPosition.x + half, myBarInstance.myPosition.y + halfY, 0.0f};
}

float MenuSlider::HalfWidth() const
{
    return myBarInstance.mySizeMultiplier.x * myBarInstance.mySize.x * 0.5f;
}

void MenuSlider::SetValue(float aX)
{
    const float half = HalfWidth();
    const float left = myBarInstance.myPosition.x - half;
    const float right = myBarInstance.myPosition.x + half;
    const float x = std::clamp(aX, std::min(left, right), std::max(left, right));
    // Measured against the two ends as computed, so that the right end is exactly 1; a bar
    // of no width has one position, the empty end.
    const float value = right != left ? (x - left) / (right - left) : 0.0f;
    myHandleInstance.myPosition.x = x;

    Message message;
    message.value = value;
    if (mySoundType == Music)
        message.type = MessageType::MusicVolume;
    else if (mySoundType == Effects)
        message.type = MessageType::SfxVolume;
    else
        return;
    PostMaster::GetInstance().SendMessage(message);
}

void MenuSlider::Step(float aFraction)
{
    const float half = HalfWidth();
    SetValue(myHandleInstance.myPosition.x + aFraction * 2.0f * half);
}

void MenuSlider::Render()
{
    DrawSpriteRecord(myBarSharedData, myBarInstance);
    DrawSpriteRecord(myHandleSharedData, myHandleInstance);
}
