#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvath {

/// The base of every audio component: a name, an optional owner that frees it, and removal
/// notifications, so a component that refers to another hears when that one goes away.
///
/// Components are freed through Free() (owners, Owned<T>), never by a plain delete: Free()
/// first runs BeforeDestruction() while the whole object is still alive, so a sink can stop
/// its worker and a source can tell its users before any part of it is destroyed.
/// All of this happens on the main thread. A derived constructor that throws leaves the
/// component neither in its owner nor in anyone's notifications.
class TComponent {
public:
    /// With an owner, the owner frees this component when it is freed itself.
    explicit TComponent(TComponent* owner = nullptr);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    /// Runs BeforeDestruction() and destroys the component.
    void Free();

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    TComponent* Owner() const { return owner_; }

protected:
    virtual ~TComponent();

    /// Asks to hear (through Notification) when other is freed; both sides forget each other
    /// when either goes.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    /// Called when a component this one asked about is being freed, while it is still whole.
    virtual void Notification(TComponent* removed);

    /// The first step of Free(): frees owned components and sends the removal notifications.
    /// Overrides do their own work first and then call the base.
    virtual void BeforeDestruction();

private:
    void FreeOwned();
    void LeaveOwner();
    void Forget(TComponent* other);

    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> owned_;
    std::vector<TComponent*> notified_; // both directions: whoever goes first tells the other
};

/// Frees a component through TComponent::Free.
struct ComponentDeleter {
    void operator()(TComponent* component) const
    {
        if (component != nullptr)
            component->Free();
    }
};

/// A component without an owner, freed when the pointer goes.
template <typename T> using Owned = std::unique_ptr<T, ComponentDeleter>;

template <typename T, typename... Args> Owned<T> MakeComponent(Args&&... args)
{
    return Owned<T>(new T(std::forward<Args>(args)...));
}

} // namespace corvath
