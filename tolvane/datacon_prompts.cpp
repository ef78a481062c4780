#include "tolvane/datacon_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "tolvane/driver_dlg.h"

void CQtDataconPrompts::StopMessage(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, "Tolvane", text, QMessageBox::Ok, owner);
    box.exec();
}

std::optional<QString> CQtDataconPrompts::OpenFile(QWidget* owner, const QString& filter) {
    const QString path = QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> CQtDataconPrompts::ChooseDriver(QWidget* owner, const QStringList& drivers) {
    CDriverDlg dialog(owner, drivers);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Driver();
}
