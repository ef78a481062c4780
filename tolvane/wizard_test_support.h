#pragma once
// Fakes and helpers for the tests of tolvane's wizards and insert dialogs: a catalog answering
// from lists, prompts and pickers answering from queues and recording every question, a collector
// over given statements, and controls by id. Tests only; GUI thread.

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWizard>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shared/odbc_catalog.h"
#include "shared/widgets/wizard_fakes.h"
#include "shared/widgets/wizard_prompts.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tolvane/insert_frame.h"
#include "tolvane/insert_pickers.h"
#include "tolvane/tolvane_test_support.h"

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

using Statements = std::map<std::string, std::vector<std::string>>;

// A collector over statements given per keyword.
inline StatementCollector CollectorOf(Statements statements) {
    return [statements = std::move(statements)](std::string_view keyword) {
        const auto found = statements.find(std::string(keyword));
        return found == statements.end() ? std::vector<std::string>{} : found->second;
    };
}

inline InsertContext ContextOf(StatementCollector collect, int indent = 0, bool todo = true) {
    InsertContext ctx;
    ctx.indent = indent;
    ctx.todo = todo;
    ctx.collect = std::move(collect);
    return ctx;
}

template <typename T>
T* PageControl(QWizard& wizard, const char* id) {
    T* control = wizard.currentPage()->findChild<T*>(id);
    if (control == nullptr) qFatal("no control %s on page %d", id, wizard.currentId());
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
