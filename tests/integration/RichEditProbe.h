// A rich text control that records what it passes to the rich edit window,
// on a form of its own, for the tests of the control, its attribute objects
// and its line list.
#pragma once

#include "CustomRich2edit.h"
#include "winlib/Forms.h"
#include "winlib/Graphics.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace richtest {

// One message as the rich edit window received it, with a copy of the
// format record it pointed at.
struct SentMessage {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    CHARFORMAT2A charFormat{};
    PARAFORMAT paraFormat{};
};

// Everything that reaches the window procedure of the rich edit control goes
// through DefaultHandler: the messages the control sends and the ones it
// passes on. The probe records them while recording is on.
class ProbeRichEdit : public TRich2Edit {
public:
    using TRich2Edit::TRich2Edit;

    void StartRecording()
    {
        sent.clear();
        recording = true;
    }
    void StopRecording() { recording = false; }

    std::vector<SentMessage> SentOf(UINT msg) const
    {
        std::vector<SentMessage> result;
        for (const SentMessage& m : sent)
            if (m.msg == msg)
                result.push_back(m);
        return result;
    }
    bool Received(UINT msg) const { return !SentOf(msg).empty(); }

    void DefaultHandler(winlib::TMessage& message) override
    {
        if (message.Msg == WM_CREATE)
            ++windowsCreated;
        if (message.Msg == WM_PAINT && HandleAllocated()) {
            // What the rich edit control is about to paint.
            lastPaintRegion.Reset(CreateRectRgn(0, 0, 0, 0));
            GetUpdateRgn(Handle(), lastPaintRegion.Get(), FALSE);
            ++paints;
        }
        if (recording && message.Msg < WM_APP) {
            SentMessage m;
            m.msg = message.Msg;
            m.wParam = message.WParam;
            m.lParam = message.LParam;
            if ((message.Msg == EM_SETCHARFORMAT || message.Msg == EM_GETCHARFORMAT) && message.LParam != 0)
                std::memcpy(&m.charFormat, reinterpret_cast<const void*>(message.LParam), sizeof m.charFormat);
            if ((message.Msg == EM_SETPARAFORMAT || message.Msg == EM_GETPARAFORMAT) && message.LParam != 0)
                std::memcpy(&m.paraFormat, reinterpret_cast<const void*>(message.LParam), sizeof m.paraFormat);
            sent.push_back(m);
        }
        TRich2Edit::DefaultHandler(message);
    }

    std::vector<SentMessage> sent;
    bool recording = false;
    int windowsCreated = 0;
    int paints = 0;
    winlib::GdiObject<HRGN> lastPaintRegion;
};

// Pumps the thread's messages through the application, as its loop does.
inline void PumpMessages(winlib::TApplication& application)
{
    application.ProcessMessages();
}

// A form with one probe control on it, their windows made but not shown.
class RichEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        application.SetTitle("Rich Edit Test");
        form = new winlib::TForm(&application);
        form->SetName("RichForm");
        form->SetClientSize(420, 300);
        edit = new ProbeRichEdit(form);
        edit->SetName("RichEdit1");
        edit->SetParent(form);
        edit->SetBounds(10, 10, 300, 200);
        form->HandleNeeded();
    }

    // Only for tests that need it: under a bare X server, hiding a shown
    // window at the end costs Wine two seconds.
    void ShowForm()
    {
        form->Show();
        PumpMessages(application);
    }

    HWND Window() { return edit->Handle(); }

    // Replaces the whole content with plain text; CR or LF break paragraphs.
    void SetContent(const std::string& text)
    {
        SetWindowTextA(Window(), text.c_str());
    }

    void Select(int start, int end)
    {
        CHARRANGE range{start, end};
        SendMessageA(Window(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }

    CHARRANGE Selection()
    {
        CHARRANGE range{-1, -1};
        SendMessageA(Window(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }

    // The character format of the range start..end, read straight from the window.
    CHARFORMAT2A FormatOf(int start, int end)
    {
        Select(start, end);
        CHARFORMAT2A format{};
        format.cbSize = sizeof format;
        SendMessageA(Window(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }

    void SetFormat(int start, int end, CHARFORMAT2A format)
    {
        Select(start, end);
        format.cbSize = sizeof format;
        SendMessageA(Window(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }

    winlib::TApplication application;
    winlib::TForm* form = nullptr;
    ProbeRichEdit* edit = nullptr;
};

}  // namespace richtest
