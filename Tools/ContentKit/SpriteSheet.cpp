#include "ContentKit/SpriteSheet.h"

#include <algorithm>

namespace ContentKit
{
    SpriteSheet::SpriteSheet(int aColumns, int aRows, int aCellWidth, int aCellHeight)
        : myColumns(std::max(aColumns, 1))
        , myRows(std::max(aRows, 1))
        , myCellWidth(std::max(aCellWidth, 1))
        , myCellHeight(std::max(aCellHeight, 1))
        , myImage(myColumns * myCellWidth, myRows * myCellHeight)
    {
    }

    Vec2 SpriteSheet::CellOrigin(int anIndex) const
    {
        return {float((anIndex % myColumns) * myCellWidth), float((anIndex / myColumns) * myCellHeight)};
    }

    void SpriteSheet::Place(int anIndex, const Canvas& aCell)
    {
        if (anIndex < 0 || anIndex >= Cells())
            return;
        const Vec2 origin = CellOrigin(anIndex);
        // Pixels are copied as they are (not composited) and clipped to the cell.
        for (int y = 0; y < std::min(aCell.Height(), myCellHeight); ++y)
            for (int x = 0; x < std::min(aCell.Width(), myCellWidth); ++x)
                myImage.At(int(origin.x) + x, int(origin.y) + y) = aCell.At(x, y);
    }
}
