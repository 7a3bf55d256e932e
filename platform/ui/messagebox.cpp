// Message boxes that never wait for anyone: each is recorded, printed to
// standard error as "caption: text", and answered from the script of answers
// or else with the default button of its style.
#include "platform/ui/messagebox.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string_view>

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace {

constexpr UINT kTypeMask = 0x0000000F;
constexpr UINT kDefaultMask = 0x00000F00;

// The buttons of each style, left to right; MB_DEFBUTTONn picks the n-th.
struct ButtonRow {
  int buttons[3];
  int count;
};
// clang-format off
constexpr ButtonRow kButtons[] = {
    {{IDOK},                             1},  // MB_OK
    {{IDOK, IDCANCEL},                   2},  // MB_OKCANCEL
    {{IDABORT, IDRETRY, IDIGNORE},       3},  // MB_ABORTRETRYIGNORE
    {{IDYES, IDNO, IDCANCEL},            3},  // MB_YESNOCANCEL
    {{IDYES, IDNO},                      2},  // MB_YESNO
    {{IDRETRY, IDCANCEL},                2},  // MB_RETRYCANCEL
    {{IDCANCEL, IDTRYAGAIN, IDCONTINUE}, 3},  // MB_CANCELTRYCONTINUE
};
// clang-format on

// Answer names the script may use besides the numbers.
struct AnswerName {
  std::string_view name;
  int answer;
};
constexpr AnswerName kAnswerNames[] = {
    {"ok", IDOK},       {"cancel", IDCANCEL},     {"abort", IDABORT},
    {"retry", IDRETRY}, {"ignore", IDIGNORE},     {"yes", IDYES},
    {"no", IDNO},       {"tryagain", IDTRYAGAIN}, {"continue", IDCONTINUE},
};

struct BoxState {
  std::mutex lock;
  std::vector<platform::test::MessageBoxRecord> records;
  std::deque<int> answers;
  bool quiet = false;
};

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (c != b[i]) return false;
  }
  return true;
}

// $QX_MESSAGEBOX_ANSWERS: "6,7,1" or "yes,no,ok"; a word neither a number nor
// an answer name is passed over.
void ReadScript(std::string_view script, std::deque<int>& answers) {
  while (!script.empty()) {
    std::size_t comma = script.find(',');
    std::string_view word = script.substr(0, comma);
    while (!word.empty() && word.front() == ' ') word.remove_prefix(1);
    while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
    int answer = 0;
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), answer);
    if (ec == std::errc() && ptr == word.data() + word.size()) {
      answers.push_back(answer);
    } else {
      for (const AnswerName& n : kAnswerNames) {
        if (SameWord(word, n.name)) answers.push_back(n.answer);
      }
    }
    script = comma == std::string_view::npos ? std::string_view() : script.substr(comma + 1);
  }
}

BoxState& State() {
  static auto* state = [] {
    auto* s = new BoxState;  // lives as long as the process
    if (const char* script = std::getenv("QX_MESSAGEBOX_ANSWERS")) ReadScript(script, s->answers);
    return s;
  }();
  return *state;
}

// The default button: MB_DEFBUTTONn names the n-th button; a number past the
// last button means the first, as on the platform.
int DefaultButton(UINT type) {
  const ButtonRow& row = kButtons[type & kTypeMask];
  auto index = static_cast<int>((type & kDefaultMask) >> 8);
  return index < row.count ? row.buttons[index] : row.buttons[0];
}

}  // namespace

QXAPI int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
  if ((type & kTypeMask) >= std::size(kButtons)) {
    SetLastError(ERROR_INVALID_MSGBOX_STYLE);
    return 0;
  }
  platform::test::MessageBoxRecord record{
      std::u16string(platform::WideView(text)),
      caption != nullptr ? std::u16string(platform::WideView(caption)) : std::u16string(u"Error"),
      type, 0};
  BoxState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.answers.empty()) {
    record.answer = s.answers.front();
    s.answers.pop_front();
  } else {
    record.answer = DefaultButton(type);
  }
  if (!s.quiet) {
    std::fprintf(stderr, "%s: %s\n", platform::WideToUtf8(record.caption).c_str(),
                 platform::WideToUtf8(record.text).c_str());
  }
  s.records.push_back(record);
  return record.answer;
}

namespace platform::test {

std::vector<MessageBoxRecord> MessageBoxes() {
  BoxState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.records;
}

void ClearMessageBoxes() {
  BoxState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.records.clear();
}

void QueueMessageBoxAnswers(const std::vector<int>& answers) {
  BoxState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.answers.insert(s.answers.end(), answers.begin(), answers.end());
}

void ReadMessageBoxAnswers() {
  BoxState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.answers.clear();
  if (const char* script = std::getenv("QX_MESSAGEBOX_ANSWERS")) ReadScript(script, s.answers);
}

void SetMessageBoxesQuiet(bool quiet) {
  BoxState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.quiet = quiet;
}

}  // namespace platform::test
