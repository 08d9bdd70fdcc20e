// Reads a form description: the components of a window, their properties
// and the events wired to the form's handlers, kept as text in the program's
// resources and read when the window is created.
//
//   # a comment
//   Form1 : TForm1
//       Caption    "Vexil"
//       Bounds     116 149 648 410
//       Panel1 : TPanel
//           Align      alTop
//           OnResize   Panel1Resize
//
// A line "Name : Class" declares a component; the lines indented below it
// are its properties and its own components. A property line is a name
// followed by values: identifiers, integers (decimal or 0x hexadecimal) and
// double-quoted strings (with \" \\ and \xHH escapes).
#pragma once

#include "winlib/Exceptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace winlib {

class EFormError : public Exception {
public:
    EFormError(int line, const std::string& problem);
    int Line() const noexcept { return line_; }
    const char* ClassName() const noexcept override { return "EFormError"; }

private:
    int line_;
};

struct FormToken {
    enum Kind { Identifier, Integer, String };
    Kind kind = Identifier;
    std::string text;      // the identifier or the string's content
    long long number = 0;  // the integer
};

struct FormProperty {
    std::string name;
    std::vector<FormToken> values;
    int line = 0;
};

struct FormNode {
    std::string name;
    std::string className;
    std::vector<FormProperty> properties;
    std::vector<FormNode> children;
    int line = 0;
};

// Parses a description holding exactly one top-level component.
FormNode ReadFormDescription(std::string_view text);

// Checked access to the values of a property.
long long IntegerValue(const FormProperty& property, std::size_t index = 0);
const std::string& StringValue(const FormProperty& property, std::size_t index = 0);
const std::string& IdentifierValue(const FormProperty& property, std::size_t index = 0);
void ExpectValueCount(const FormProperty& property, std::size_t count);

}  // namespace winlib
