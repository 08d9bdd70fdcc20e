#include "winlib/FormReader.h"

#include "winlib/Strings.h"

#include <cctype>

namespace winlib {

EFormError::EFormError(int line, const std::string& problem)
    : Exception(Format("Form description, line %d: %s", line, problem.c_str())), line_(line)
{
}

namespace {

bool IsIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

// Splits one line (without its indentation) into tokens; ':' comes back as
// an identifier token of its own so that declarations can be recognised.
std::vector<FormToken> Tokenize(std::string_view line, int lineNumber, bool& hasColon)
{
    std::vector<FormToken> tokens;
    hasColon = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == ':') {
            if (hasColon)
                throw EFormError(lineNumber, "a second ':'");
            hasColon = true;
            tokens.push_back({FormToken::Identifier, ":", 0});
            ++i;
        } else if (c == '"') {
            FormToken token{FormToken::String, {}, 0};
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\') {
                    if (i >= line.size())
                        break;
                    const char e = line[i++];
                    if (e == 'x') {
                        const int high = i < line.size() ? HexDigitValue(line[i]) : -1;
                        const int low = i + 1 < line.size() ? HexDigitValue(line[i + 1]) : -1;
                        if (high < 0 || low < 0)
                            throw EFormError(lineNumber, "\\x needs two hexadecimal digits");
                        d = static_cast<char>(high * 16 + low);
                        i += 2;
                    } else if (e == '"' || e == '\\') {
                        d = e;
                    } else {
                        throw EFormError(lineNumber, Format("unknown escape \\%c", e));
                    }
                }
                token.text.push_back(d);
            }
            if (!closed)
                throw EFormError(lineNumber, "unterminated string");
            tokens.push_back(std::move(token));
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t start = i;
            bool negative = false;
            if (c == '-') {
                negative = true;
                ++i;
            }
            long long value = 0;
            std::size_t digits = 0;
            if (i + 1 < line.size() && line[i] == '0' && (line[i + 1] == 'x' || line[i + 1] == 'X')) {
                i += 2;
                while (i < line.size() && HexDigitValue(line[i]) >= 0) {
                    value = value * 16 + HexDigitValue(line[i++]);
                    ++digits;
                }
            } else {
                while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) {
                    value = value * 10 + (line[i++] - '0');
                    ++digits;
                }
            }
            if (digits == 0 || digits > 15 || (i < line.size() && IsIdentifierChar(line[i])))
                throw EFormError(lineNumber, "bad number '" + std::string(line.substr(start, i - start + 1)) + "'");
            tokens.push_back({FormToken::Integer, std::string(line.substr(start, i - start)), negative ? -value : value});
        } else if (IsIdentifierStart(c)) {
            std::size_t start = i;
            while (i < line.size() && IsIdentifierChar(line[i]))
                ++i;
            tokens.push_back({FormToken::Identifier, std::string(line.substr(start, i - start)), 0});
        } else {
            throw EFormError(lineNumber, Format("unexpected character '%c'", c));
        }
    }
    return tokens;
}

struct Line {
    int number;
    std::size_t indent;
    std::vector<FormToken> tokens;
    bool declaration;
};

std::vector<Line> SplitDescriptionLines(std::string_view text)
{
    std::vector<Line> lines;
    int number = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        ++number;
        pos = end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        std::size_t indent = 0;
        while (indent < raw.size() && raw[indent] == ' ')
            ++indent;
        if (indent < raw.size() && raw[indent] == '\t')
            throw EFormError(number, "indent with spaces, not tabs");
        bool hasColon = false;
        std::vector<FormToken> tokens = Tokenize(raw.substr(indent), number, hasColon);
        if (tokens.empty())
            continue;
        if (hasColon) {
            if (tokens.size() != 3 || tokens[0].kind != FormToken::Identifier || tokens[1].text != ":" ||
                tokens[2].kind != FormToken::Identifier)
                throw EFormError(number, "a component is declared as 'Name : Class'");
        } else if (tokens[0].kind != FormToken::Identifier) {
            throw EFormError(number, "a property line starts with the property's name");
        }
        lines.push_back({number, indent, std::move(tokens), hasColon});
        if (end == text.size())
            break;
    }
    return lines;
}

// Reads the body of the component declared at lines[index - 1], whose own
// indentation is ownIndent.
void ReadBody(const std::vector<Line>& lines, std::size_t& index, std::size_t ownIndent, FormNode& node)
{
    std::size_t bodyIndent = 0;
    while (index < lines.size() && lines[index].indent > ownIndent) {
        const Line& line = lines[index];
        if (bodyIndent == 0)
            bodyIndent = line.indent;
        if (line.indent != bodyIndent)
            throw EFormError(line.number, "inconsistent indentation");
        ++index;
        if (line.declaration) {
            FormNode child;
            child.name = line.tokens[0].text;
            child.className = line.tokens[2].text;
            child.line = line.number;
            ReadBody(lines, index, line.indent, child);
            node.children.push_back(std::move(child));
        } else {
            FormProperty property;
            property.name = line.tokens[0].text;
            property.values.assign(line.tokens.begin() + 1, line.tokens.end());
            property.line = line.number;
            node.properties.push_back(std::move(property));
        }
    }
}

const FormToken& ValueAt(const FormProperty& property, std::size_t index, FormToken::Kind kind, const char* what)
{
    if (index >= property.values.size() || property.values[index].kind != kind)
        throw EFormError(property.line, Format("%s expects %s as value %u", property.name.c_str(), what,
                                               static_cast<unsigned>(index + 1)));
    return property.values[index];
}

}  // namespace

FormNode ReadFormDescription(std::string_view text)
{
    const std::vector<Line> lines = SplitDescriptionLines(text);
    if (lines.empty())
        throw EFormError(1, "no component");
    if (!lines[0].declaration || lines[0].indent != 0)
        throw EFormError(lines[0].number, "the description starts with 'Name : Class'");
    FormNode root;
    root.name = lines[0].tokens[0].text;
    root.className = lines[0].tokens[2].text;
    root.line = lines[0].number;
    std::size_t index = 1;
    ReadBody(lines, index, 0, root);
    if (index < lines.size())
        throw EFormError(lines[index].number, "only one top-level component");
    return root;
}

long long IntegerValue(const FormProperty& property, std::size_t index)
{
    return ValueAt(property, index, FormToken::Integer, "an integer").number;
}

const std::string& StringValue(const FormProperty& property, std::size_t index)
{
    return ValueAt(property, index, FormToken::String, "a string").text;
}

const std::string& IdentifierValue(const FormProperty& property, std::size_t index)
{
    return ValueAt(property, index, FormToken::Identifier, "a name").text;
}

void ExpectValueCount(const FormProperty& property, std::size_t count)
{
    if (property.values.size() != count)
        throw EFormError(property.line, Format("%s takes %u value(s)", property.name.c_str(), static_cast<unsigned>(count)));
}

}  // namespace winlib
