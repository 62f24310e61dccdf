#pragma once
// The binary FBX writer is shared with the content tools; tests name it through KilnTest.
#include "FbxWriter/BinaryFbxWriter.h"

namespace KilnTest
{
    using KilnTools::BinaryFbxOptions;
    using KilnTools::ConvertToBinaryFbx;
    using KilnTools::ReadWholeFile;
    using KilnTools::WriteBinaryFbx;
    using KilnTools::WriteWholeFile;
}
