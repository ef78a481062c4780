#include "quarn/app/ui/frame_dialogs.h"

#include <QFileDialog>
#include <memory>

#include "quarn/app/ui/folder_browser.h"
#include "quarn/app/ui/message_box.h"
#include "quarn/app/ui/new_project_dlg.h"
#include "shared/widgets/ui_text.h"

int CQtFrameDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                int type) {
    std::unique_ptr<QMessageBox> box(MakeMessageBox(owner, text, caption, type));
    box->exec();
    return MessageBoxAnswer(*box, type);
}

std::optional<QString> CQtFrameDialogs::OpenFile(QWidget* owner, const QString& title,
                                                 const QString& filter, const QString& directory) {
    const QString path = QFileDialog::getOpenFileName(owner, title, directory, filter);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> CQtFrameDialogs::AskProjectName(QWidget* owner) {
    CNewProjectDlg dialog(owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Name();
}

std::optional<QString> CQtFrameDialogs::BrowseFolder(QWidget* owner, const QString& prompt,
                                                     const QString& initial) {
    CFolderBrowser browser;
    browser.m_strPrompt = ToBytes(prompt);
    browser.m_strInitial = ToBytes(initial);
    if (!browser.Browse(owner)) return std::nullopt;
    return FromBytes(browser.m_strFolder);
}
