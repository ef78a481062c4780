#include "quarn/app/ui/qt_prompter.h"

#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <algorithm>
#include <functional>

#include "quarn/app/ui/message_box.h"
#include "shared/widgets/ui_text.h"

struct CQtPrompter::Answer {
    // The headless answer, given when the program ends before the user answers.
    int fallbackButton = prompt_answer::kOk;
    std::optional<std::string> fallbackText;

    std::condition_variable given;
    bool done = false;  // guarded by the prompter's mutex
    int button = 0;
    std::optional<std::string> text;
    QPointer<QDialog> dialog;  // GUI thread only
};

CQtPrompter::CQtPrompter(QWidget* window) : m_window(window) {}

CQtPrompter::~CQtPrompter() {
    Close();
}

void CQtPrompter::Give(Answer& answer, int button, std::optional<std::string> text) {
    {
        std::lock_guard lock(m_mutex);
        if (answer.done) return;
        answer.done = true;
        answer.button = button;
        answer.text = std::move(text);
        std::erase_if(m_open, [&](const auto& open) { return open.get() == &answer; });
    }
    answer.given.notify_all();
}

void CQtPrompter::Ask(const std::shared_ptr<Answer>& answer,
                      std::function<QDialog*(const std::shared_ptr<Answer>&)> open) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        m_open.push_back(answer);
    }
    QMetaObject::invokeMethod(
        this,
        [this, answer, open = std::move(open)] {
            {
                std::lock_guard lock(m_mutex);
                if (answer->done) return;  // closed before the dialog could open
            }
            answer->dialog = open(answer);
            answer->dialog->setAttribute(Qt::WA_DeleteOnClose);
            answer->dialog->open();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    answer->given.wait(lock, [&] { return answer->done; });
}

void CQtPrompter::Close() {
    std::vector<std::shared_ptr<Answer>> open;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        open = m_open;
    }
    for (const auto& answer : open) {
        Give(*answer, answer->fallbackButton, answer->fallbackText);
        if (answer->dialog != nullptr) answer->dialog->close();
    }
}

int CQtPrompter::MessageBox(platform::MessageQueue*, std::string_view text,
                            std::string_view caption, int type) {
    auto answer = std::make_shared<Answer>();
    answer->fallbackButton = DefaultButton(type);
    answer->button = answer->fallbackButton;
    Ask(answer,
        [this, text = FromBytes(text), caption = FromBytes(caption),
         type](const std::shared_ptr<Answer>& asked) -> QDialog* {
            QMessageBox* box = MakeMessageBox(m_window, text, caption, type);
            connect(box, &QDialog::finished, this,
                    [this, box, type, asked] { Give(*asked, MessageBoxAnswer(*box, type), {}); });
            return box;
        });
    std::lock_guard lock(m_mutex);
    return answer->button;
}

std::optional<std::string> CQtPrompter::Input(platform::MessageQueue*, std::string_view prompt,
                                              std::string_view caption,
                                              std::string_view defaultText) {
    auto answer = std::make_shared<Answer>();
    answer->fallbackText = std::string(defaultText);
    answer->text = answer->fallbackText;
    Ask(answer,
        [this, prompt = FromBytes(prompt), caption = FromBytes(caption),
         defaultText = FromBytes(defaultText)](const std::shared_ptr<Answer>& asked) -> QDialog* {
            auto* dialog = new QInputDialog(m_window);
            dialog->setObjectName("input");
            dialog->setWindowTitle(caption);
            dialog->setLabelText(prompt);
            dialog->setTextValue(defaultText);
            connect(dialog, &QDialog::finished, this, [this, dialog, asked](int result) {
                if (result == QDialog::Accepted) {
                    Give(*asked, prompt_answer::kOk, ToBytes(dialog->textValue()));
                } else {
                    Give(*asked, prompt_answer::kCancel, std::nullopt);
                }
            });
            return dialog;
        });
    std::lock_guard lock(m_mutex);
    return answer->text;
}
