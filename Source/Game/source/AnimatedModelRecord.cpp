#include "AnimatedModelRecord.h"

AnimatedModelRecord::AnimatedModelRecord() : myParts(std::make_unique<Parts>())
{
}

AnimatedModelRecord::~AnimatedModelRecord() = default;

AnimatedModelRecord::AnimatedModelRecord(const AnimatedModelRecord& anOther) : myParts(std::make_unique<Parts>(*anOther.myParts))
{
}

AnimatedModelRecord& AnimatedModelRecord::operator=(const AnimatedModelRecord& anOther)
{
    if (this != &anOther)
        *myParts = *anOther.myParts;
    return *this;
}
