#include "winlib/FormCode.h"

#include "winlib/ExtControls.h"

namespace winlib {

TMenuItem* NewMenuItem(TComponent* owner, TMenuItem& parent, const std::string& caption)
{
    auto* item = new TMenuItem(owner);
    parent.Add(item);
    item->SetCaption(caption);
    return item;
}

HICON ProgramIcon(const char* name)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), name);
    if (icon == nullptr)
        throw EResNotFound(Format("Resource %s not found", name));
    return icon;
}

}  // namespace winlib
