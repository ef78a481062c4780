#pragma once
// A tolvane main frame for window tests: a program directory of its own (its Quarn.ini), the
// prompts answered and recorded by a fake, the launcher recording.

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/profile_file.h"
#include "shared/launcher_fakes.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"
#include "tolvane/ed_app.h"
#include "tolvane/ed_prompts.h"
#include "tolvane/editor_frame.h"

class CRecordingEdPrompts : public IEdPrompts {
public:
    struct Message {
        QString text;
        Icon icon;
        QString caption;
    };
    std::vector<Message> messages;
    std::deque<QString> files;  // "" answers Cancel
    std::deque<SaveAnswer> saveAnswers;
    // Save dialogs take their answers from `files`, with `saveFilter` chosen ("": the first
    // filter offered), and record the name they proposed.
    QString saveFilter;
    std::vector<QString> proposedNames;

    void MessageBox(QWidget* owner, const QString& text, Icon icon,
                    const QString& caption) override;
    SaveAnswer AskSaveChanges(QWidget* owner, const QString& title) override;
    std::optional<QString> ChooseFile(QWidget* owner, const QString& filter, bool save) override;
    std::optional<SaveChoice> ChooseSaveFile(QWidget* owner, const QString& filter,
                                             const QString& proposed) override;
};

class TolvaneFixture {
    // First, so that the settings file can be placed in it.
    fixtures::TempDir m_dir{"tolvane_ui"};

public:
    // `settingsPath`: the settings file, "" for Quarn.ini in a directory of the fixture's own.
    explicit TolvaneFixture(const std::string& settingsPath = "");
    // The frame, made on first use so a test can write settings before.
    CMainFrame& Frame();
    // The frame started as the program starts it, with the files of its command line.
    CMainFrame& Start(const QStringList& commandLine);
    std::string File(const std::string& name) const { return m_dir.File(name); }
    void Put(const std::string& name, std::string_view bytes) const;

    platform::ProfileFile settings;
    CRecordingEdPrompts prompts;
    CRecordingLauncher launcher;

private:
    CEdApp m_app;
    std::unique_ptr<CMainFrame> m_frame;
};

using fixtures::SaveScreenshot;
// Runs `action` once the modal dialog it opens is up, handing that dialog to `answer`.
void AnswerModal(const std::function<void(QWidget*)>& answer, const std::function<void()>& action);
