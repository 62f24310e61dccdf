#pragma once
// A sprite sheet: a grid of equal cells numbered row by row from the top-left, as the
// animation controllers and the animated sprite read them.
#include "ContentKit/Canvas.h"

namespace ContentKit
{
    class SpriteSheet
    {
    public:
        SpriteSheet(int aColumns, int aRows, int aCellWidth, int aCellHeight);

        int Columns() const { return myColumns; }
        int Rows() const { return myRows; }
        int Cells() const { return myColumns * myRows; }
        int CellWidth() const { return myCellWidth; }
        int CellHeight() const { return myCellHeight; }
        // The top-left pixel of cell anIndex.
        Vec2 CellOrigin(int anIndex) const;
        // A blank canvas of one cell's size, to draw a frame into.
        Canvas NewCell() const { return Canvas(myCellWidth, myCellHeight); }
        // Copies aCell into cell anIndex (cells out of the grid are ignored).
        void Place(int anIndex, const Canvas& aCell);

        Canvas& Image() { return myImage; }
        const Canvas& Image() const { return myImage; }

    private:
        int myColumns;
        int myRows;
        int myCellWidth;
        int myCellHeight;
        Canvas myImage;
    };
}
