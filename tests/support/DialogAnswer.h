// Answers a dialog of this process from a second thread while the test
// thread shows it, as a user would.
#pragma once

#include "support/Automation.h"

#include <functional>
#include <future>
#include <string>

namespace automation {

// Runs answer on a second thread against the first dialog box of this
// process, while the test thread shows it. When answering fails, the dialog
// is cancelled so that the test thread is not left waiting.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(HWND dialog)> answer)
        : result_(std::async(std::launch::async, [answer] {
              HWND dialog = nullptr;
              try {
                  dialog = automation::WaitForWindow(
                      automation::WindowQuery().WithClass(automation::kDialogClass).InThisProcess());
                  answer(dialog);
                  return std::string();
              } catch (const std::exception& error) {
                  if (dialog != nullptr && IsWindow(dialog))
                      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                  return std::string(error.what());
              }
          }))
    {
    }
    // The error of the answering thread, empty when all went well.
    std::string Error() { return result_.get(); }

private:
    std::future<std::string> result_;
};

}  // namespace automation
