// The message record handed to handlers, and the library's own message numbers.
#pragma once

#include <windows.h>

namespace winlib {

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// Notifications the library sends to a control itself (Perform, never posted).
constexpr UINT CM_BASE = WM_APP + 0x2000;
constexpr UINT CM_COLORCHANGED = CM_BASE + 1;
constexpr UINT CM_FONTCHANGED = CM_BASE + 2;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 3;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 4;
// Posted to a form to destroy it once the handler that closed it has returned.
constexpr UINT CM_RELEASE = CM_BASE + 5;
// Sent to the top-level control when one of its controls has taken the
// focus; lParam is that control's window.
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 6;

// Parent notifications reflected to the child control that sent them.
constexpr UINT CN_BASE = WM_APP + 0x2400;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;

}  // namespace winlib
