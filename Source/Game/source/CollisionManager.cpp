#include "CollisionManager.h"

#include "ColliderPossessor.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr ColliderBounds kNothing{kInf, kInf, -kInf, -kInf};

    // Written as "not apart" so that NaN bounds meet everything.
    bool Meet(const ColliderBounds& aFirst, const ColliderBounds& aSecond)
    {
        return !(aFirst.minX > aSecond.maxX || aSecond.minX > aFirst.maxX || aFirst.minY > aSecond.maxY ||
                 aSecond.minY > aFirst.maxY);
    }

    bool IsEmpty(const ColliderBounds& aBounds) { return aBounds.minX > aBounds.maxX || aBounds.minY > aBounds.maxY; }

    bool IsWild(const ColliderBounds& aBounds)
    {
        return std::isnan(aBounds.minX) || std::isnan(aBounds.minY) || std::isnan(aBounds.maxX) || std::isnan(aBounds.maxY);
    }

    bool Inside(const ColliderBounds& anInner, const ColliderBounds& anOuter)
    {
        return IsEmpty(anInner) || (anInner.minX >= anOuter.minX && anInner.minY >= anOuter.minY &&
                                    anInner.maxX <= anOuter.maxX && anInner.maxY <= anOuter.maxY);
    }

    // Room for a shape pushed out of a contact to stay inside the bounds it was swept with.
    ColliderBounds Widened(const ColliderBounds& aBounds)
    {
        if (IsEmpty(aBounds))
            return aBounds;
        const float room = 4.0f + 0.125f * std::max(aBounds.maxX - aBounds.minX, aBounds.maxY - aBounds.minY);
        return {aBounds.minX - room, aBounds.minY - room, aBounds.maxX + room, aBounds.maxY + room};
    }

    std::size_t Hash(const Collider* aCollider, std::size_t aMask)
    {
        const auto bits = static_cast<uint64_t>(reinterpret_cast<std::uintptr_t>(aCollider));
        return static_cast<std::size_t>(((bits >> 4) * 0x9E3779B97F4A7C15ull) >> 24) & aMask;
    }

    // Points the shapes' edit log at the pass's list for its duration.
    class EditLogScope
    {
    public:
        EditLogScope(std::vector<const Collider*>& aLog, std::vector<const Collider*>*& anOuter) : myOuter(anOuter)
        {
            anOuter = Collider::EditLog();
            Collider::EditLog() = &aLog;
        }
        ~EditLogScope()
        {
            Collider::EditLog() = myOuter;
            myOuter = nullptr;
        }
        EditLogScope(const EditLogScope&) = delete;
        EditLogScope& operator=(const EditLogScope&) = delete;

    private:
        std::vector<const Collider*>*& myOuter;
    };
}

void CollisionManager::AddCollider(Collider* aCollider)
{
    myColliders.push_back(aCollider);
}

ColliderBounds CollisionManager::LiveBounds(std::size_t anIndex) const
{
    const Collider* collider = myColliders[anIndex];
    return collider ? collider->GetBounds() : kNothing;
}

ColliderBounds CollisionManager::CurrentBounds(std::size_t anIndex) const
{
    return myIsEscaped[anIndex] ? LiveBounds(anIndex) : myWideBounds[anIndex];
}

void CollisionManager::Build(std::size_t aCount)
{
    myBuiltCount = aCount;
    myTrackedCount = aCount;
    myWideBounds.resize(aCount);
    myIsEscaped.assign(aCount, 0);
    myEscaped.clear();
    myWild.clear();
    myLookup.clear();
    mySweep.clear();

    float lowX = kInf, highX = -kInf, lowY = kInf, highY = -kInf;
    for (std::size_t k = 0; k < aCount; ++k)
    {
        const ColliderBounds bounds = Widened(LiveBounds(k));
        myWideBounds[k] = bounds;
        if (IsWild(bounds))
            myWild.push_back(static_cast<uint32_t>(k));
        else if (!IsEmpty(bounds))
        {
            const float x = bounds.minX * 0.5f + bounds.maxX * 0.5f;
            const float y = bounds.minY * 0.5f + bounds.maxY * 0.5f;
            lowX = std::min(lowX, x);
            highX = std::max(highX, x);
            lowY = std::min(lowY, y);
            highY = std::max(highY, y);
            mySweep.push_back({0.0f, 0.0f, static_cast<uint32_t>(k)});
        }
    }
    // Sweep along the axis the shapes spread over most.
    SortSweep(!(highY - lowY > highX - lowX));

    myPairLow.clear();
    myPairHigh.clear();
    for (std::size_t a = 0; a < mySweep.size(); ++a)
    {
        const SweepEntry& first = mySweep[a];
        const ColliderBounds& firstBounds = myWideBounds[first.index];
        for (std::size_t b = a + 1; b < mySweep.size() && mySweep[b].low <= first.high; ++b)
        {
            const uint32_t other = mySweep[b].index;
            if (!Meet(firstBounds, myWideBounds[other]))
                continue;
            myPairLow.push_back(std::min(first.index, other));
            myPairHigh.push_back(std::max(first.index, other));
        }
    }

    // Each entry's partners after it, ascending.
    myRowStart.assign(aCount + 1, 0);
    for (uint32_t low : myPairLow)
        ++myRowStart[low + 1];
    for (std::size_t k = 0; k < aCount; ++k)
        myRowStart[k + 1] += myRowStart[k];
    myRowPartners.resize(myPairLow.size());
    myFound.assign(myRowStart.begin(), myRowStart.end() - 1);
    for (std::size_t p = 0; p < myPairLow.size(); ++p)
        myRowPartners[myFound[myPairLow[p]]++] = myPairHigh[p];
    for (std::size_t k = 0; k < aCount; ++k)
        std::sort(myRowPartners.begin() + myRowStart[k], myRowPartners.begin() + myRowStart[k + 1]);
}

