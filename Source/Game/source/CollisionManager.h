#pragma once
// The level's registered shapes (not owned) and the once-a-frame collision pass over every
// pair of them whose layers and masks match.
#include "Collider.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CollisionManager
{
public:
    void AddCollider(Collider* aCollider);

    // Tests each pair once, in registration order, and tells each owner whose mask matches
    // the other's layer. Null entries are skipped and removed afterwards, each hole filled
    // by the last entry. Only pairs whose bounds meet are tested: the contacts, their order
    // and what each handler sees are those of testing every pair, also when handlers move,
    // resize or register shapes during the pass.
    void CollisionPass(float aDeltaTime);

    const std::vector<Collider*>& GetColliders() const { return myColliders; }

private:
    struct SweepEntry
    {
        float low;
        float high;
        uint32_t index;
    };

    // Bounds (widened so small moves stay inside) and the candidate pairs of entries [0, aCount).
    void Build(std::size_t aCount);
    void SortSweep(bool aAlongX);
    ColliderBounds LiveBounds(std::size_t anIndex) const;
    ColliderBounds CurrentBounds(std::size_t anIndex) const;
    // myRow: the entries from aFirst on that may touch entry anIndex, ascending.
    void FillRow(std::size_t anIndex, std::size_t aFirst);
    // Takes in the shapes handlers changed or registered; true when the row of anIndex from
    // aTested on may have changed.
    bool TakeEdits(std::size_t anIndex, std::size_t aTested);
    void Escape(std::size_t anIndex);
    void FindEntries(const Collider* aCollider, std::vector<uint32_t>& someIndices);

    std::vector<Collider*> myColliders;
    std::vector<std::size_t> myHoles;

    std::size_t myBuiltCount = 0;
    std::size_t myTrackedCount = 0;
    std::vector<ColliderBounds> myWideBounds;
    // Shapes that left their widened bounds or came later: tested by their live bounds.
    std::vector<uint8_t> myIsEscaped;
    std::vector<uint32_t> myEscaped;
    std::vector<uint32_t> myWild;
    std::vector<uint32_t> mySweepOrder;
    bool mySweptAlongX = true;
    std::vector<SweepEntry> mySweep;
    std::vector<uint32_t> myPairLow;
    std::vector<uint32_t> myPairHigh;
    std::vector<uint32_t> myRowStart;
    std::vector<uint32_t> myRowPartners;
    std::vector<uint32_t> myRow;
    std::vector<uint32_t> myLookup;
    std::vector<uint32_t> myFound;
    std::vector<uint32_t> myMatches;
    std::vector<const Collider*> myEdits;
    std::vector<const Collider*>* myOuterEdits = nullptr;
};
