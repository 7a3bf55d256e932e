// Message boxes: recorded, printed, answered from a script or by the default button.
#include "platform/ui/messagebox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "platform/base/error.h"

namespace {

class MessageBox : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    unsetenv("QX_MESSAGEBOX_ANSWERS");
    platform::test::ReadMessageBoxAnswers();
    platform::test::ClearMessageBoxes();
    platform::test::SetMessageBoxesQuiet(true);
  }
};

TEST_F(MessageBox, DefaultButtonOfEachStyle) {
  struct Case {
    const char* name;
    UINT type;
    int answer;
  };
  const Case cases[] = {
      {"ok", MB_OK | MB_ICONERROR, IDOK},
      {"ok-cancel", MB_OKCANCEL, IDOK},
      {"ok-cancel, second default", MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {"yes-no", MB_YESNO | MB_ICONQUESTION, IDYES},
      {"yes-no, second default", MB_YESNO | MB_DEFBUTTON2, IDNO},
      {"yes-no, third default past the last button", MB_YESNO | MB_DEFBUTTON3, IDYES},
      {"yes-no-cancel, third default", MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
      {"abort-retry-ignore, second default", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
      {"retry-cancel", MB_RETRYCANCEL | MB_ICONWARNING | MB_TOPMOST, IDRETRY},
      {"cancel-try-continue, third default", MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MessageBoxW(nullptr, u"text", u"caption", c.type), c.answer);
  }
  SetLastError(0);
  EXPECT_EQ(MessageBoxW(nullptr, u"text", u"caption", 7), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MSGBOX_STYLE);
  EXPECT_EQ(platform::test::MessageBoxes().size(), std::size(cases));
}

TEST_F(MessageBox, ScriptedAnswersComeFirstAndInOrder) {
  platform::test::QueueMessageBoxAnswers({IDNO, IDCANCEL});
  EXPECT_EQ(MessageBoxW(nullptr, u"\u4E0A\u66F8\u304D\u3057\u307E\u3059\u304B", u"QX", MB_YESNO),
            IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"second", nullptr, MB_OKCANCEL | MB_ICONWARNING), IDCANCEL);
  EXPECT_EQ(MessageBoxW(nullptr, u"third", u"QX", MB_YESNO | MB_DEFBUTTON2), IDNO);

  std::vector<platform::test::MessageBoxRecord> boxes = platform::test::MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, u"\u4E0A\u66F8\u304D\u3057\u307E\u3059\u304B");
  EXPECT_EQ(boxes[0].caption, u"QX");
  EXPECT_EQ(boxes[0].type, MB_YESNO);
  EXPECT_EQ(boxes[0].answer, IDNO);
  EXPECT_EQ(boxes[1].caption, u"Error");  // a box without a caption
  EXPECT_EQ(boxes[1].type, MB_OKCANCEL | MB_ICONWARNING);
  EXPECT_EQ(boxes[2].answer, IDNO);
  platform::test::ClearMessageBoxes();
  EXPECT_TRUE(platform::test::MessageBoxes().empty());
}

TEST_F(MessageBox, AnswersFromTheEnvironment) {
  setenv("QX_MESSAGEBOX_ANSWERS", "7, yes,bogus,Cancel", 1);
  platform::test::ReadMessageBoxAnswers();
  EXPECT_EQ(MessageBoxW(nullptr, u"a", u"b", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"a", u"b", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, u"a", u"b", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxW(nullptr, u"a", u"b", MB_OKCANCEL), IDOK);
}

TEST_F(MessageBox, PrintsCaptionAndTextInUtf8UnlessQuiet) {
  platform::test::SetMessageBoxesQuiet(false);
  testing::internal::CaptureStderr();
  MessageBoxW(nullptr, u"\u7528\u7D19\u304C\u3042\u308A\u307E\u305B\u3093", u"QX48", MB_OK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "QX48: \xE7\x94\xA8\xE7\xB4\x99\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8A\xE3\x81\xBE\xE3\x81"
            "\x9B\xE3\x82\x93\n");
  platform::test::SetMessageBoxesQuiet(true);
  testing::internal::CaptureStderr();
  MessageBoxW(nullptr, u"quiet", u"QX48", MB_OK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(MessageBox, ThreadsShareOneScriptWithoutLosingAnswers) {
  constexpr int kThreads = 4;
  constexpr int kBoxes = 50;
  std::vector<int> script(kThreads * kBoxes);
  for (std::size_t i = 0; i < script.size(); ++i) script[i] = 100 + static_cast<int>(i);
  platform::test::QueueMessageBoxAnswers(script);
  std::vector<std::vector<int>> answers(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &answers] {
      for (int i = 0; i < kBoxes; ++i)
        answers[t].push_back(MessageBoxW(nullptr, u"x", u"y", MB_OK));
    });
  }
  for (std::thread& th : threads) th.join();
  std::vector<int> all;
  for (const std::vector<int>& a : answers) all.insert(all.end(), a.begin(), a.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, script);
  EXPECT_EQ(platform::test::MessageBoxes().size(), script.size());
}

}  // namespace
