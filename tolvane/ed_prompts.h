#pragma once
// The editor's questions to its user, behind a seam that window tests replace with a recording
// fake. GUI thread only. Every box has the caption "Tolvane" unless one is given.

#include <QString>
#include <optional>

#include "shared/widgets/wizard_prompts.h"

class QWidget;

class IEdPrompts {
public:
    enum class Icon { kNone, kInformation, kExclamation, kStop };
    enum class SaveAnswer { kSave, kDiscard, kCancel };

    virtual ~IEdPrompts() = default;
    // An OK box.
    virtual void MessageBox(QWidget* owner, const QString& text, Icon icon,
                            const QString& caption = QStringLiteral("Tolvane")) = 0;
    // Save changes to the document `title` before it closes?
    virtual SaveAnswer AskSaveChanges(QWidget* owner, const QString& title) = 0;
    // A file to open (`save` false) or to save to; nullopt when cancelled. `filter` is a Qt name
    // filter list ("Script files (*.scp);;All Files (*)"). The process's current directory is
    // never changed.
    virtual std::optional<QString> ChooseFile(QWidget* owner, const QString& filter, bool save) = 0;
    // A file to save to, the dialog opened on `proposed` (a name or a path): the path answered
    // and the name filter chosen with it; nullopt when cancelled.
    struct SaveChoice {
        QString path;
        QString filter;
    };
    virtual std::optional<SaveChoice> ChooseSaveFile(QWidget* owner, const QString& filter,
                                                     const QString& proposed) = 0;
};

// The platform's standard dialogs.
class CQtEdPrompts : public IEdPrompts {
public:
    void MessageBox(QWidget* owner, const QString& text, Icon icon,
                    const QString& caption) override;
    SaveAnswer AskSaveChanges(QWidget* owner, const QString& title) override;
    std::optional<QString> ChooseFile(QWidget* owner, const QString& filter, bool save) override;
    // In save_file_dialog.cpp.
    std::optional<SaveChoice> ChooseSaveFile(QWidget* owner, const QString& filter,
                                             const QString& proposed) override;
};

// The questions of the insert dialogs and wizards, asked through the editor's prompts (so they
// carry the editor's caption, and window tests answer them); the driver choice is the editor's
// driver dialog. `prompts` outlives this object.
class CEdWizardPrompts : public IWizardPrompts {
public:
    explicit CEdWizardPrompts(IEdPrompts& prompts) : m_prompts(prompts) {}
    void StopMessage(QWidget* owner, const QString& text) override;
    void PlainMessage(QWidget* owner, const QString& text) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& filter) override;
    std::optional<QString> ChooseDriver(QWidget* owner, const QStringList& drivers) override;

private:
    IEdPrompts& m_prompts;
};
