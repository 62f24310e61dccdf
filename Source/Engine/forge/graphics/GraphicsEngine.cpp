#include "forge/graphics/GraphicsEngine.h"

#include "forge/drawers/CustomShapeDrawer.h"
#include "forge/drawers/LineDrawer.h"
#include "forge/drawers/ModelDrawer.h"
#include "forge/drawers/SpriteDrawer.h"
#include "forge/effects/FullscreenEffect.h"
#include "forge/effects/FullscreenPixelateEffect.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsStateStack.h"

namespace Kiln
{
    GraphicsEngine::GraphicsEngine() = default;

    GraphicsEngine::~GraphicsEngine()
    {
        mySpareEffect.reset();
        myPixelateEffect.reset();
        myGaussianHorizontalEffect.reset();
        myGaussianVerticalEffect.reset();
        myTonemapEffect.reset();
        myCopyEffect.reset();
        myGraphicsStateStack.reset();
        myLineDrawer.reset();
        myCustomShapeDrawer.reset();
        myModelDrawer.reset();
        mySpriteDrawer.reset();
    }

    bool GraphicsEngine::Init()
    {
        myInitFailure.clear();
        if (DX11::BackBuffer != nullptr)
            DX11::BackBuffer->SetAsActiveTarget(nullptr);

        // Each drawer keeps its own loaded state; a failed one does not stop the engine.
        mySpriteDrawer = std::make_unique<SpriteDrawer>();
        mySpriteDrawer->Init();
        myModelDrawer = std::make_unique<ModelDrawer>();
        myModelDrawer->Init();
        myCustomShapeDrawer = std::make_unique<CustomShapeDrawer>();
        myCustomShapeDrawer->Init();
        myLineDrawer = std::make_unique<LineDrawer>();
        myLineDrawer->Init();
        // A drawer's shader that failed did not stop the start: it is no later step's cause.
        DX11::TakeLastShaderFailure();

        // A step that fails names the shader it could not make, or else itself.
        const auto fail = [this](const std::string& aStep) {
            const std::string shader = DX11::TakeLastShaderFailure();
            myInitFailure = shader.empty() ? aStep + " could not be made" : shader;
            return false;
        };
        const auto initEffect = [&fail](std::unique_ptr<FullscreenEffect>& anEffect, const char* aPixelShader) {
            anEffect = std::make_unique<FullscreenEffect>();
            return anEffect->Init(aPixelShader) || fail(std::string("the full-screen effect \"") + aPixelShader + "\"");
        };
        if (!initEffect(myCopyEffect, "Shaders/PostprocessCopyPS"))
            return false;
        if (!initEffect(myTonemapEffect, "Shaders/PostprocessTonemapPS"))
            return false;
        if (!initEffect(myGaussianVerticalEffect, "Shaders/PostprocessGaussianV_PS"))
            return false;
        if (!initEffect(myGaussianHorizontalEffect, "Shaders/PostprocessGaussianH_PS"))
            return false;
        myPixelateEffect = std::make_unique<FullscreenPixelateEffect>(16.0f);
        if (!myPixelateEffect->Init("Shaders/PostprocessPixelate_PS"))
            return fail("the pixelate effect");

        Engine* engine = Engine::GetInstance();
        myGraphicsStateStack = std::make_unique<GraphicsStateStack>();
        if (!myGraphicsStateStack->Init(engine != nullptr ? engine->GetTextureManager() : nullptr))
            return fail("the graphics states");

        myIsInitialized = true;
        return true;
    }

    void GraphicsEngine::SetFullScreen(bool aFullScreen)
    {
        if (DX11::SwapChain != nullptr)
            DX11::SwapChain->SetFullscreenState(aFullScreen);
    }
}
