#include "shared/widgets/toolbar_ex.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QToolButton>

CToolBarEx::CToolBarEx(const QString& title, const QString& objectName, QWidget* parent)
    : QToolBar(title, parent) {
    setObjectName(objectName);
}

void CToolBarEx::AddButton(QAction* action) {
    addAction(action);
    ApplyFlat(action);
}

void CToolBarEx::ApplyFlat(QAction* action) {
    if (auto* button = qobject_cast<QToolButton*>(widgetForAction(action))) {
        button->setObjectName(action->objectName());
        button->setAutoRaise(m_bFlat);
    }
}

void CToolBarEx::SetFlat(bool flat) {
    m_bFlat = flat;
    for (QAction* action : actions())
        ApplyFlat(action);
}

int CToolBarEx::InsertControl(QWidget* control, int id, int width, int height) {
    const QString name = QString::number(id);
    QAction* button = nullptr;
    for (QAction* action : actions()) {
        if (action->objectName() == name) button = action;
    }
    if (button == nullptr) {
        delete control;
        return 0;
    }
    control->setObjectName(name);
    control->setFixedWidth(width - 2);
    control->setFont(font());
    if (auto* list = qobject_cast<QComboBox*>(control)) {
        const int row = list->fontMetrics().height() + 2;
        list->setMaxVisibleItems(std::max(1, height / row));
    }
    insertWidget(button, control);
    removeAction(button);
    return 1;
}
