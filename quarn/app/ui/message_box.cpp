#include "quarn/app/ui/message_box.h"

#include <QAbstractButton>
#include <QPushButton>

#include "quarn/services/prompt.h"
#include "shared/widgets/ui_text.h"

namespace {

QMessageBox::Icon IconOf(int type) {
    switch (type & 0xF0) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// The button Esc presses: Cancel when the box has one, else the only button, else none.
int EscapeAnswer(int type) {
    const std::vector<int> buttons = MessageBoxButtons(type);
    for (int button : buttons) {
        if (button == prompt_answer::kCancel) return button;
    }
    return buttons.size() == 1 ? buttons.front() : 0;
}

// The button's label with its access key, as desktop message boxes have them: the first letter,
// except OK and Cancel, which Enter and Esc press.
QString ButtonText(int answer) {
    const QString label = FromBytes(ButtonLabel(answer));
    if (answer == prompt_answer::kOk || answer == prompt_answer::kCancel) return label;
    return "&" + label;
}

}  // namespace

QMessageBox* MakeMessageBox(QWidget* owner, const QString& text, const QString& caption, int type) {
    auto* box = new QMessageBox(IconOf(type), caption, text, QMessageBox::NoButton, owner);
    box->setObjectName("messagebox");
    const int defaultAnswer = DefaultButton(type);
    const int escapeAnswer = EscapeAnswer(type);
    for (int answer : MessageBoxButtons(type)) {
        QPushButton* button = box->addButton(ButtonText(answer), QMessageBox::ActionRole);
        button->setObjectName(QString::number(answer));
        button->setProperty("answer", answer);
        if (answer == defaultAnswer) box->setDefaultButton(button);
        if (answer == escapeAnswer) box->setEscapeButton(button);
    }
    return box;
}

int MessageBoxAnswer(const QMessageBox& box, int type) {
    if (const QAbstractButton* clicked = box.clickedButton()) {
        const QVariant answer = clicked->property("answer");
        if (answer.isValid()) return answer.toInt();
    }
    const int escape = EscapeAnswer(type);
    return escape != 0 ? escape : MessageBoxButtons(type).front();
}
