#pragma once
// Helpers of the insert wizards' and dialogs' Qt tests: statement lists for the collector,
// controls by id, wizard buttons, screenshots and pickers answering from queues. GUI thread.

#include <QListWidget>
#include <QString>
#include <QTest>
#include <QWizard>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/fixtures/qt_test_registry.h"
#include "tolvane/insert_pickers.h"
#include "tolvane/insert_text.h"

// A collector over statements given per keyword.
inline StatementCollector CollectorOf(std::map<std::string, std::vector<std::string>> statements) {
    return [statements = std::move(statements)](std::string_view keyword) {
        const auto found = statements.find(std::string(keyword));
        return found == statements.end() ? std::vector<std::string>{} : found->second;
    };
}

inline void SaveScreenshot(QWidget& widget, const QString& name) {
    const std::string dir = fixtures::ScreenshotDir();
    if (!dir.empty())
        QVERIFY(widget.grab().save(QString::fromStdString(dir) + "/" + name + ".png"));
}

template <typename T>
T* PageControl(QWizard& wizard, const char* id) {
    T* control = wizard.currentPage()->findChild<T*>(id);
    if (control == nullptr) qFatal("no control %s on page %d", id, wizard.currentId());
    return control;
}

template <typename T>
T* DialogControl(QWidget& dialog, const char* id) {
    T* control = dialog.findChild<T*>(id);
    if (control == nullptr) qFatal("no control %s", id);
    return control;
}

inline void Click(QWizard& wizard, QWizard::WizardButton which) {
    QTest::mouseClick(wizard.button(which), Qt::LeftButton);
}

// The buttons the wizard shows, in the order Back, Next, Finish.
inline QString ShownButtons(QWizard& wizard) {
    QString shown;
    if (wizard.button(QWizard::BackButton)->isVisible()) shown += "Back ";
    if (wizard.button(QWizard::NextButton)->isVisible()) shown += "Next ";
    if (wizard.button(QWizard::FinishButton)->isVisible()) shown += "Finish";
    return shown.trimmed();
}

inline QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

// Pickers answering from queues; an empty queue is Cancel.
class QueuedPickers : public IInsertPickers {
public:
    std::deque<std::string> fields;
    std::deque<std::string> variables;
    std::optional<std::string> PickDatabaseField(QWidget*) override { return Next(fields); }
    std::optional<std::string> PickUserVariable(QWidget*) override { return Next(variables); }

private:
    static std::optional<std::string> Next(std::deque<std::string>& answers) {
        if (answers.empty()) return std::nullopt;
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
