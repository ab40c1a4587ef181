#include "audio/model/component.h"

#include <algorithm>

namespace corvath {

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
    if (owner_ != nullptr)
        owner_->owned_.push_back(this);
}

TComponent::~TComponent()
{
    // Free() leaves nothing here; a derived constructor that threw does, and nobody may reach
    // this component through the links afterwards.
    FreeOwned();
    LeaveOwner();
    for (TComponent* other : notified_)
        other->Forget(this);
}

void TComponent::Free()
{
    BeforeDestruction();
    delete this;
}

void TComponent::BeforeDestruction()
{
    FreeOwned();
    LeaveOwner();
    while (!notified_.empty()) {
        TComponent* other = notified_.back();
        notified_.pop_back();
        other->Forget(this);
        other->Notification(this);
    }
}

void TComponent::FreeOwned()
{
    // Owned components go last-made first, as they were built on one another.
    while (!owned_.empty()) {
        TComponent* child = owned_.back();
        owned_.pop_back();
        child->owner_ = nullptr;
        child->Free();
    }
}

void TComponent::LeaveOwner()
{
    if (owner_ != nullptr)
        std::erase(owner_->owned_, this);
    owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* other)
{
    if (other == nullptr || other == this ||
        std::find(notified_.begin(), notified_.end(), other) != notified_.end())
        return;
    notified_.push_back(other);
    other->notified_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other)
{
    if (other == nullptr)
        return;
    Forget(other);
    other->Forget(this);
}

void TComponent::Forget(TComponent* other)
{
    std::erase(notified_, other);
}

void TComponent::Notification(TComponent* /*removed*/) {}

} // namespace corvath
