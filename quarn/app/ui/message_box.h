#pragma once
// A message box of one of the prompt interface's styles, made but not shown: its buttons carry
// their answer id as object name and as the property "answer", the default button is the
// style's, Esc presses Cancel (or the only button), and the other buttons answer to their first
// letter, alone or with Alt.

#include <QMessageBox>
#include <QString>

QMessageBox* MakeMessageBox(QWidget* owner, const QString& text, const QString& caption, int type);
// The answer id of the button that closed `box`; Cancel (or the only button) when none did.
int MessageBoxAnswer(const QMessageBox& box, int type);
