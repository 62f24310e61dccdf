#pragma once
// The engine member that owns the drawers, the graphics state stack and the five
// full-screen effects (copy, tonemap, vertical and horizontal Gaussian, pixelate).
#include <memory>
#include <string>

class FullscreenPixelateEffect;

namespace Kiln
{
    class SpriteDrawer;
    class ModelDrawer;
    class CustomShapeDrawer;
    class LineDrawer;
    class GraphicsStateStack;
    class FullscreenEffect;

    class GraphicsEngine
    {
    public:
        GraphicsEngine();
        // Members go in the reverse order of Init.
        ~GraphicsEngine();
        GraphicsEngine(const GraphicsEngine&) = delete;
        GraphicsEngine& operator=(const GraphicsEngine&) = delete;

        // The drawers' failures do not fail Init; any effect's or the state stack's does,
        // keeping what was created so far until destruction.
        bool Init();
        // Why the last Init failed: the shader that could not be made, or the effect or the
        // graphics states; empty after a successful one.
        const std::string& GetInitFailure() const { return myInitFailure; }

        void SetFullScreen(bool aFullScreen);

        SpriteDrawer* GetSpriteDrawer() const { return mySpriteDrawer.get(); }
        ModelDrawer* GetModelDrawer() const { return myModelDrawer.get(); }
        CustomShapeDrawer* GetCustomShapeDrawer() const { return myCustomShapeDrawer.get(); }
        LineDrawer* GetLineDrawer() const { return myLineDrawer.get(); }
        GraphicsStateStack* GetGraphicsStateStack() const { return myGraphicsStateStack.get(); }
        FullscreenEffect* GetCopyEffect() const { return myCopyEffect.get(); }
        FullscreenEffect* GetTonemapEffect() const { return myTonemapEffect.get(); }
        FullscreenEffect* GetGaussianVerticalEffect() const { return myGaussianVerticalEffect.get(); }
        FullscreenEffect* GetGaussianHorizontalEffect() const { return myGaussianHorizontalEffect.get(); }
        FullscreenPixelateEffect* GetPixelateEffect() const { return myPixelateEffect.get(); }
        bool IsInitialized() const { return myIsInitialized; }

    private:
        std::unique_ptr<SpriteDrawer> mySpriteDrawer;
        std::unique_ptr<ModelDrawer> myModelDrawer;
        std::unique_ptr<CustomShapeDrawer> myCustomShapeDrawer;
        std::unique_ptr<LineDrawer> myLineDrawer;
        std::unique_ptr<GraphicsStateStack> myGraphicsStateStack;
        std::unique_ptr<FullscreenEffect> myCopyEffect;
        std::unique_ptr<FullscreenEffect> myTonemapEffect;
        std::unique_ptr<FullscreenEffect> myGaussianVerticalEffect;
        std::unique_ptr<FullscreenEffect> myGaussianHorizontalEffect;
        std::unique_ptr<FullscreenPixelateEffect> myPixelateEffect;
        std::unique_ptr<FullscreenEffect> mySpareEffect; // never set
        bool myIsInitialized = false;
        std::string myInitFailure;
    };
}
