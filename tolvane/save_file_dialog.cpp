#include <QFileDialog>

#include "tolvane/ed_prompts.h"
#include "tolvane/save_name.h"

namespace {

QString FilterSuffix(const QString& filter) {
    return QString::fromStdString(FilterExtension(filter.toStdString())).mid(1);
}

}  // namespace

std::optional<IEdPrompts::SaveChoice> CQtEdPrompts::ChooseSaveFile(QWidget* owner,
                                                                   const QString& filter,
                                                                   const QString& proposed) {
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog adds the chosen type's extension itself, so that it asks before overwriting the
    // file that is written, not the one typed.
    dialog.setDefaultSuffix(FilterSuffix(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& chosen) { dialog.setDefaultSuffix(FilterSuffix(chosen)); });
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return SaveChoice{dialog.selectedFiles().first(), dialog.selectedNameFilter()};
}
