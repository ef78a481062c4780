#include "tolvane/tolvane_test_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "tests/fixtures/qt_test_registry.h"

void CRecordingEdPrompts::MessageBox(QWidget*, const QString& text, Icon icon,
                                     const QString& caption) {
    messages.push_back({text, icon, caption});
}

IEdPrompts::SaveAnswer CRecordingEdPrompts::AskSaveChanges(QWidget*, const QString&) {
    if (saveAnswers.empty()) return SaveAnswer::kDiscard;
    const SaveAnswer answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::optional<QString> CRecordingEdPrompts::ChooseFile(QWidget*, const QString&, bool) {
    if (files.empty()) return std::nullopt;
    const QString file = files.front();
    files.pop_front();
    if (file.isEmpty()) return std::nullopt;
    return file;
}

std::optional<IEdPrompts::SaveChoice> CRecordingEdPrompts::ChooseSaveFile(QWidget* owner,
                                                                          const QString& filter,
                                                                          const QString& proposed) {
    proposedNames.push_back(proposed);
    const std::optional<QString> path = ChooseFile(owner, filter, true);
    if (!path) return std::nullopt;
    return SaveChoice{
        *path, saveFilter.isEmpty() ? filter.section(QStringLiteral(";;"), 0, 0) : saveFilter};
}

TolvaneFixture::TolvaneFixture(const std::string& settingsPath)
    : settings(settingsPath.empty() ? m_dir.File("Quarn.ini") : settingsPath) {
    m_app.BuildFunctionLists();
}

CMainFrame& TolvaneFixture::Frame() {
    if (!m_frame) {
        m_frame = std::make_unique<CMainFrame>(m_app, settings, prompts, launcher, m_dir.Path());
        m_frame->show();
        m_frame->SetStarted();
    }
    return *m_frame;
}

CMainFrame& TolvaneFixture::Start(const QStringList& commandLine) {
    m_frame = std::make_unique<CMainFrame>(m_app, settings, prompts, launcher, m_dir.Path());
    m_frame->Start(commandLine);
    return *m_frame;
}

void TolvaneFixture::Put(const std::string& name, std::string_view bytes) const {
    QVERIFY(fixtures::WriteTextFile(m_dir.File(name), bytes, nullptr));
}

void AnswerModal(const std::function<void(QWidget*)>& answer, const std::function<void()>& action) {
    bool answered = false;
    std::function<void()> poll;
    poll = [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            answered = true;
            answer(modal);
        } else {
            QTimer::singleShot(10, poll);
        }
    };
    QTimer::singleShot(0, poll);
    action();
    QVERIFY(answered);
}
