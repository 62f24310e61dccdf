#include "Collider.h"

#include "Platform/runtime/Assert.h"

Collider::~Collider()
{
    mySharedOwner = nullptr;
}

void Collider::ReportMissingOwner()
{
    // The check itself sits inline in GetOwner, on the collision pass's inner loop.
    Plat::Runtime::ReportAssertion("mySharedOwner != nullptr && \"A Collider's owner was nullpointer\"", __FILE__, __LINE__);
}
