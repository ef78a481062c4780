#include "shared/widgets/wizard_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "shared/widgets/driver_dlg.h"

void CQtWizardPrompts::StopMessage(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, m_strCaption, text, QMessageBox::Ok, owner);
    box.exec();
}

void CQtWizardPrompts::PlainMessage(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, m_strCaption, text, QMessageBox::Ok, owner);
    box.exec();
}

std::optional<QString> CQtWizardPrompts::OpenFile(QWidget* owner, const QString& filter) {
    const QString path = QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> CQtWizardPrompts::ChooseDriver(QWidget* owner, const QStringList& drivers) {
    CDriverDlg dialog(owner, drivers, m_driverDialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Driver();
}
