#pragma once
// The questions scripts ask the user: a message box with buttons and an input line. The task
// thread asks through the process-wide current prompter and waits for the answer; the program
// installs the prompter that can reach the user (the main window's, or the headless answerer of
// a run without a display), and tests install a scripted one.
//
// A prompter is called on the task thread only, one question at a time; installing one is
// thread-safe. An installed prompter must outlive every question asked through it.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_queue.h"

// Answers of a message box: the id of the button pressed.
namespace prompt_answer {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kAbort = 3;
constexpr int kRetry = 4;
constexpr int kIgnore = 5;
constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kTryAgain = 10;
constexpr int kContinue = 11;
}  // namespace prompt_answer

// The buttons a message box of style `type` shows, in order: the low four bits choose the set
// (0 OK, 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel, 6 Cancel
// Try-again Continue; any other value OK alone). The icon bits (16 error, 32 question, 48
// exclamation, 64 information) do not change them.
std::vector<int> MessageBoxButtons(int type);
// The button that Enter presses: bits 8-11 of `type` count from the first button (256 the
// second, 512 the third); a count past the last button means the first.
int DefaultButton(int type);
// The label of a button id ("OK", "Yes", ...); "" for an id that is no button.
std::string_view ButtonLabel(int button);

class CPrompter {
public:
    virtual ~CPrompter() = default;

    // Shows `text` with `caption` in a modal message box of style `type` owned by `owner` (the
    // main window's queue; may be null) and returns the id of the button pressed.
    virtual int MessageBox(platform::MessageQueue* owner, std::string_view text,
                           std::string_view caption, int type) = 0;
    // Asks for one line under `prompt`, the edit line starting with `defaultText`. The text
    // entered when the user confirms; nullopt after Cancel.
    virtual std::optional<std::string> Input(platform::MessageQueue* owner, std::string_view prompt,
                                             std::string_view caption,
                                             std::string_view defaultText) = 0;
};

// The prompter questions go to: the installed one, or the headless answerer while none is
// installed, so a question never waits for a window that does not exist.
CPrompter& CurrentPrompter();
// Makes `prompter` (not owned) the current one and returns the one it replaces (null for the
// default); null goes back to the default.
CPrompter* InstallPrompter(CPrompter* prompter);

// Installs a prompter for its own lifetime and puts the previous one back.
class CScopedPrompter {
public:
    explicit CScopedPrompter(CPrompter& prompter) : m_pPrevious(InstallPrompter(&prompter)) {}
    ~CScopedPrompter() { InstallPrompter(m_pPrevious); }
    CScopedPrompter(const CScopedPrompter&) = delete;
    CScopedPrompter& operator=(const CScopedPrompter&) = delete;

private:
    CPrompter* m_pPrevious;
};

// Answers as if the user pressed Enter at once: the default button, the default text. Each
// answer is told as a status line to the owner (none without an owner), so a run without a
// display shows what was asked and what was answered:
//   Message box "TEXT" answered LABEL without a display.
//   Input "PROMPT" answered "TEXT" without a display.
class CHeadlessPrompter : public CPrompter {
public:
    int MessageBox(platform::MessageQueue* owner, std::string_view text, std::string_view caption,
                   int type) override;
    std::optional<std::string> Input(platform::MessageQueue* owner, std::string_view prompt,
                                     std::string_view caption,
                                     std::string_view defaultText) override;
};

// For tests: answers from queues the test fills and records every question. A question whose
// queue is empty gets the headless answer (without a status line).
class CScriptedPrompter : public CPrompter {
public:
    struct Question {
        bool input = false;  // an input line, else a message box
        platform::MessageQueue* owner = nullptr;
        std::string text;  // the message, or the input prompt
        std::string caption;
        int type = 0;             // message box style
        std::string defaultText;  // input only
    };

    void QueueButton(int button) { m_buttons.push_back(button); }
    // nullopt answers Cancel.
    void QueueInput(std::optional<std::string> answer) { m_inputs.push_back(std::move(answer)); }
    const std::vector<Question>& Questions() const { return m_questions; }

    int MessageBox(platform::MessageQueue* owner, std::string_view text, std::string_view caption,
                   int type) override;
    std::optional<std::string> Input(platform::MessageQueue* owner, std::string_view prompt,
                                     std::string_view caption,
                                     std::string_view defaultText) override;

private:
    std::deque<int> m_buttons;
    std::deque<std::optional<std::string>> m_inputs;
    std::vector<Question> m_questions;
};
