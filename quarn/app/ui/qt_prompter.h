#pragma once
// The prompter of the windowed program: a script's message box and input line open as real
// dialogs on the GUI thread, while the asking task thread waits for the answer. The question
// travels as a queued call and the dialog is opened without a nested event loop; the task thread
// only waits on the answer, never runs an event loop.
//
// Construct and destroy on the GUI thread; questions come from any other thread. After Close()
// (the program is ending) every open and every later question gets the headless answer, so a
// waiting task thread can always end. Must outlive every question asked through it.

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "quarn/services/prompt.h"

class QDialog;
class QWidget;

class CQtPrompter : public QObject, public CPrompter {
    Q_OBJECT
public:
    // Dialogs are owned by `window` (may be null), which must live while the prompter does.
    explicit CQtPrompter(QWidget* window);
    ~CQtPrompter() override;

    int MessageBox(platform::MessageQueue* owner, std::string_view text, std::string_view caption,
                   int type) override;
    std::optional<std::string> Input(platform::MessageQueue* owner, std::string_view prompt,
                                     std::string_view caption,
                                     std::string_view defaultText) override;

    // GUI thread: answers every open question with its headless answer and closes its dialog.
    void Close();

private:
    struct Answer;

    // Runs `open` on the GUI thread and waits until `answer` is given.
    void Ask(const std::shared_ptr<Answer>& answer,
             std::function<QDialog*(const std::shared_ptr<Answer>&)> open);
    void Give(Answer& answer, int button, std::optional<std::string> text);

    QPointer<QWidget> m_window;
    std::mutex m_mutex;
    bool m_closed = false;
    std::vector<std::shared_ptr<Answer>> m_open;
};
