#pragma once
// The questions the main window asks the user itself (on the GUI thread): message boxes and the
// file-open dialog, the New Project dialog and the folder picker. The window gets them through this
// seam so that tests answer them.

#include <QString>
#include <optional>

class QWidget;

class IFrameDialogs {
public:
    virtual ~IFrameDialogs() = default;
    // A modal message box of style `type` (the prompt interface's styles); the button pressed.
    virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                           int type) = 0;
    // The file chosen in a file-open dialog starting in `directory`; nullopt after Cancel.
    virtual std::optional<QString> OpenFile(QWidget* owner, const QString& title,
                                            const QString& filter, const QString& directory) = 0;
    // The name typed in the New Project dialog; nullopt after Cancel.
    virtual std::optional<QString> AskProjectName(QWidget* owner) = 0;
    // The folder chosen in a folder picker showing `prompt` and starting at `initial`; nullopt
    // after Cancel.
    virtual std::optional<QString> BrowseFolder(QWidget* owner, const QString& prompt,
                                                const QString& initial) = 0;
};

// The platform's standard dialogs; folders are chosen with CFolderBrowser.
class CQtFrameDialogs : public IFrameDialogs {
public:
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, int type) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& title, const QString& filter,
                                    const QString& directory) override;
    std::optional<QString> AskProjectName(QWidget* owner) override;
    std::optional<QString> BrowseFolder(QWidget* owner, const QString& prompt,
                                        const QString& initial) override;
};
