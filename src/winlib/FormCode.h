// What a form needs to build its components in code, so that the compiler
// checks every component and handler it names: a control made inside its
// parent, a menu item made inside its menu, a handler method as an event's
// callback, and an icon of the program's resources.
#pragma once

#include "winlib/Controls.h"
#include "winlib/Menus.h"

#include <windows.h>

#include <string>
#include <utility>

namespace winlib {

// A new control, owned by owner (which destroys it) and placed inside parent.
template <class T>
T* NewControl(TComponent* owner, TWinControl* parent)
{
    T* control = new T(owner);
    control->SetParent(parent);
    return control;
}

// A new menu item with its caption, owned by owner and standing last in parent.
TMenuItem* NewMenuItem(TComponent* owner, TMenuItem& parent, const std::string& caption);

// The callback that runs a handler method of object; that the method fits
// the event is checked where the callback is assigned to it.
template <class Object, class... Args>
auto Handler(Object* object, void (Object::*method)(Args...))
{
    return [object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); };
}

// An icon of the program's resources, by name; it lives as long as the program.
HICON ProgramIcon(const char* name);

}  // namespace winlib
