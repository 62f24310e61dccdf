#include "Collider.h"

#include "Platform/runtime/Assert.h"

Collider::~Collider()
{
    mySharedOwner = nullptr;
}

ColliderPossessor* Collider::GetOwner() const
{
    KILN_ASSERT(mySharedOwner != nullptr && "A Collider's owner was nullpointer");
    return mySharedOwner;
}
