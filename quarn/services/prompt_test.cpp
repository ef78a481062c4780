#include "quarn/services/prompt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"

namespace {

using namespace prompt_answer;

TEST(PromptTest, ButtonsAndDefaultOfEachStyle) {
    struct Case {
        const char* name;
        int type;
        std::vector<int> buttons;
        int defaultButton;
    };
    const std::vector<Case> cases = {
        {"mbok", 0, {kOk}, kOk},
        {"okcancel", 1, {kOk, kCancel}, kOk},
        {"abort retry ignore", 2, {kAbort, kRetry, kIgnore}, kAbort},
        {"yesnocancel", 3, {kYes, kNo, kCancel}, kYes},
        {"yesno", 4, {kYes, kNo}, kYes},
        {"retry cancel", 5, {kRetry, kCancel}, kRetry},
        {"cancel try continue", 6, {kCancel, kTryAgain, kContinue}, kCancel},
        {"yesno+iconquestion", 4 + 32, {kYes, kNo}, kYes},
        {"okcancel+iconerror", 1 + 16, {kOk, kCancel}, kOk},
        {"iconinformation alone", 64, {kOk}, kOk},
        {"second button default", 4 + 256, {kYes, kNo}, kNo},
        {"third button default", 3 + 512, {kYes, kNo, kCancel}, kCancel},
        {"default past the last button", 4 + 512, {kYes, kNo}, kYes},
        {"unknown set", 9, {kOk}, kOk},
        {"negative", -1, {kOk}, kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MessageBoxButtons(c.type), c.buttons);
        EXPECT_EQ(DefaultButton(c.type), c.defaultButton);
    }
}

TEST(PromptTest, ButtonLabels) {
    EXPECT_EQ(ButtonLabel(kOk), "OK");
    EXPECT_EQ(ButtonLabel(kCancel), "Cancel");
    EXPECT_EQ(ButtonLabel(kYes), "Yes");
    EXPECT_EQ(ButtonLabel(kNo), "No");
    EXPECT_EQ(ButtonLabel(kTryAgain), "Try Again");
    EXPECT_EQ(ButtonLabel(0), "");
}

// The status line the headless answerer told `window`, taken out of the mailbox.
std::string ToldLine(platform::MessageQueue& window) {
    platform::PostedMessage message;
    if (!window.TryTake(message)) return "<nothing posted>";
    EXPECT_EQ(message.message, WM_FRAMENOTIFY);
    EXPECT_EQ(message.wParam, FRAME_STATUS_TEXT);
    return g_szStatusMailbox.Take();
}

TEST(PromptTest, HeadlessAnswersWithTheDefaultsAndSaysSo) {
    platform::MessageQueue window;
    CHeadlessPrompter headless;

    EXPECT_EQ(headless.MessageBox(&window, "Go on?", "Quarn", 4 + 32), kYes);
    EXPECT_EQ(ToldLine(window), "Message box \"Go on?\" answered Yes without a display.");
    EXPECT_EQ(headless.MessageBox(&window, "Sure?", "Quarn", 1 + 256), kCancel);
    EXPECT_EQ(ToldLine(window), "Message box \"Sure?\" answered Cancel without a display.");

    EXPECT_EQ(headless.Input(&window, "Name:", "Quarn", "anon"), "anon");
    EXPECT_EQ(ToldLine(window), "Input \"Name:\" answered \"anon\" without a display.");
    EXPECT_EQ(headless.Input(&window, "", "Quarn", ""), "");
    EXPECT_EQ(ToldLine(window), "Input \"\" answered \"\" without a display.");

    // Without an owner there is no one to tell.
    EXPECT_EQ(headless.MessageBox(nullptr, "x", "Quarn", 0), kOk);
    EXPECT_TRUE(g_szStatusMailbox.IsEmpty());
}

TEST(PromptTest, ScriptedAnswersInOrderThenDefaultsAndRecordsQuestions) {
    platform::MessageQueue window;
    CScriptedPrompter scripted;
    scripted.QueueButton(kNo);
    scripted.QueueInput("typed");
    scripted.QueueInput(std::nullopt);

    EXPECT_EQ(scripted.MessageBox(&window, "Q1", "Title", 4), kNo);
    EXPECT_EQ(scripted.MessageBox(&window, "Q2", "Title", 4), kYes);
    EXPECT_EQ(scripted.Input(nullptr, "P1", "Title", ""), "typed");
    EXPECT_EQ(scripted.Input(nullptr, "P2", "Title", ""), std::nullopt);
    EXPECT_EQ(scripted.Input(nullptr, "P3", "Title", "dflt"), "dflt");

    const auto& questions = scripted.Questions();
    ASSERT_EQ(questions.size(), 5u);
    EXPECT_FALSE(questions[0].input);
    EXPECT_EQ(questions[0].owner, &window);
    EXPECT_EQ(questions[0].text, "Q1");
    EXPECT_EQ(questions[0].caption, "Title");
    EXPECT_EQ(questions[0].type, 4);
    EXPECT_TRUE(questions[4].input);
    EXPECT_EQ(questions[4].text, "P3");
    EXPECT_EQ(questions[4].defaultText, "dflt");
    // The scripted answerer never posts.
    platform::PostedMessage message;
    EXPECT_FALSE(window.TryTake(message));
}

TEST(PromptTest, InstalledPrompterIsCurrentUntilRemoved) {
    CPrompter& fallback = CurrentPrompter();
    EXPECT_NE(dynamic_cast<CHeadlessPrompter*>(&fallback), nullptr);
    CScriptedPrompter outer;
    CScriptedPrompter inner;
    {
        const CScopedPrompter installOuter(outer);
        EXPECT_EQ(&CurrentPrompter(), &outer);
        {
            const CScopedPrompter installInner(inner);
            EXPECT_EQ(&CurrentPrompter(), &inner);
        }
        EXPECT_EQ(&CurrentPrompter(), &outer);
    }
    EXPECT_EQ(&CurrentPrompter(), &fallback);
}

}  // namespace
