#pragma once
// Answering the insert dialogs in window tests: the modal dialog found by its id as soon as it is
// up, and its controls, found by id, used as a user uses them. Tests only; GUI thread.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tolvane/tolvane_test_support.h"

using Answer = std::function<void(QDialog&)>;

// Runs `answer` on the modal dialog `id` as soon as it is shown, after a screenshot of it named
// `screenshot` followed by the id (none when `screenshot` is empty). The dialog must still exist
// when the answer returns (it ends with OK or Cancel, not destroyed).
inline void WhenModal(const QString& id, Answer answer,
                      const QString& screenshot = QStringLiteral("insert_dialog_")) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, id, answer, screenshot] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != id) return;
        poll->stop();
        poll->deleteLater();
        // The offscreen platform activates no window by itself; focus moves need an active one.
        QApplication::setActiveWindow(dialog);
        if (!screenshot.isEmpty()) SaveScreenshot(*dialog, screenshot + id);
        answer(*dialog);
        // An answer that failed midway leaves its dialog open: close it so the command returns.
        if (dialog->isVisible()) dialog->reject();
    });
    poll->start();
}

template <typename T>
T* Control(QDialog& dialog, const char* id) {
    T* control = dialog.findChild<T*>(id);
    if (control == nullptr)
        qFatal("no control %s in dialog %s", id, qPrintable(dialog.objectName()));
    return control;
}

// Types into the edit `id`, or into the edit of the combo `id`.
inline void Type(QDialog& dialog, const char* id, const QString& text) {
    auto* combo = dialog.findChild<QComboBox*>(id);
    QLineEdit* edit = combo != nullptr ? combo->lineEdit() : Control<QLineEdit>(dialog, id);
    edit->setFocus();
    QTest::keyClicks(edit, text);
}
// A button's click as the mouse or the keyboard gives it.
inline void Click(QDialog& dialog, const char* id) {
    Control<QAbstractButton>(dialog, id)->click();
}
inline void ChooseRow(QDialog& dialog, const char* id, const QString& text) {
    auto* list = Control<QListWidget>(dialog, id);
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    if (found.size() != 1) qFatal("no entry %s in list %s", qPrintable(text), id);
    list->setCurrentItem(found.front());
}
// Picks `entry` of the combo `id` as a user does: the popup's choice ends with activated.
inline void Activate(QDialog& dialog, const char* id, const QString& entry) {
    auto* combo = Control<QComboBox>(dialog, id);
    const int index = combo->findText(entry);
    if (index < 0) qFatal("no entry %s in combo %s", qPrintable(entry), id);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}
