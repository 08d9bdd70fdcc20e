// Builds a form's components from its description (FormReader): creates each
// component by class name, owned by the form and placed in the control that
// encloses it, sets the properties in the order written, and wires events to
// the handlers the form offers by name.
#pragma once

#include "winlib/Controls.h"
#include "winlib/FormReader.h"
#include "winlib/Forms.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace winlib {

// The handlers a form offers to its description, by name.
class FormEvents {
public:
    using Handler = std::variant<TNotifyEvent, TMouseEvent, TKeyEvent, TCloseEvent>;

    template <class Event>
    FormEvents& Add(const std::string& name, Event handler)
    {
        handlers_[name] = Handler(std::move(handler));
        return *this;
    }

    // The handler called name, of the event type the property needs.
    template <class Event>
    const Event& Get(const FormProperty& property) const
    {
        const std::string& name = IdentifierValue(property);
        const auto found = handlers_.find(name);
        if (found == handlers_.end())
            throw EFormError(property.line, "no handler " + name);
        const Event* handler = std::get_if<Event>(&found->second);
        if (handler == nullptr)
            throw EFormError(property.line, "handler " + name + " does not fit " + property.name);
        return *handler;
    }

private:
    std::unordered_map<std::string, Handler> handlers_;
};

class FormLoader {
public:
    // Sets one property on a component; false when the name is not its.
    using PropertySetter = std::function<bool(TComponent& component, const FormProperty& property, FormLoader& loader)>;
    using Factory = std::function<TComponent*(TComponent* owner)>;

    FormLoader(TForm& form, const FormEvents& events);

    // Reads the description and builds the form from it.
    void Load(std::string_view description);
    // Loads the description kept in the program's resources (RCDATA) under name.
    void LoadResource(const char* resourceName);

    // For property setters: a component of the form by name, or an error.
    TComponent& ComponentNamed(const FormProperty& property, std::size_t index = 0) const;
    const FormEvents& Events() const { return events_; }

    // Classes the descriptions may name, and the properties they know.
    static void RegisterClass(const std::string& className, Factory factory);
    static void RegisterProperties(PropertySetter setter);

private:
    void Create(const FormNode& node, TComponent* container);
    void Apply(const FormNode& node, TComponent& component);
    void ApplyProperty(TComponent& component, const FormProperty& property);

    TForm& form_;
    const FormEvents& events_;
    std::vector<std::pair<TComponent*, const FormProperty*>> deferred_;
};

// The description resource of a form, as text.
std::string FormResourceText(const char* resourceName);

// Casts a component of the form to the class its field expects.
template <class T>
T* FindFormComponent(TComponent& form, const std::string& name)
{
    T* component = dynamic_cast<T*>(form.FindComponent(name));
    if (component == nullptr)
        throw EInvalidOperation(Format("Form %s has no component %s of the expected class", form.Name().c_str(),
                                       name.c_str()));
    return component;
}

// Reads a colour value: a number, or a name such as clWindowText or clRed.
TColor ColorValue(const FormProperty& property, std::size_t index = 0);

}  // namespace winlib
