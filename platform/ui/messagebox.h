// Message boxes. Nothing blocks: each box is recorded (text, caption, style),
// printed to standard error, and answered from a script that tests set (or
// $QX_MESSAGEBOX_ANSWERS, a comma-separated list of answer numbers or names);
// without a scripted answer a box returns its default button.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFBUTTON4 = 0x00000300;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_SETFOREGROUND = 0x00010000;
constexpr UINT MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;
constexpr DWORD ERROR_INVALID_MSGBOX_STYLE = 1158;

// Returns the next scripted answer, else the default button (MB_DEFBUTTON1 to
// 4 among the style's buttons, the first when the style has fewer); 0 with
// ERROR_INVALID_MSGBOX_STYLE for an unknown button style. A null caption is
// shown as "Error".
QXAPI int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace platform::test {
struct MessageBoxRecord {
  std::u16string text;
  std::u16string caption;
  UINT type;
  int answer;
};
// Boxes shown so far in this process, oldest first.
std::vector<MessageBoxRecord> MessageBoxes();
void ClearMessageBoxes();
// Answers for the next boxes, in order, after those already queued.
void QueueMessageBoxAnswers(const std::vector<int>& answers);
// Drops the queued answers and reads $QX_MESSAGEBOX_ANSWERS again (numbers or
// the names "ok", "cancel", "yes", "no", ...).
void ReadMessageBoxAnswers();
// Stops printing boxes to standard error (tests that show many).
void SetMessageBoxesQuiet(bool quiet);
}  // namespace platform::test