void CollisionManager::SortSweep(bool aAlongX)
{
    const auto fill = [&](SweepEntry& anEntry) {
        const ColliderBounds& bounds = myWideBounds[anEntry.index];
        anEntry.low = aAlongX ? bounds.minX : bounds.minY;
        anEntry.high = aAlongX ? bounds.maxX : bounds.maxY;
    };
    const auto before = [](const SweepEntry& aFirst, const SweepEntry& aSecond) {
        return aFirst.low < aSecond.low || (aFirst.low == aSecond.low && aFirst.index < aSecond.index);
    };

    // Last pass's order, when it holds the same shapes, is nearly sorted already.
    bool reuse = aAlongX == mySweptAlongX && mySweepOrder.size() == mySweep.size();
    if (reuse)
    {
        myFound.assign(myBuiltCount, 0);
        for (const SweepEntry& entry : mySweep)
            myFound[entry.index] = 1;
        for (uint32_t index : mySweepOrder)
        {
            if (index >= myBuiltCount || myFound[index] != 1)
            {
                reuse = false;
                break;
            }
            myFound[index] = 2;
        }
    }
    bool sorted = false;
    if (reuse)
    {
        for (std::size_t k = 0; k < mySweep.size(); ++k)
        {
            mySweep[k].index = mySweepOrder[k];
            fill(mySweep[k]);
        }
        // Insertion sort, given up for a full sort once it has moved too far.
        std::size_t budget = mySweep.size() * 8 + 64;
        sorted = true;
        for (std::size_t k = 1; k < mySweep.size() && sorted; ++k)
        {
            const SweepEntry entry = mySweep[k];
            std::size_t at = k;
            while (at > 0 && before(entry, mySweep[at - 1]))
            {
                mySweep[at] = mySweep[at - 1];
                --at;
                if (--budget == 0)
                {
                    sorted = false;
                    break;
                }
            }
            mySweep[at] = entry;
        }
    }
    if (!sorted)
    {
        for (SweepEntry& entry : mySweep)
            fill(entry);
        std::sort(mySweep.begin(), mySweep.end(), before);
    }
    mySweptAlongX = aAlongX;
    mySweepOrder.resize(mySweep.size());
    for (std::size_t k = 0; k < mySweep.size(); ++k)
        mySweepOrder[k] = mySweep[k].index;
}

void CollisionManager::FillRow(std::size_t anIndex, std::size_t aFirst)
{
    myRow.clear();
    const std::size_t count = myColliders.size();
    const ColliderBounds own = CurrentBounds(anIndex);
    if (myIsEscaped[anIndex] || IsWild(own))
    {
        for (std::size_t j = aFirst; j < count; ++j)
        {
            if (Meet(own, CurrentBounds(j)))
                myRow.push_back(static_cast<uint32_t>(j));
        }
        return;
    }

    const auto begin = myRowPartners.begin() + myRowStart[anIndex];
    const auto end = myRowPartners.begin() + myRowStart[anIndex + 1];
    for (auto at = std::lower_bound(begin, end, static_cast<uint32_t>(aFirst)); at != end; ++at)
    {
        if (!myIsEscaped[*at])
            myRow.push_back(*at);
    }
    const std::size_t fromSweep = myRow.size();
    for (uint32_t other : myEscaped)
    {
        if (other >= aFirst && Meet(own, LiveBounds(other)))
            myRow.push_back(other);
    }
    for (uint32_t other : myWild)
    {
        if (other >= aFirst && !myIsEscaped[other])
            myRow.push_back(other);
    }
    if (myRow.size() != fromSweep)
        std::sort(myRow.begin(), myRow.end());
}

