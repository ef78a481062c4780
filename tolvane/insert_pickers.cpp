#include "tolvane/insert_pickers.h"

#include "tolvane/insert_data_dlgs.h"
#include "tolvane/insert_other_dlgs.h"

std::optional<std::string> CDialogPickers::PickDatabaseField(QWidget* owner) {
    return ::PickDatabaseField(owner, m_ctx, m_services);
}

std::optional<std::string> CDialogPickers::PickUserVariable(QWidget* owner) {
    CInsertVarDlg dialog(owner, m_ctx, m_services.prompts);
    if (!dialog.Prepare() || dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Variable();
}
