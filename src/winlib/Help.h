// A small help facility in place of the system's help engine: it finds the
// topic of a context number in a help text and shows it in a help window.
//
// A help file is plain 8-bit text. Each topic starts with a line
//     #topic <context number> <title>
// and its text is the lines up to the next such line; the title is optional.
// Lines before the first topic are ignored.
//
// A bare help file name ("vexil.hlp") is looked for beside the program, and
// then as an RCDATA resource of the program named after the file with its
// dot as an underscore ("VEXIL_HLP"); a name with a folder is that file only.
// A file is taken only when it is help text of this kind, not, say, a file
// of the old binary help format left under the same name.
#pragma once

#include "winlib/Forms.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace winlib {

struct THelpTopic {
    int Context = 0;
    std::string Title;
    // Lines joined with CR LF, without trailing empty lines.
    std::string Text;
};

std::vector<THelpTopic> ParseHelpText(std::string_view text);
// The topic of a context, or null.
const THelpTopic* FindHelpTopic(const std::vector<THelpTopic>& topics, int context);
// The resource name under which the program may carry a help file.
std::string HelpResourceName(const std::string& helpFile);
// Reads the help file's text; false when neither a file of help text nor
// the resource exists.
bool LoadHelpText(const std::string& helpFile, std::string& text);

// Shows the topic in the help window. A missing file or topic is reported
// in a message box over owner, as a help engine does, not raised.
void ShowHelp(HWND owner, const std::string& helpFile, int context);
// Makes ShowHelp the application's help engine.
void InstallHelpEngine(TApplication& application);

class THelpText;

// The one help window: resizable, closable, re-used for every topic.
class THelpWindow : public TForm {
public:
    explicit THelpWindow(TComponent* owner);
    ~THelpWindow() override;
    const char* ClassName() const override { return "THelpWindow"; }

    void ShowTopic(const std::string& caption, const std::string& text);
    std::string TopicText() const;
    HWND TextHandle();

    // The window if one exists, else null.
    static THelpWindow* Instance();
    // Creates the window when there is none yet.
    static THelpWindow& Get();

private:
    THelpText* text_;
};

}  // namespace winlib
