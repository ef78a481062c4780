#include "tolvane/ed_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

void CQtEdPrompts::MessageBox(QWidget* owner, const QString& text, Icon icon,
                              const QString& caption) {
    const QMessageBox::Icon shown = icon == Icon::kStop          ? QMessageBox::Critical
                                    : icon == Icon::kInformation ? QMessageBox::Information
                                    : icon == Icon::kExclamation ? QMessageBox::Warning
                                                                 : QMessageBox::NoIcon;
    QMessageBox box(shown, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

IEdPrompts::SaveAnswer CQtEdPrompts::AskSaveChanges(QWidget* owner, const QString& title) {
    const auto answer = QMessageBox::question(
        owner, QStringLiteral("Tolvane"), QStringLiteral("Save changes to %1?").arg(title),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return SaveAnswer::kSave;
    if (answer == QMessageBox::No) return SaveAnswer::kDiscard;
    return SaveAnswer::kCancel;
}

std::optional<QString> CQtEdPrompts::ChooseFile(QWidget* owner, const QString& filter, bool save) {
    const QString path = save ? QFileDialog::getSaveFileName(owner, QString(), QString(), filter)
                              : QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
    if (path.isEmpty()) return std::nullopt;
    return path;
}
