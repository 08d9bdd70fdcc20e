#include "winlib/Components.h"

#include "winlib/Exceptions.h"

#include <algorithm>

namespace winlib {

void TPersistent::Assign(const TPersistent* source)
{
    if (source != nullptr) {
        source->AssignTo(this);
        return;
    }
    throw EConvertError::CannotAssign(nullptr, ClassName());
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError::CannotAssign(ClassName(), dest != nullptr ? dest->ClassName() : "nil");
}

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
    if (owner_ != nullptr)
        owner_->InsertComponent(this);
}

TComponent::~TComponent()
{
    destroying_ = true;
    DestroyComponents();
    if (owner_ != nullptr)
        owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
}

void TComponent::InsertComponent(TComponent* component) { components_.push_back(component); }

void TComponent::RemoveComponent(TComponent* component)
{
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

}  // namespace winlib
