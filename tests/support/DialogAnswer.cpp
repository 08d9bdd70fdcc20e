#include "support/DialogAnswer.h"

#include <exception>
#include <utility>

namespace automation {

DialogAnswer::DialogAnswer(std::function<void()> answer)
    : thread_([this, answer = std::move(answer)] {
          try {
              answer();
              return;
          } catch (const std::exception& error) {
              error_ = error.what();
          }
          while (!stop_) {
              for (HWND dialog : FindTopLevelWindows(MessageBoxQuery().InThisProcess())) {
                  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
              }
              Sleep(kPollIntervalMs);
          }
      })
{
}

DialogAnswer::DialogAnswer(std::function<void(HWND dialog)> answer, DWORD timeoutMs)
    : DialogAnswer(std::function<void()>([answer = std::move(answer), timeoutMs] {
          answer(WaitForWindow(MessageBoxQuery().InThisProcess(), timeoutMs));
      }))
{
}

DialogAnswer::~DialogAnswer()
{
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::string DialogAnswer::Error()
{
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    return error_;
}

DialogAnswer ReadAndCloseMessageBox(MessageBoxContent& content)
{
    return DialogAnswer([&content](HWND box) {
        content = ReadMessageBox(box);
        CloseDialog(box, IDOK);
    });
}

}  // namespace automation
