#include "quarn/app/ui/spin_button.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <string>

#include "shared/widgets/ui_text.h"

CSpinButton::CSpinButton(QLineEdit* buddy, IntRange range, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_range(range) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& [arrow, delta] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(18, 11);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, d = delta] { Step(d); });
        layout->addWidget(button);
    }
    setFixedWidth(18);
}

void CSpinButton::Step(int delta) {
    int value = 0;
    std::string ignored;
    constexpr IntRange kAnyInt{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    if (!ParseIntField(ToBytes(m_buddy->text()), kAnyInt, value, ignored)) value = m_range.min;
    value = std::clamp(value, m_range.min, m_range.max);
    value = std::clamp(value + delta, m_range.min, m_range.max);
    m_buddy->setText(QString::number(value));
}
