#pragma once
// Fakes for the seams of tolvane's wizards and insert dialogs, for tests: a catalog answering
// from lists and prompts that record every question.

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "shared/odbc_catalog.h"
#include "shared/widgets/wizard_prompts.h"

// Answers from lists; a `fail...` flag makes that operation fail with its own message.
class FakeCatalog : public IOdbcCatalog {
public:
    std::vector<std::string> sources;
    std::vector<std::string> drivers;
    std::vector<std::string> tables;
    std::vector<std::string> columns;
    bool failSources = false;
    bool failDrivers = false;
    bool failTables = false;
    bool failColumns = false;

    int ListDataSources() override { return Answer(sources, failSources, "no sources"); }
    int ListDrivers() override { return Answer(drivers, failDrivers, "no drivers"); }
    int ListTables(std::string_view) override { return Answer(tables, failTables, "no tables"); }
    int ListColumns(std::string_view, std::string_view) override {
        return Answer(columns, failColumns, "no columns");
    }

private:
    int Answer(const std::vector<std::string>& names, bool fail, const char* why) {
        m_names.clear();
        if (fail) {
            m_strMessage = std::string("ODBC ERROR: ") + why;
            return 0;
        }
        m_names = names;
        return 1;
    }
};

// Records every message (stop and plain alike, in order); a file or driver answer that is not
// queued is Cancel.
class RecordingPrompts : public IWizardPrompts {
public:
    QStringList messages;
    QStringList filters;
    std::deque<QString> files;
    std::deque<QString> driverAnswers;
    std::vector<QStringList> driverLists;

    void StopMessage(QWidget*, const QString& text) override { messages << text; }
    void PlainMessage(QWidget*, const QString& text) override { messages << text; }
    std::optional<QString> OpenFile(QWidget*, const QString& filter) override {
        filters << filter;
        return Next(files);
    }
    std::optional<QString> ChooseDriver(QWidget*, const QStringList& drivers) override {
        driverLists.push_back(drivers);
        return Next(driverAnswers);
    }

private:
    static std::optional<QString> Next(std::deque<QString>& answers) {
        if (answers.empty()) return std::nullopt;
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
