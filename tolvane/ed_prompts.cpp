#include "tolvane/ed_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "shared/widgets/driver_dlg.h"

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

void CEdWizardPrompts::StopMessage(QWidget* owner, const QString& text) {
    m_prompts.MessageBox(owner, text, IEdPrompts::Icon::kStop);
}

void CEdWizardPrompts::PlainMessage(QWidget* owner, const QString& text) {
    m_prompts.MessageBox(owner, text, IEdPrompts::Icon::kNone);
}

std::optional<QString> CEdWizardPrompts::OpenFile(QWidget* owner, const QString& filter) {
    return m_prompts.ChooseFile(owner, filter, false);
}

std::optional<QString> CEdWizardPrompts::ChooseDriver(QWidget* owner, const QStringList& drivers) {
    CDriverDlg dialog(owner, drivers, kEditorDriverDialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Driver();
}
