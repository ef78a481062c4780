#pragma once
// Fakes of the connection wizards' seams, for the window tests of tolvane and kestrel: a catalog
// answering from lists, and prompts answering from queues and recording every question. Tests
// only; GUI thread.

#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shared/odbc_catalog.h"
#include "shared/widgets/wizard_prompts.h"

// Answers from lists; `fail...` makes an operation fail with its own message. Tables are looked
// up by connection string and columns by query; an unknown one fails.
class FakeCatalog : public IOdbcCatalog {
public:
    struct Column {
        std::string name;
        std::string kind;
    };
    std::vector<std::string> sources;
    std::vector<std::string> drivers;
    std::map<std::string, std::vector<std::string>> tables;
    std::map<std::string, std::vector<Column>> columns;
    bool failSources = false;
    bool failDrivers = false;
    // Every query ListColumns was asked, in order.
    std::vector<std::string> queries;

    int ListDataSources() override { return Answer(sources, failSources, "no sources"); }
    int ListDrivers() override { return Answer(drivers, failDrivers, "no drivers"); }
    int ListTables(std::string_view connection) override {
        const auto found = tables.find(std::string(connection));
        if (found == tables.end()) return Answer({}, true, "no tables");
        return Answer(found->second, false, "");
    }
    int ListColumns(std::string_view, std::string_view query) override {
        queries.emplace_back(query);
        const auto found = columns.find(std::string(query));
        if (found == columns.end()) return Answer({}, true, "no columns");
        std::vector<std::string> names;
        for (const Column& column : found->second)
            names.push_back(column.name);
        const int ok = Answer(names, false, "");
        for (const Column& column : found->second)
            m_kinds.push_back(column.kind);
        return ok;
    }

private:
    int Answer(const std::vector<std::string>& names, bool fail, const char* why) {
        m_names.clear();
        m_kinds.clear();
        if (fail) {
            m_strMessage = std::string("ODBC ERROR: ") + why;
            return 0;
        }
        m_names = names;
        return 1;
    }
};

// Records every message (stop and plain alike, in order) and the plain ones apart; a file or
// driver answer that is not queued is Cancel.
class RecordingPrompts : public IWizardPrompts {
public:
    QStringList messages;
    QStringList plainMessages;
    QStringList filters;
    std::deque<QString> files;
    std::deque<QString> driverAnswers;
    std::vector<QStringList> driverLists;

    void StopMessage(QWidget*, const QString& text) override { messages << text; }
    void PlainMessage(QWidget*, const QString& text) override {
        messages << text;
        plainMessages << text;
    }
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