void CollisionManager::Escape(std::size_t anIndex)
{
    myIsEscaped[anIndex] = 1;
    myEscaped.push_back(static_cast<uint32_t>(anIndex));
}

void CollisionManager::FindEntries(const Collider* aCollider, std::vector<uint32_t>& someIndices)
{
    someIndices.clear();
    if (myLookup.empty())
    {
        std::size_t size = 16;
        while (size < myBuiltCount * 2)
            size *= 2;
        myLookup.assign(size, 0);
        for (std::size_t k = 0; k < myBuiltCount; ++k)
        {
            if (!myColliders[k])
                continue;
            std::size_t slot = Hash(myColliders[k], size - 1);
            while (myLookup[slot] != 0)
                slot = (slot + 1) & (size - 1);
            myLookup[slot] = static_cast<uint32_t>(k + 1);
        }
    }
    const std::size_t mask = myLookup.size() - 1;
    for (std::size_t slot = Hash(aCollider, mask); myLookup[slot] != 0; slot = (slot + 1) & mask)
    {
        if (myColliders[myLookup[slot] - 1] == aCollider)
            someIndices.push_back(myLookup[slot] - 1);
    }
    for (std::size_t k = myBuiltCount; k < myColliders.size(); ++k)
    {
        if (myColliders[k] == aCollider)
            someIndices.push_back(static_cast<uint32_t>(k));
    }
}

bool CollisionManager::TakeEdits(std::size_t anIndex, std::size_t aTested)
{
    bool changed = false;
    if (myColliders.size() != myTrackedCount)
    {
        myIsEscaped.resize(myColliders.size(), 1);
        for (std::size_t k = myTrackedCount; k < myColliders.size(); ++k)
            myEscaped.push_back(static_cast<uint32_t>(k));
        myTrackedCount = myColliders.size();
        changed = true;
    }
    // Only anIndex itself and the entries it has still to meet matter to this row; later
    // rows read the escape marks.
    const auto matters = [&](std::size_t k) { return k == anIndex || k > aTested; };
    for (const Collider* edited : myEdits)
    {
        FindEntries(edited, myMatches);
        for (uint32_t k : myMatches)
        {
            if (k < anIndex)
                continue;
            if (myIsEscaped[k])
                changed = changed || matters(k);
            else if (!Inside(LiveBounds(k), myWideBounds[k]))
            {
                Escape(k);
                changed = changed || matters(k);
            }
        }
    }
    if (myOuterEdits)
        myOuterEdits->insert(myOuterEdits->end(), myEdits.begin(), myEdits.end());
    myEdits.clear();

    // Many shapes out of place: sweeping them all again is cheaper than testing them apart.
    if (myEscaped.size() > 16 + myBuiltCount / 64)
    {
        Build(myColliders.size());
        changed = true;
    }
    return changed;
}

void CollisionManager::CollisionPass(float aDeltaTime)
{
    myHoles.clear();
    myEdits.clear();
    Build(myColliders.size());
    const EditLogScope logging(myEdits, myOuterEdits);

    // Indices rather than iterators: a contact callback may register further shapes.
    for (size_t i = 0; i < myColliders.size(); ++i)
    {
        Collider* a = myColliders[i];
        if (!a)
        {
            myHoles.push_back(i);
            continue;
        }
        if (i + 1 == myColliders.size())
            break;
        ColliderPossessor* ownerA = a->GetOwner();
        if (!ownerA)
            continue;

        FillRow(i, i + 1);
        for (size_t r = 0; r < myRow.size(); ++r)
        {
            const size_t j = myRow[r];
            Collider* b = myColliders[j];
            if (!b)
                continue;
            ColliderPossessor* ownerB = b->GetOwner();
            if (!ownerB)
                continue;

            const bool aListens = (ownerA->GetCollisionMask() & ownerB->GetCollisionLayer()) != 0;
            const bool bListens = (ownerB->GetCollisionMask() & ownerA->GetCollisionLayer()) != 0;
            if (!aListens && !bListens)
                continue;

            Kiln::Vector2<float> push;
            if (!a->Intersects(*b, push, false))
                continue;
            // push is what A's owner is handed; B's owner gets it negated.
            if (aListens)
                ownerB->OnCollision(*ownerA, -push, aDeltaTime);
            if (bListens)
                ownerA->OnCollision(*ownerB, push, aDeltaTime);

            if ((!myEdits.empty() || myColliders.size() != myTrackedCount) && TakeEdits(i, j))
            {
                FillRow(i, j + 1);
                r = static_cast<size_t>(-1);
            }
        }
    }

    for (auto hole = myHoles.rbegin(); hole != myHoles.rend(); ++hole)
    {
        myColliders[*hole] = myColliders.back();
        myColliders.pop_back();
    }
}
