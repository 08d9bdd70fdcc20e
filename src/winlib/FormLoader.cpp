#include "winlib/FormLoader.h"

#include "winlib/Buttons.h"
#include "winlib/Dialogs.h"
#include "winlib/ExtControls.h"
#include "winlib/Lists.h"
#include "winlib/Menus.h"
#include "winlib/StdControls.h"

#include <vector>

namespace winlib {

namespace {

struct Registry {
    std::unordered_map<std::string, FormLoader::Factory> factories;
    std::vector<FormLoader::PropertySetter> setters;
};

void RegisterStandardClasses(Registry& registry);

Registry& TheRegistry()
{
    static Registry registry = [] {
        Registry r;
        RegisterStandardClasses(r);
        return r;
    }();
    return registry;
}

bool BooleanValue(const FormProperty& property)
{
    const std::string& value = IdentifierValue(property);
    if (value == "True")
        return true;
    if (value == "False")
        return false;
    throw EFormError(property.line, property.name + " is True or False");
}

template <class Enum, std::size_t N>
Enum EnumValue(const FormProperty& property, const std::pair<const char*, Enum> (&names)[N])
{
    const std::string& value = IdentifierValue(property);
    for (const auto& entry : names)
        if (value == entry.first)
            return entry.second;
    throw EFormError(property.line, "unknown value " + value + " for " + property.name);
}

int IntValue(const FormProperty& property, std::size_t index = 0)
{
    return static_cast<int>(IntegerValue(property, index));
}

bool SetFontProperty(TFont& font, const std::string& name, const FormProperty& property)
{
    if (name == "Name") {
        font.SetName(StringValue(property));
    } else if (name == "Height") {
        font.SetHeight(IntValue(property));
    } else if (name == "Size") {
        font.SetSize(IntValue(property));
    } else if (name == "Color") {
        font.SetColor(ColorValue(property));
    } else if (name == "Charset") {
        if (!property.values.empty() && property.values[0].kind == FormToken::Integer) {
            font.SetCharset(static_cast<BYTE>(IntegerValue(property)));
        } else {
            static const std::pair<const char*, BYTE> charsets[] = {
                {"ANSI_CHARSET", ANSI_CHARSET}, {"DEFAULT_CHARSET", DEFAULT_CHARSET}, {"SYMBOL_CHARSET", SYMBOL_CHARSET},
                {"OEM_CHARSET", OEM_CHARSET}};
            font.SetCharset(EnumValue(property, charsets));
        }
    } else if (name == "Pitch") {
        static const std::pair<const char*, TFontPitch> pitches[] = {
            {"fpDefault", fpDefault}, {"fpVariable", fpVariable}, {"fpFixed", fpFixed}};
        font.SetPitch(EnumValue(property, pitches));
    } else if (name == "Style") {
        static const std::pair<const char*, TFontStyle> styles[] = {
            {"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}};
        TFontStyles set;
        for (std::size_t i = 0; i < property.values.size(); ++i) {
            FormProperty single{property.name, {property.values[i]}, property.line};
            set.Include(EnumValue(single, styles));
        }
        font.SetStyle(set);
    } else {
        return false;
    }
    return true;
}

bool SetControlProperty(TComponent& component, const FormProperty& property, FormLoader& loader)
{
    const std::string& name = property.name;
    if (name == "Tag") {
        component.Tag = IntValue(property);
        return true;
    }
    auto* control = dynamic_cast<TControl*>(&component);
    if (control == nullptr)
        return false;
    if (name == "Left") {
        control->SetLeft(IntValue(property));
    } else if (name == "Top") {
        control->SetTop(IntValue(property));
    } else if (name == "Width") {
        control->SetWidth(IntValue(property));
    } else if (name == "Height") {
        control->SetHeight(IntValue(property));
    } else if (name == "Bounds") {
        ExpectValueCount(property, 4);
        control->SetBounds(IntValue(property, 0), IntValue(property, 1), IntValue(property, 2), IntValue(property, 3));
    } else if (name == "Caption" || name == "Text") {
        control->SetText(StringValue(property));
    } else if (name == "Align") {
        static const std::pair<const char*, TAlign> aligns[] = {{"alNone", alNone},   {"alTop", alTop},
                                                                {"alBottom", alBottom}, {"alLeft", alLeft},
                                                                {"alRight", alRight}, {"alClient", alClient}};
        control->SetAlign(EnumValue(property, aligns));
    } else if (name == "Visible") {
        control->SetVisible(BooleanValue(property));
    } else if (name == "Enabled") {
        control->SetEnabled(BooleanValue(property));
    } else if (name == "Color") {
        control->SetColor(ColorValue(property));
    } else if (name == "ParentColor") {
        control->SetParentColor(BooleanValue(property));
    } else if (name == "ParentFont") {
        control->SetParentFont(BooleanValue(property));
    } else if (name.rfind("Font.", 0) == 0) {
        if (!SetFontProperty(control->Font(), name.substr(5), property))
            return false;
    } else if (name == "Hint") {
        control->Hint = StringValue(property);
    } else if (name == "ShowHint") {
        control->ShowHint = BooleanValue(property);
    } else if (name == "HelpContext") {
        control->HelpContext = IntValue(property);
    } else if (name == "OnClick") {
        control->OnClick = loader.Events().Get<TNotifyEvent>(property);
    } else if (name == "OnDblClick") {
        control->OnDblClick = loader.Events().Get<TNotifyEvent>(property);
    } else if (name == "OnResize") {
        control->OnResize = loader.Events().Get<TNotifyEvent>(property);
    } else if (name == "OnMouseDown") {
        control->OnMouseDown = loader.Events().Get<TMouseEvent>(property);
    } else if (name == "OnMouseUp") {
        control->OnMouseUp = loader.Events().Get<TMouseEvent>(property);
    } else {
        auto* win = dynamic_cast<TWinControl*>(control);
        if (win == nullptr)
            return false;
        if (name == "TabOrder") {
            win->SetTabOrder(IntValue(property));
        } else if (name == "TabStop") {
            win->SetTabStop(BooleanValue(property));
        } else if (name == "Ctl3D") {
            win->Ctl3D = BooleanValue(property);
        } else if (name == "OnKeyDown") {
            win->OnKeyDown = loader.Events().Get<TKeyEvent>(property);
        } else if (name == "OnKeyUp") {
            win->OnKeyUp = loader.Events().Get<TKeyEvent>(property);
        } else if (name == "OnEnter") {
            win->OnEnter = loader.Events().Get<TNotifyEvent>(property);
        } else if (name == "OnExit") {
            win->OnExit = loader.Events().Get<TNotifyEvent>(property);
        } else {
            return false;
        }
    }
    return true;
}

bool SetFormProperty(TComponent& component, const FormProperty& property, FormLoader& loader)
{
    auto* form = dynamic_cast<TForm*>(&component);
    if (form == nullptr)
        return false;
    const std::string& name = property.name;
    if (name == "ClientSize") {
        ExpectValueCount(property, 2);
        form->SetClientSize(IntValue(property, 0), IntValue(property, 1));
    } else if (name == "Position") {
        static const std::pair<const char*, TPosition> positions[] = {{"poDesigned", poDesigned},
                                                                      {"poScreenCenter", poScreenCenter}};
        form->Position = EnumValue(property, positions);
    } else if (name == "BorderStyle") {
        static const std::pair<const char*, TFormBorderStyle> borders[] = {
            {"bsNone", bsNone}, {"bsSingle", bsSingle}, {"bsSizeable", bsSizeable}, {"bsDialog", bsDialog}};
        form->BorderStyle = EnumValue(property, borders);
    } else if (name == "MinimizeBox") {
        form->MinimizeBox = BooleanValue(property);
    } else if (name == "MaximizeBox") {
        form->MaximizeBox = BooleanValue(property);
    } else if (name == "Icon") {
        // An icon of the program's resources, by name.
        form->Icon = LoadIconA(GetModuleHandleA(nullptr), StringValue(property).c_str());
        if (form->Icon == nullptr)
            throw EFormError(property.line, "no icon resource " + StringValue(property));
    } else if (name == "ActiveControl") {
        form->ActiveControl = dynamic_cast<TWinControl*>(&loader.ComponentNamed(property));
        if (form->ActiveControl == nullptr)
            throw EFormError(property.line, "ActiveControl names a window control");
    } else if (name == "OnCreate") {
        form->OnCreate = loader.Events().Get<TNotifyEvent>(property);
    } else if (name == "OnShow") {
        form->OnShow = loader.Events().Get<TNotifyEvent>(property);
    } else if (name == "OnClose") {
        form->OnClose = loader.Events().Get<TCloseEvent>(property);
    } else {
        return false;
    }
    return true;
}

TPanelBevel BevelValue(const FormProperty& property)
{
    static const std::pair<const char*, TPanelBevel> bevels[] = {
        {"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}};
    return EnumValue(property, bevels);
}

TAlignment AlignmentValue(const FormProperty& property)
{
    static const std::pair<const char*, TAlignment> alignments[] = {
        {"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}, {"taCenter", taCenter}};
    return EnumValue(property, alignments);
}

// The properties of the library's controls beyond those of every control.
bool SetLibraryControlProperty(TComponent& component, const FormProperty& property, FormLoader&)
{
    const std::string& name = property.name;
    if (auto* panel = dynamic_cast<TPanel*>(&component)) {
        if (name == "BevelOuter")
            panel->SetBevelOuter(BevelValue(property));
        else if (name == "BevelInner")
            panel->SetBevelInner(BevelValue(property));
        else if (name == "BevelWidth")
            panel->SetBevelWidth(IntValue(property));
        else if (name == "BorderWidth")
            panel->SetBorderWidth(IntValue(property));
        else
            return false;
        return true;
    }
    if (auto* shape = dynamic_cast<TShape*>(&component)) {
        if (name == "Brush.Color")
            shape->Brush().SetColor(ColorValue(property));
        else if (name == "Pen.Color")
            shape->Pen().SetColor(ColorValue(property));
        else if (name == "Pen.Width")
            shape->Pen().SetWidth(IntValue(property));
        else
            return false;
        return true;
    }
    if (auto* label = dynamic_cast<TLabel*>(&component)) {
        if (name == "AutoSize")
            label->SetAutoSize(BooleanValue(property));
        else if (name == "Transparent")
            label->SetTransparent(BooleanValue(property));
        else
            return false;
        return true;
    }
    if (auto* image = dynamic_cast<TImage*>(&component)) {
        if (name == "Stretch")
            image->SetStretch(BooleanValue(property));
        else if (name == "Picture")
            image->LoadFromResourceName(GetModuleHandleA(nullptr), StringValue(property));
        else
            return false;
        return true;
    }
    if (auto* bitButton = dynamic_cast<TBitBtn*>(&component)) {
        if (name == "Kind") {
            static const std::pair<const char*, TBitBtnKind> kinds[] = {{"bkCustom", bkCustom}, {"bkOK", bkOK}};
            bitButton->SetKind(EnumValue(property, kinds));
            return true;
        }
    }
    if (auto* button = dynamic_cast<TButton*>(&component)) {
        if (name == "Default") {
            button->SetDefault(BooleanValue(property));
        } else if (name == "ModalResult") {
            static const std::pair<const char*, int> results[] = {
                {"mrNone", mrNone}, {"mrOk", mrOk}, {"mrCancel", mrCancel}};
            button->ModalResult = EnumValue(property, results);
        } else {
            return false;
        }
        return true;
    }
    if (auto* checkBox = dynamic_cast<TCheckBox*>(&component)) {
        if (name == "Checked")
            checkBox->SetChecked(BooleanValue(property));
        else if (name == "Alignment")
            checkBox->SetAlignment(AlignmentValue(property));
        else
            return false;
        return true;
    }
    if (auto* radio = dynamic_cast<TRadioButton*>(&component)) {
        if (name == "Checked") {
            radio->SetChecked(BooleanValue(property));
            return true;
        }
        return false;
    }
    if (auto* memo = dynamic_cast<TCustomMemo*>(&component)) {
        if (name == "ScrollBars") {
            static const std::pair<const char*, TScrollStyle> styles[] = {
                {"ssNone", ssNone}, {"ssHorizontal", ssHorizontal}, {"ssVertical", ssVertical}, {"ssBoth", ssBoth}};
            memo->SetScrollBars(EnumValue(property, styles));
            return true;
        }
        if (name == "WordWrap") {
            memo->SetWordWrap(BooleanValue(property));
            return true;
        }
        if (name == "Alignment") {
            memo->SetAlignment(AlignmentValue(property));
            return true;
        }
        if (name == "WantReturns") {
            memo->SetWantReturns(BooleanValue(property));
            return true;
        }
        if (name == "WantTabs") {
            memo->SetWantTabs(BooleanValue(property));
            return true;
        }
    }
    if (auto* edit = dynamic_cast<TCustomEdit*>(&component)) {
        if (name == "MaxLength")
            edit->SetMaxLength(IntValue(property));
        else if (name == "ReadOnly")
            edit->SetReadOnly(BooleanValue(property));
        else
            return false;
        return true;
    }
    return false;
}

bool SetMenuProperty(TComponent& component, const FormProperty& property, FormLoader& loader)
{
    const std::string& name = property.name;
    if (auto* item = dynamic_cast<TMenuItem*>(&component)) {
        if (name == "Caption")
            item->SetCaption(StringValue(property));
        else if (name == "Enabled")
            item->SetEnabled(BooleanValue(property));
        else if (name == "OnClick")
            item->OnClick = loader.Events().Get<TNotifyEvent>(property);
        else
            return false;
        return true;
    }
    if (name == "Menu") {
        auto* form = dynamic_cast<TForm*>(&component);
        auto* menu = dynamic_cast<TMainMenu*>(&loader.ComponentNamed(property));
        if (form == nullptr || menu == nullptr)
            throw EFormError(property.line, "Menu names the form's main menu");
        menu->AttachTo(*form);
        return true;
    }
    return false;
}

bool SetDialogProperty(TComponent& component, const FormProperty& property, FormLoader&)
{
    const std::string& name = property.name;
    if (auto* fileDialog = dynamic_cast<TOpenDialog*>(&component)) {
        if (name == "Filter") {
            fileDialog->Filter = StringValue(property);
        } else if (name == "FilterIndex") {
            fileDialog->FilterIndex = IntValue(property);
        } else if (name == "DefaultExt") {
            fileDialog->DefaultExt = StringValue(property);
        } else if (name == "Title") {
            fileDialog->Title = StringValue(property);
        } else if (name == "Options") {
            static const std::pair<const char*, TOpenOption> options[] = {
                {"ofHideReadOnly", ofHideReadOnly}, {"ofOverwritePrompt", ofOverwritePrompt},
                {"ofFileMustExist", ofFileMustExist}, {"ofNoChangeDir", ofNoChangeDir}};
            TOpenOptions set = ofNone;
            for (const FormToken& value : property.values)
                set |= EnumValue(FormProperty{name, {value}, property.line}, options);
            fileDialog->Options = set;
        } else {
            return false;
        }
        return true;
    }
    if (auto* fontDialog = dynamic_cast<TFontDialog*>(&component)) {
        if (name.rfind("Font.", 0) == 0)
            return SetFontProperty(fontDialog->Font(), name.substr(5), property);
        if (name == "MinFontSize")
            fontDialog->MinFontSize = IntValue(property);
        else if (name == "MaxFontSize")
            fontDialog->MaxFontSize = IntValue(property);
        else
            return false;
        return true;
    }
    return false;
}

template <class T>
void Factory(Registry& registry, const char* className)
{
    registry.factories[className] = [](TComponent* owner) -> TComponent* { return new T(owner); };
}

void RegisterStandardClasses(Registry& registry)
{
    Factory<TPanel>(registry, "TPanel");
    Factory<TShape>(registry, "TShape");
    Factory<TLabel>(registry, "TLabel");
    Factory<TImage>(registry, "TImage");
    Factory<TButton>(registry, "TButton");
    Factory<TBitBtn>(registry, "TBitBtn");
    Factory<TCheckBox>(registry, "TCheckBox");
    Factory<TRadioButton>(registry, "TRadioButton");
    Factory<TListBox>(registry, "TListBox");
    Factory<TMainMenu>(registry, "TMainMenu");
    Factory<TMenuItem>(registry, "TMenuItem");
    Factory<TOpenDialog>(registry, "TOpenDialog");
    Factory<TSaveDialog>(registry, "TSaveDialog");
    Factory<TFontDialog>(registry, "TFontDialog");
    // Asked in this order: the more particular classes first.
    registry.setters.push_back(SetMenuProperty);
    registry.setters.push_back(SetDialogProperty);
    registry.setters.push_back(SetLibraryControlProperty);
    registry.setters.push_back(SetFormProperty);
    registry.setters.push_back(SetControlProperty);
}

}  // namespace

TColor ColorValue(const FormProperty& property, std::size_t index)
{
    if (index < property.values.size() && property.values[index].kind == FormToken::Integer)
        return static_cast<TColor>(property.values[index].number);
    static const std::pair<const char*, TColor> names[] = {
        {"clWindowText", clWindowText}, {"clWindow", clWindow}, {"clBtnFace", clBtnFace},
        {"clBtnText", clBtnText},       {"clBlack", clBlack},   {"clWhite", clWhite},
        {"clRed", 0x0000FF},            {"clGreen", 0x008000},  {"clNavy", 0x800000},
        {"clMaroon", 0x000080},         {"clPurple", 0x800080}, {"clYellow", 0x00FFFF},
        {"clLime", 0x00FF00},           {"clAqua", 0xFFFF00},   {"clBlue", 0xFF0000},
        {"clFuchsia", 0xFF00FF},        {"clGray", 0x808080},   {"clSilver", 0xC0C0C0},
        {"clTeal", 0x808000},           {"clOlive", 0x008080}};
    const std::string& value = IdentifierValue(property, index);
    for (const auto& entry : names)
        if (value == entry.first)
            return entry.second;
    throw EFormError(property.line, "unknown colour " + value);
}

FormLoader::FormLoader(TForm& form, const FormEvents& events) : form_(form), events_(events) {}

void FormLoader::RegisterClass(const std::string& className, Factory factory)
{
    TheRegistry().factories[className] = std::move(factory);
}

void FormLoader::RegisterProperties(PropertySetter setter)
{
    // Newer setters are asked first, so a derived class's properties win.
    auto& setters = TheRegistry().setters;
    setters.insert(setters.begin(), std::move(setter));
}

void FormLoader::Load(std::string_view description)
{
    const FormNode root = ReadFormDescription(description);
    form_.SetName(root.name);
    // All components first, so that properties may name any of them.
    for (const FormNode& child : root.children)
        Create(child, &form_);
    Apply(root, form_);
    // References to other components last, when everything is in place.
    for (const auto& [component, property] : deferred_)
        ApplyProperty(*component, *property);
    deferred_.clear();
}

void FormLoader::LoadResource(const char* resourceName) { Load(FormResourceText(resourceName)); }

void FormLoader::Create(const FormNode& node, TComponent* container)
{
    const auto& factories = TheRegistry().factories;
    const auto factory = factories.find(node.className);
    if (factory == factories.end())
        throw EFormError(node.line, "unknown class " + node.className);
    if (form_.FindComponent(node.name) != nullptr)
        throw EFormError(node.line, "a second component " + node.name);
    TComponent* component = factory->second(&form_);
    component->SetName(node.name);
    auto* control = dynamic_cast<TWinControl*>(component);
    auto* parent = dynamic_cast<TWinControl*>(container);
    if (control != nullptr && parent != nullptr)
        control->SetParent(parent);
    if (auto* item = dynamic_cast<TMenuItem*>(component)) {
        if (auto* menu = dynamic_cast<TMainMenu*>(container))
            menu->Items().Add(item);
        else if (auto* parentItem = dynamic_cast<TMenuItem*>(container))
            parentItem->Add(item);
        else
            throw EFormError(node.line, "a menu item belongs in a menu");
    }
    for (const FormNode& child : node.children)
        Create(child, component);
}

void FormLoader::Apply(const FormNode& node, TComponent& component)
{
    for (const FormProperty& property : node.properties) {
        if (property.name == "Menu" || property.name == "ActiveControl")
            deferred_.emplace_back(&component, &property);
        else
            ApplyProperty(component, property);
    }
    for (const FormNode& child : node.children)
        Apply(child, *form_.FindComponent(child.name));
}

void FormLoader::ApplyProperty(TComponent& component, const FormProperty& property)
{
    for (const PropertySetter& setter : TheRegistry().setters)
        if (setter(component, property, *this))
            return;
    throw EFormError(property.line, "unknown property " + property.name + " of " + component.ClassName());
}

TComponent& FormLoader::ComponentNamed(const FormProperty& property, std::size_t index) const
{
    const std::string& name = IdentifierValue(property, index);
    TComponent* component = form_.FindComponent(name);
    if (component == nullptr)
        throw EFormError(property.line, "no component " + name);
    return *component;
}

std::string FormResourceText(const char* resourceName)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, resourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (resource == nullptr)
        throw EInvalidOperation(Format("Resource %s not found", resourceName));
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        throw EWin32Error::FromLastError();
    return std::string(static_cast<const char*>(data), SizeofResource(module, resource));
}

}  // namespace winlib
