// Answers a dialog or message box of this process from a second thread while
// the test thread shows it, as a user would.
#pragma once

#include "support/Automation.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace automation {

// Runs an answer on a second thread while the test thread sits in a modal
// loop. When the answer fails (the dialog did not come in time, or answering
// it went wrong), every dialog and message box of this process is cancelled
// from then on until Error() is asked: the test thread is never left waiting
// in a dialog, even one that comes late, so the test fails by name and the
// run goes on.
class DialogAnswer {
public:
    // answer gets the first dialog box of this process, waited for generously.
    explicit DialogAnswer(std::function<void(HWND dialog)> answer, DWORD timeoutMs = kDialogTimeoutMs);
    // answer finds its windows itself.
    static DialogAnswer Running(std::function<void()> answer) { return DialogAnswer(std::move(answer)); }

    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    ~DialogAnswer();

    // The answering thread's error, empty when all went well. Call it once
    // the modal call has returned.
    std::string Error();

private:
    explicit DialogAnswer(std::function<void()> answer);

    std::atomic<bool> stop_{false};
    std::string error_;
    std::thread thread_;
};

// An answer that reads the next message box of this process into content
// and presses its OK button.
DialogAnswer ReadAndCloseMessageBox(MessageBoxContent& content);

}  // namespace automation
