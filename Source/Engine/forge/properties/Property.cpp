#include "forge/properties/Property.h"

#include <nlohmann/json.hpp>

#include <cstring>

namespace Kiln
{
    Property::Property(const PropertyTypeBase* aType) : myType(aType)
    {
        if (myType != nullptr)
        {
            myType->Construct(myStorage);
        }
    }

    Property Property::CreateFromJson(const PropertyTypeBase* aType, const nlohmann::json& aValue)
    {
        Property property;
        if (aType == nullptr)
        {
            return property;
        }
        property.myType = aType;
        try
        {
            aType->FromJson(property.myStorage, aValue);
        }
        catch (...)
        {
            // Nothing else may touch the half-built value: destroy it here and leave an
            // empty property for the unwinding destructor.
            aType->Destruct(property.myStorage);
            property.myType = nullptr;
            std::memset(property.myStorage, 0, sizeof(property.myStorage));
            throw;
        }
        return property;
    }

    Property::Property(const Property& anOther) : myType(anOther.myType)
    {
        if (myType != nullptr)
        {
            myType->CopyConstruct(anOther.myStorage, myStorage);
        }
    }

    Property::Property(Property&& anOther) : myType(anOther.myType)
    {
        if (myType != nullptr)
        {
            myType->MoveConstruct(anOther.myStorage, myStorage);
        }
    }

    Property& Property::operator=(const Property& anOther)
    {
        Assign(anOther, false);
        return *this;
    }

    Property& Property::operator=(Property&& anOther)
    {
        Assign(anOther, true);
        return *this;
    }

    Property::~Property()
    {
        if (myType != nullptr)
        {
            myType->Destruct(myStorage);
        }
    }

    void Property::Assign(const Property& anOther, bool aMove)
    {
        // Destroying first would free a value that is about to be copied from itself.
        if (this == &anOther)
        {
            return;
        }
        if (myType != nullptr)
        {
            myType->Destruct(myStorage);
            std::memset(myStorage, 0, sizeof(myStorage));
        }
        myType = anOther.myType;
        if (myType != nullptr)
        {
            if (aMove)
            {
                myType->MoveConstruct(anOther.myStorage, myStorage);
            }
            else
            {
                myType->CopyConstruct(anOther.myStorage, myStorage);
            }
        }
    }
}
