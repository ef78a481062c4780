#include "quarn/app/ui/frame_dialogs.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
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

namespace {

// Qt's own file dialog (not a desktop's) in detail view: every column wide enough for what it
// shows, names in ascending order, whatever the dialog remembered from an earlier use.
void ShowDetailsWhole(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>("treeView");
    if (view == nullptr) return;
    const QFontMetrics metrics = view->fontMetrics();
    const int padding = 3 * metrics.averageCharWidth() + 16;
    const QString longestDate =
        QLocale().toString(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)), QLocale::ShortFormat);
    QHeaderView* header = view->header();
    header->resizeSection(1, metrics.horizontalAdvance("9999.99 KiB") + padding);
    header->resizeSection(2, metrics.horizontalAdvance("plain text document") + padding);
    header->resizeSection(3, metrics.horizontalAdvance(longestDate) + padding);
    header->resizeSection(0, metrics.horizontalAdvance(QString(36, 'n')) + padding);
    view->sortByColumn(0, Qt::AscendingOrder);
    int columns = 0;
    for (int column = 0; column < 4; ++column)
        columns += header->sectionSize(column);
    // The view shares the width with the places list beside it.
    const int wanted = dialog.width() - view->viewport()->width() + columns;
    dialog.resize(std::max(dialog.width(), wanted), std::max(dialog.height(), 480));
}

}  // namespace

std::optional<QString> CQtFrameDialogs::OpenFile(QWidget* owner, const QString& title,
                                                 const QString& filter, const QString& directory) {
    QFileDialog dialog(owner, title, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setViewMode(QFileDialog::Detail);
    QTimer::singleShot(0, &dialog, [&dialog] { ShowDetailsWhole(dialog); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
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
