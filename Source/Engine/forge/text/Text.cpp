#include "forge/text/Text.h"

#include "forge/engine/Engine.h"
#include "forge/text/InternalTextAndFontData.h"
#include "forge/text/TextService.h"

namespace Kiln
{
    Text::Text(const char* aFontPath, uint32_t aPixelSize, uint8_t anOutlineWidth)
    {
        if (Engine* engine = Engine::GetInstance())
            myService = engine->GetTextService();
        if (myService != nullptr)
            myFont = myService->GetOrLoadFont(aFontPath != nullptr ? aFontPath : "", aPixelSize, anOutlineWidth);
    }

    void Text::Render()
    {
        if (myService != nullptr)
            myService->Render(*this, nullptr);
    }
}
