#pragma once
// Up and down arrows attached to a numeric edit: each press steps the edit's number by one
// within the arrows' own range, which may differ from the range the edit accepts. A number
// beyond that range steps from its nearer end, a text that is no number from its low end.

#include <QWidget>

#include "quarn/app/numeric_field.h"

class QLineEdit;

class CSpinButton : public QWidget {
    Q_OBJECT
public:
    CSpinButton(QLineEdit* buddy, IntRange range, QWidget* parent);
    // Presses the up (`delta` 1) or down (-1) arrow.
    void Step(int delta);

private:
    QLineEdit* m_buddy;
    IntRange m_range;
};
