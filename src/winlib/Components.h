// Persistent objects with the assignment protocol, and components owned by
// their owner, which destroys them in reverse order of creation.
#pragma once

#include <string>
#include <vector>

namespace winlib {

class TPersistent {
public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent() = default;

    virtual const char* ClassName() const { return "TPersistent"; }

    // Takes the state of source. The base asks source to copy itself into
    // this object and fails with "Cannot assign a X to a Y" when it cannot.
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
};

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int Tag = 0;

    std::size_t ComponentCount() const { return components_.size(); }
    TComponent* Component(std::size_t index) const { return components_.at(index); }

    bool Destroying() const { return destroying_; }

protected:
    // Destroys every owned component, newest first. Derived classes whose
    // components must die before their own members call this first.
    void DestroyComponents();

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_;
    std::string name_;
    std::vector<TComponent*> components_;
    bool destroying_ = false;
};

}  // namespace winlib
