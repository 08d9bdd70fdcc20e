#include "winlib/Help.h"

#include "winlib/Exceptions.h"
#include "winlib/RuntimeFiles.h"
#include "winlib/Strings.h"

#include <cctype>
#include <cstdlib>

namespace winlib {

namespace {

constexpr std::string_view TopicMarker = "#topic";

THelpWindow* instance = nullptr;

// "#topic 12 Title": true with context and title filled in.
bool ParseTopicLine(const std::string& line, int& context, std::string& title)
{
    if (line.compare(0, TopicMarker.size(), TopicMarker) != 0)
        return false;
    size_t pos = TopicMarker.size();
    if (pos >= line.size() || (line[pos] != ' ' && line[pos] != '\t'))
        return false;
    const char* start = line.c_str() + pos;
    char* end = nullptr;
    const long number = std::strtol(start, &end, 10);
    if (end == start || number < 0 || number > 0x7FFFFFFF)
        return false;
    if (*end != '\0' && *end != ' ' && *end != '\t')
        return false;
    context = static_cast<int>(number);
    pos = static_cast<size_t>(end - line.c_str());
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    title = line.substr(pos);
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t'))
        title.pop_back();
    return true;
}

bool HasFolder(const std::string& name) { return name.find_first_of("\\/:") != std::string::npos; }

std::string ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string folder = ProgramFileName(std::wstring_view(path, length));
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool ReadFile(const std::string& path, std::string& text)
{
    try {
        ByteFile file;
        file.Reset(path);
        text = file.ReadRest();
        file.Close();
        return true;
    } catch (const EInOutError&) {
        return false;
    }
}

// A file of our help text: the same name once belonged to the old help
// engine's binary format (it starts 3F 5F 03 00), which a user may still
// have beside the program. Text never holds a zero byte; a help text has a
// topic.
bool ReadHelpText(const std::string& path, std::string& text)
{
    return ReadFile(path, text) && text.find('\0') == std::string::npos && !ParseHelpText(text).empty();
}

bool ReadResource(const std::string& name, std::string& text)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name.c_str(), RT_RCDATA);
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        return false;
    text.assign(static_cast<const char*>(data), SizeofResource(module, resource));
    return true;
}

std::string BaseName(const std::string& helpFile)
{
    const size_t slash = helpFile.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? helpFile : helpFile.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

void ReportMissing(HWND owner, const std::string& text)
{
    UINT flags = MB_OK | MB_ICONEXCLAMATION;
    if (owner == nullptr)
        flags |= MB_TASKMODAL;
    MessageBoxA(owner, text.c_str(), "Help", flags);
}

}  // namespace

std::vector<THelpTopic> ParseHelpText(std::string_view text)
{
    std::vector<THelpTopic> topics;
    std::vector<std::string> lines;
    auto finish = [&] {
        if (topics.empty())
            return;
        while (!lines.empty() && lines.back().empty())
            lines.pop_back();
        std::string& body = topics.back().Text;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0)
                body += "\r\n";
            body += lines[i];
        }
        lines.clear();
    };
    for (const std::string& line : SplitLines(text)) {
        THelpTopic topic;
        if (ParseTopicLine(line, topic.Context, topic.Title)) {
            finish();
            topics.push_back(std::move(topic));
        } else if (!topics.empty()) {
            lines.push_back(line);
        }
    }
    finish();
    return topics;
}

const THelpTopic* FindHelpTopic(const std::vector<THelpTopic>& topics, int context)
{
    for (const THelpTopic& topic : topics) {
        if (topic.Context == context)
            return &topic;
    }
    return nullptr;
}

std::string HelpResourceName(const std::string& helpFile)
{
    const size_t slash = helpFile.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? helpFile : helpFile.substr(slash + 1);
    for (char& c : name) {
        c = c == '.' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

bool LoadHelpText(const std::string& helpFile, std::string& text)
{
    if (helpFile.empty())
        return false;
    if (HasFolder(helpFile))
        return ReadHelpText(helpFile, text);
    return ReadHelpText(ProgramFolder() + helpFile, text) || ReadResource(HelpResourceName(helpFile), text);
}

void ShowHelp(HWND owner, const std::string& helpFile, int context)
{
    std::string content;
    if (!LoadHelpText(helpFile, content)) {
        ReportMissing(owner, "Cannot find the help file \"" + helpFile + "\".");
        return;
    }
    const std::vector<THelpTopic> topics = ParseHelpText(content);
    const THelpTopic* topic = FindHelpTopic(topics, context);
    if (topic == nullptr) {
        ReportMissing(owner, Format("The help file \"%s\" has no topic for context %d.", helpFile.c_str(), context));
        return;
    }
    std::string caption = topic->Title;
    if (caption.empty()) {
        caption = BaseName(helpFile);
        if (!caption.empty())
            caption[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(caption[0])));
        caption += " Help";
    }
    THelpWindow::Get().ShowTopic(caption, topic->Text);
}

void InstallHelpEngine(TApplication& application) { application.HelpEngine = &ShowHelp; }

// ---------------------------------------------------------------- THelpText

// The read-only text of the help window.
class THelpText : public TWinControl {
public:
    explicit THelpText(TComponent* owner) : TWinControl(owner)
    {
        SetColor(clWindow);
        SetTabStop(true);
    }
    const char* ClassName() const override { return "THelpText"; }

protected:
    void CreateParams(TCreateParams& params) override
    {
        TWinControl::CreateParams(params);
        MakeSuperclass(params, "EDIT");
        params.Style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
        params.ExStyle |= WS_EX_CLIENTEDGE;
    }
};

// -------------------------------------------------------------- THelpWindow

THelpWindow::THelpWindow(TComponent* owner) : TForm(owner), text_(new THelpText(this))
{
    SetName("HelpWindow");
    Position = poScreenCenter;
    SetBounds(0, 0, 480, 360);
    text_->SetParent(this);
    text_->SetAlign(alClient);
    ActiveControl = text_;
    // Escape closes the window, as in a dialog.
    OnMenuCommand = [this](WORD command) {
        if (command != IDCANCEL)
            return false;
        Close();
        return true;
    };
    instance = this;
}

THelpWindow::~THelpWindow()
{
    if (instance == this)
        instance = nullptr;
}

THelpWindow* THelpWindow::Instance() { return instance; }

THelpWindow& THelpWindow::Get()
{
    if (instance == nullptr)
        new THelpWindow(Application);
    return *instance;
}

void THelpWindow::ShowTopic(const std::string& caption, const std::string& text)
{
    SetCaption(caption);
    text_->SetText(text);
    Show();
    if (text_->HandleAllocated())
        SendMessageA(text_->Handle(), EM_SETSEL, 0, 0);
}

std::string THelpWindow::TopicText() const { return text_->Text(); }

HWND THelpWindow::TextHandle() { return text_->Handle(); }

}  // namespace winlib
