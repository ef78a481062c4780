// The Project Settings sheet driven by its control ids: what OK writes page by page, what it
// refuses and where it stays, what Cancel leaves, the enabling rules, the browse buttons, the
// questions about the upload check and a new HTML root, and the main window's command.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <variant>

#include "quarn/app/project_settings.h"
#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/project_scripts_dlg.h"
#include "quarn/app/ui/project_settings_sheet.h"
#include "quarn/app/ui/spin_button.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kYesNoWarning = 4 | 48;
constexpr int kWarning = 48;

// Page dialog ids in tab order.
constexpr int kPublish = 136, kScripter = 156, kOdbc = 158, kHelpers = 172, kLogon = 132,
              kFirewall = 146, kOptions = 182, kOnError = 188, kScripting = 194;

// A loaded sheet of the active project "default", shown but not run modally.
struct Sheet {
    explicit Sheet(IFrameDialogs& dialogs) : settings(g_strProject.Get(), g_szProjectDir.Get()) {
        settings.Load();
        sheet = std::make_unique<CIpropSheet>(nullptr, settings, dialogs);
        sheet->show();
    }
    QWidget* Page(int page) const { return sheet->findChild<QWidget*>(QString::number(page)); }
    template <typename T>
    T* Control(int page, int id) const {
        return Page(page)->findChild<T*>(QString::number(id));
    }
    QLineEdit* Edit(int page, int id) const { return Control<QLineEdit>(page, id); }
    QAbstractButton* Button(int page, int id) const { return Control<QAbstractButton>(page, id); }
    int CurrentPage() const { return Sheet::sheet->Tabs()->currentWidget()->objectName().toInt(); }

    CProjectSettings settings;
    std::unique_ptr<CIpropSheet> sheet;
};

// One thing done on a page: type a text into an edit, or set (click when it differs) a check box
// or radio button.
struct Typed {
    int id;
    QString text;
};
struct Clicked {
    int id;
    bool checked = true;
};
using Action = std::variant<Typed, Clicked>;

void Apply(const Sheet& s, int page, const Action& action) {
    if (const auto* typed = std::get_if<Typed>(&action)) {
        QLineEdit* edit = s.Edit(page, typed->id);
        QVERIFY2(edit != nullptr, qPrintable(QString("edit %1/%2").arg(page).arg(typed->id)));
        edit->setText(typed->text);
        return;
    }
    const Clicked& clicked = std::get<Clicked>(action);
    QAbstractButton* button = s.Button(page, clicked.id);
    QVERIFY2(button != nullptr, qPrintable(QString("button %1/%2").arg(page).arg(clicked.id)));
    if (button->isChecked() != clicked.checked) button->click();
}

std::string SettingsText() {
    return fixtures::ReadTextFile(g_settings.Path()).value_or("<missing>");
}

std::string Key(std::string_view key) {
    return g_settings.File().GetString("default", key, "<none>");
}

}  // namespace

class UiProjectSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void OkWritesWhatEachPageHolds() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const struct {
            int page;
            std::vector<Action> actions;
            std::vector<std::pair<std::string, std::string>> keys;
        } kCases[] = {
            {kPublish,
             {Clicked{1004, false}, Typed{1000, "C:\\site\\pre.scp"}, Clicked{1005}, Clicked{1008},
              Typed{1002, "/site/online.scp"}, Clicked{1006}, Clicked{1007},
              Typed{1001, "make -C /site"}},
             {{"runscriptcheck", "0"},
              {"scriptfilename", "C:\\site\\pre.scp"},
              {"dialupen", "1"},
              {"runscript2check", "1"},
              {"script2filename", "/site/online.scp"},
              {"ftpcheck", "1"},
              {"execcheck", "1"},
              {"execname", "make -C /site"}}},
            {kScripter,
             {Typed{1001, "scripts"}, Clicked{1004, false}, Clicked{1005, false},
              Clicked{1006, false}},
             {{"pscriptdir", "scripts"}, {"delh", "0"}, {"listen", "0"}, {"eofnnf", "0"}}},
            {kScripter, {Typed{1000, "www"}}, {{"roothtml", "www"}}},
            {kOdbc,
             {Typed{1000, "1000"}, Clicked{1021}},
             {{"odbccolsize", "1000"}, {"odbccursorlib", "0"}}},
            {kOdbc,
             {Typed{1000, " 1 "}, Clicked{1023}},
             {{"odbccolsize", "1"}, {"odbccursorlib", "2"}}},
            {kHelpers,
             {Typed{1002, "sqlitebrowser shop.db"}},
             {{"database", "sqlitebrowser shop.db"}}},
            {kLogon,
             {Typed{1001, "ftp.example.org"}, Typed{1016, "65535"}, Typed{1000, "web"},
              Typed{1002, "s3cret word"}, Typed{1036, "acct"}, Typed{1003, "/pub/www"},
              Clicked{1004}},
             {{"wsname", "ftp.example.org"},
              {"ftpport", "65535"},
              {"wslogon", "web"},
              {"wspasswd", "s3cret word"},
              {"wsaccount", "acct"},
              {"wsfilepath", "/pub/www"},
              {"ftppasv", "1"}}},
            {kLogon, {Typed{1016, "1"}}, {{"ftpport", "1"}}},
            {kFirewall,
             {Clicked{1032}, Typed{1000, "proxy.lan"}, Typed{1001, "8021"}, Typed{1002, "me"},
              Typed{1003, "pw"}},
             {{"useproxy", "5"},
              {"proxyname", "proxy.lan"},
              {"proxyport", "8021"},
              {"proxylogon", "me"},
              {"proxypass", "pw"}}},
            {kFirewall, {Clicked{1022}}, {{"useproxy", "1"}}},
            {kFirewall, {Clicked{1035}}, {{"useproxy", "8"}}},
            {kFirewall, {Clicked{1021}}, {{"useproxy", "0"}}},
            {kOptions,
             {Clicked{1021}, Clicked{1006}, Clicked{1004}, Typed{1002, "100"}, Typed{1003, "999"}},
             {{"uploadchg", "0"},
              {"lfnferror", "1"},
              {"resumefailedupload", "1"},
              {"ftpretry", "100"},
              {"ftpretrypause", "999"}}},
            {kOptions,
             {Clicked{1023}, Typed{1002, "0"}, Typed{1003, "1"}},
             {{"uploadchg", "2"}, {"ftpretry", "0"}, {"ftpretrypause", "1"}}},
            {kOptions, {Clicked{1022}, Clicked{1005}}, {{"uploadchg", "1"}, {"wsclean", "1"}}},
            {kOnError,
             {Clicked{1004}, Typed{1000, "/site/oops.scp"}},
             {{"errorscripten", "1"}, {"errorscript", "/site/oops.scp"}}},
        };
        for (const auto& c : kCases) {
            g_settings.File().DeleteSection("default");
            quarn.dialogs.buttons = {kNo};  // a new HTML root: keep the old files
            Sheet s(quarn.dialogs);
            for (const Action& action : c.actions)
                Apply(s, c.page, action);
            s.sheet->accept();
            QCOMPARE(s.sheet->result(), int(QDialog::Accepted));
            for (const auto& [key, value] : c.keys)
                QVERIFY2(Key(key) == value,
                         qPrintable(QString("%1 %2=%3, not %4")
                                        .arg(c.page)
                                        .arg(key.c_str(), Key(key).c_str(), value.c_str())));
            // Every key of the sheet is there after the first OK.
            QCOMPARE(Key("useexternalscript"), std::string("0"));
        }
    }

    void RefusedNumbersKeepTheSheetOnTheirPage() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const QString kNotInt = "Please enter an integer.";
        const struct {
            int page, id;
            QString text, message;
        } kCases[] = {
            {kOdbc, 1000, "0", "Please enter an integer between 1 and 1000."},
            {kOdbc, 1000, "1001", "Please enter an integer between 1 and 1000."},
            {kOdbc, 1000, "64k", kNotInt},
            {kLogon, 1016, "0", "Please enter an integer between 1 and 65535."},
            {kLogon, 1016, "65536", "Please enter an integer between 1 and 65535."},
            {kLogon, 1016, "-21", "Please enter an integer between 1 and 65535."},
            {kLogon, 1016, "", kNotInt},
            {kFirewall, 1001, "4294967317", "Please enter an integer between 1 and 65535."},
            {kOptions, 1002, "101", "Please enter an integer between 0 and 100."},
            {kOptions, 1002, "-1", "Please enter an integer between 0 and 100."},
            {kOptions, 1003, "0", "Please enter an integer between 1 and 999."},
            {kOptions, 1003, "1000", "Please enter an integer between 1 and 999."},
            {kOptions, 1003, "1.5", kNotInt},
        };
        const std::string before = SettingsText();
        for (const auto& c : kCases) {
            quarn.dialogs.asked.clear();
            Sheet s(quarn.dialogs);
            s.Edit(c.page, c.id)->setText(c.text);
            s.sheet->accept();
            QCOMPARE(s.sheet->result(), int(QDialog::Rejected));
            QVERIFY(s.sheet->isVisible());
            QCOMPARE(s.CurrentPage(), c.page);
            QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
            QCOMPARE(quarn.dialogs.asked[0].text, c.message);
            QCOMPARE(quarn.dialogs.asked[0].type, kWarning);
            QCOMPARE(quarn.dialogs.asked[0].caption, QString("Quarn Pro"));
            QCOMPARE(SettingsText(), before);

            // Leaving the page is refused the same way.
            quarn.dialogs.asked.clear();
            const int other = c.page == kPublish ? 1 : 0;
            s.sheet->Tabs()->setCurrentIndex(other);
            QCOMPARE(s.CurrentPage(), c.page);
            QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
            QCOMPARE(quarn.dialogs.asked[0].text, c.message);
        }
    }

    void CancelWritesNothing() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string before = SettingsText();
        Sheet s(quarn.dialogs);
        s.Edit(kLogon, 1001)->setText("ftp.example.org");
        s.Button(kPublish, 1005)->click();
        s.Edit(kScripter, 1000)->setText("www");
        s.Button(kOptions, 1021)->click();
        s.sheet->reject();
        QCOMPARE(SettingsText(), before);
        QVERIFY(quarn.dialogs.asked.empty());
    }

    void AKeyThatCannotBeWrittenIsNamedAndKeepsTheSheetOpen() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string path = g_settings.Path();
        Sheet s(quarn.dialogs);
        fixtures::TempDir places("quarn_unwritable");
        for (const UnwritableFile& file : UnwritableSettingsFiles(places.Path())) {
            quarn.dialogs.asked.clear();
            g_settings.SetPath(file.path);
            s.sheet->accept();
            QCOMPARE(s.sheet->result(), int(QDialog::Rejected));
            QVERIFY(s.sheet->isVisible());
            QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
            QCOMPARE(quarn.dialogs.asked[0].type, 16);
            QCOMPARE(quarn.dialogs.asked[0].text,
                     "The settings file " + QString::fromStdString(file.path) +
                         " could not be written: " + file.reason + ".");
        }
        g_settings.SetPath(path);
        s.sheet->accept();
        QCOMPARE(s.sheet->result(), int(QDialog::Accepted));
        QCOMPARE(Key("roothtml"), std::string("html"));
    }

    void ChecksAndRadiosEnableTheirControls() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        g_settings.Set("default", project_key::uploadchg, 2);
        g_settings.Set("default", project_key::wsclean, 1);
        g_settings.Set("default", project_key::resumefailedupload, 1);
        Sheet s(quarn.dialogs);
        const auto enabled = [&](int page, std::initializer_list<int> ids) {
            QStringList states;
            for (int id : ids)
                states << QString::number(
                    s.Page(page)->findChild<QWidget*>(QString::number(id))->isEnabled());
            return states.join("");
        };
        // Shown from the stored values: all files in the directory.
        QCOMPARE(enabled(kOptions, {1005, 1004}), QString("00"));
        s.Button(kOptions, 1021)->click();
        QCOMPARE(enabled(kOptions, {1005, 1004}), QString("11"));
        s.Button(kOptions, 1022)->click();
        QCOMPARE(enabled(kOptions, {1005, 1004}), QString("10"));
        s.Button(kOptions, 1023)->click();
        QCOMPARE(enabled(kOptions, {1005, 1004}), QString("00"));

        QCOMPARE(enabled(kPublish, {1000, 1012, 1002, 1020, 1001, 1013}), QString("110000"));
        s.Button(kPublish, 1004)->click();
        s.Button(kPublish, 1008)->click();
        QCOMPARE(enabled(kPublish, {1000, 1012, 1002, 1020, 1001, 1013}), QString("001100"));
        s.Button(kPublish, 1007)->click();
        QCOMPARE(enabled(kPublish, {1001, 1013}), QString("11"));

        QCOMPARE(enabled(kFirewall, {1000, 1001, 1002, 1003}), QString("0000"));
        s.Button(kFirewall, 1032)->click();
        QCOMPARE(enabled(kFirewall, {1000, 1001, 1002, 1003}), QString("1111"));
        s.Button(kFirewall, 1021)->click();
        QCOMPARE(enabled(kFirewall, {1000, 1001, 1002, 1003}), QString("0000"));

        QCOMPARE(enabled(kOnError, {1000, 1012}), QString("00"));
        s.Button(kOnError, 1004)->click();
        QCOMPARE(enabled(kOnError, {1000, 1012}), QString("11"));

        QCOMPARE(enabled(kScripting, {1000, 1001, 1012, 1013}), QString("0000"));

        // The disabled check boxes keep their values, and OK saves them.
        s.sheet->accept();
        QCOMPARE(Key("uploadchg"), std::string("2"));
        QCOMPARE(Key("wsclean"), std::string("1"));
        QCOMPARE(Key("resumefailedupload"), std::string("1"));
    }

    void SpinButtonsStepWithinTheirRange() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        Sheet s(quarn.dialogs);
        const struct {
            int page, edit, spin;
            QString from;
            int delta;
            QString to;
        } kCases[] = {
            {kOdbc, 1000, 1015, "64", 1, "65"},     {kOdbc, 1000, 1015, "999", 1, "999"},
            {kOdbc, 1000, 1015, "1000", -1, "998"}, {kOdbc, 1000, 1015, "1", -1, "1"},
            {kOptions, 1002, 1015, "0", 1, "2"},    {kOptions, 1003, 1029, "x", 1, "2"},
        };
        for (const auto& c : kCases) {
            s.Edit(c.page, c.edit)->setText(c.from);
            s.Control<CSpinButton>(c.page, c.spin)->Step(c.delta);
            QCOMPARE(s.Edit(c.page, c.edit)->text(), c.to);
        }
    }

    void BrowseButtonsFillTheirFields() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const QString project = QString::fromStdString(quarn.ProjectDir("default"));
        const QString scriptFilter = "Script Files (*.scp *.sce);;All Files (*)";
        const struct {
            int page, button, field;
            QString title, filter;
        } kFiles[] = {
            {kPublish, 1012, 1000, "Select script file", scriptFilter},
            {kPublish, 1020, 1002, "Select script file", scriptFilter},
            {kPublish, 1013, 1001, "Select executable file",
             "Executable Files (*.exe *.com *.bat);;All Files (*)"},
            {kOnError, 1012, 1000, "Select script file", scriptFilter},
            {kHelpers, 1020, 1002, "Select project database executable",
             "Executable Files (*.exe *.com);;All Files (*)"},
            {kScripting, 1012, 1000, "Select executable file",
             "Executable Files (*.exe *.com);;All Files (*)"},
        };
        Sheet s(quarn.dialogs);
        for (const auto& c : kFiles) {
            s.Button(c.page, c.button)->setEnabled(true);
            quarn.dialogs.files = {"/chosen/file"};
            s.Button(c.page, c.button)->click();
            QCOMPARE(quarn.dialogs.fileQuestions.back().title, c.title);
            QCOMPARE(quarn.dialogs.fileQuestions.back().filter, c.filter);
            QCOMPARE(quarn.dialogs.fileQuestions.back().directory, project);
            QCOMPARE(s.Edit(c.page, c.field)->text(), QString("/chosen/file"));
            quarn.dialogs.files = {""};  // Cancel keeps the field
            s.Button(c.page, c.button)->click();
            QCOMPARE(s.Edit(c.page, c.field)->text(), QString("/chosen/file"));
        }
        const struct {
            int page, button, field;
            QString typed, prompt, initial;
        } kFolders[] = {
            {kScripter, 1012, 1001, "", "Select project script directory", project},
            {kScripter, 1012, 1001, "scripts", "Select project script directory",
             project + "/scripts"},
            {kScripter, 1012, 1001, "/srv/scripts", "Select project script directory",
             "/srv/scripts"},
            {kScripter, 1013, 1000, "html", "Select project HTML directory", project},
            {kScripter, 1013, 1000, "out\\www", "Select project HTML directory",
             project + "/out/www"},
            {kScripter, 1013, 1000, "/srv/www", "Select project HTML directory", "/srv/www"},
            {kScripting, 1013, 1001, "", "Select execution directory", project},
        };
        for (const auto& c : kFolders) {
            s.Edit(c.page, c.field)->setText(c.typed);
            s.Button(c.page, c.button)->setEnabled(true);
            quarn.dialogs.folders = {"/chosen/dir"};
            s.Button(c.page, c.button)->click();
            QCOMPARE(quarn.dialogs.folderDialogs.back().prompt, c.prompt);
            QCOMPARE(quarn.dialogs.folderDialogs.back().initial, c.initial);
            QCOMPARE(s.Edit(c.page, c.field)->text(), QString("/chosen/dir"));
        }
    }

    void UploadCheckAsksForDeletingOldHtmlFiles() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const QString question =
            "If you select \"Upload changed-only Quarn Pro output files\"\n"
            "and \"Delete old files from web server\" you must also\n"
            "select \"Delete old HTML files when script is run\".\n\nSelect now?";
        for (const auto& [answer, delh] : {std::pair{kYes, "1"}, std::pair{kNo, "0"}}) {
            g_settings.File().DeleteSection("default");
            quarn.dialogs.asked.clear();
            quarn.dialogs.buttons = {answer};
            Sheet s(quarn.dialogs);
            s.Button(kOptions, 1021)->click();
            s.Button(kOptions, 1005)->click();
            s.Button(kScripter, 1004)->click();  // clear delh
            s.sheet->accept();
            QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
            QCOMPARE(quarn.dialogs.asked[0].text, question);
            QCOMPARE(quarn.dialogs.asked[0].type, kYesNoWarning);
            QCOMPARE(quarn.dialogs.asked[0].caption, QString("Quarn Pro"));
            QVERIFY(!quarn.dialogs.asked[0].owned);
            QCOMPARE(Key("delh"), std::string(delh));
            QCOMPARE(Key("wsclean"), std::string("1"));
        }
    }

    void NewHtmlRootOffersToDeleteTheOldOutput() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        const QString question =
            "You have changed the local root HTML directory. Would you like to delete the HTML "
            "files from the old directory?";
        const struct {
            std::string newRoot;
            int delh;
            int answer;  // 0: nothing asked
            bool deleted;
        } kCases[] = {
            {"www", 1, kYes, true}, {"www", 1, kNo, false},       {"www", 0, 0, false},
            {"html/", 1, 0, false}, {dir + "/html", 1, 0, false},
        };
        for (const auto& c : kCases) {
            g_settings.Set("default", project_key::roothtml, "html");
            g_settings.Set("default", project_key::delh, c.delh);
            g_settings.Set("default", project_key::htmltop, "a.html");
            quarn.PutFile(dir + "/html/a.html", "a");
            quarn.PutFile(dir + "/outside.html", "o");
            quarn.PutFile(dir + "/htmlgen.log", "a.html\r\n../outside.html\r\n");
            quarn.PutFile(dir + "/htmlgen.chg", "a.html\r\n");
            quarn.dialogs.asked.clear();
            quarn.dialogs.buttons = {c.answer};
            Sheet s(quarn.dialogs);
            s.Edit(kScripter, 1000)->setText(QString::fromStdString(c.newRoot));
            s.sheet->accept();
            QCOMPARE(Key("roothtml"), c.newRoot);
            QCOMPARE(quarn.dialogs.asked.size(), size_t{c.answer != 0 ? 1u : 0u});
            if (c.answer != 0) {
                QCOMPARE(quarn.dialogs.asked[0].text, question);
                QCOMPARE(quarn.dialogs.asked[0].type, kYesNoWarning);
                QVERIFY(!quarn.dialogs.asked[0].owned);
            }
            QCOMPARE(fs::exists(dir + "/html/a.html"), !c.deleted);
            QCOMPARE(fs::exists(dir + "/htmlgen.log"), !c.deleted);
            QCOMPARE(fs::exists(dir + "/htmlgen.chg"), !c.deleted);
            QCOMPARE(Key("htmltop"), std::string(c.deleted ? "" : "a.html"));
            QVERIFY(fs::exists(dir + "/outside.html"));
        }
    }

    void PagesCaptionAndHiddenScriptingPage() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        g_strProgramTitle.Set("Acme Sites");
        g_settings.Set("default", project_key::scriptexec, "/opt/parser");
        g_settings.Set("default", project_key::scriptdir, "/tmp/run");
        g_settings.Set("default", project_key::useexternalscript, 1);
        Sheet s(quarn.dialogs);
        QCOMPARE(s.sheet->windowTitle(), QString("Project Settings (default)"));
        QStringList tabs;
        for (int i = 0; i < s.sheet->Tabs()->count(); ++i)
            tabs << s.sheet->Tabs()->tabText(i) + " " + s.sheet->Tabs()->widget(i)->objectName();
        QCOMPARE(tabs, QStringList({"Publish Actions 136", "Scripter Settings 156", "ODBC 158",
                                    "Helper Applications 172", "FTP Logon 132", "FTP Firewall 146",
                                    "FTP Options 182", "On Error 188"}));
        QVERIFY(!s.Page(kScripting)->isVisible());
        QCOMPARE(s.Button(kPublish, 1004)->toolTip(),
                 QString("Run a Acme Sites script file before connecting to the Internet"));
        QCOMPARE(s.Edit(kLogon, 1002)->echoMode(), QLineEdit::Password);
        QCOMPARE(s.Edit(kFirewall, 1003)->echoMode(), QLineEdit::Password);
        s.sheet->accept();
        QCOMPARE(Key("scriptexec"), std::string("/opt/parser"));
        QCOMPARE(Key("scriptdir"), std::string("/tmp/run"));
        QCOMPARE(Key("useexternalscript"), std::string("1"));
        g_strProgramTitle.Set("Quarn Pro");
    }

    void CommandOpensTheSheetUnlessAJobHoldsTheProject() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        QAction* command = quarn.frame->Command(frame_command::kProjectSettings);
        QVERIFY(command->isEnabled());
        QString opened;
        const auto okNextModal = [&] {
            opened.clear();
            QTimer::singleShot(0, [&] {
                if (auto* sheet = qobject_cast<CIpropSheet*>(QApplication::activeModalWidget())) {
                    opened = sheet->windowTitle();
                    sheet->findChild<QWidget*>("132")->findChild<QLineEdit*>("1001")->setText(
                        "ftp.example.org");
                    sheet->accept();
                }
            });
        };
        {
            ProjectLockHolder job;
            okNextModal();
            command->trigger();
            QTest::qWait(50);
            QVERIFY(opened.isEmpty());
        }
        QCOMPARE(Key("wsname"), std::string("<none>"));
        okNextModal();
        command->trigger();
        QCOMPARE(opened, QString("Project Settings (default)"));
        QCOMPARE(Key("wsname"), std::string("ftp.example.org"));
    }

    void OkRefreshesTheScriptsWindowAndCancelLeavesIt() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        fs::create_directories(quarn.ProjectDir("default") + "/scripts");
        quarn.PutFile(quarn.ProjectDir("default") + "/scripts/moved.scp", "");
        auto* list = quarn.frame->ScriptsWindow()->findChild<QListWidget*>("1011");
        QCOMPARE(list->count(), 0);
        const auto onSheet = [](bool ok) {
            QTimer::singleShot(0, [ok] {
                auto* sheet = qobject_cast<CIpropSheet*>(QApplication::activeModalWidget());
                QVERIFY(sheet != nullptr);
                sheet->findChild<QWidget*>("156")->findChild<QLineEdit*>("1001")->setText(
                    "scripts");
                ok ? sheet->accept() : sheet->reject();
            });
        };
        QAction* command = quarn.frame->Command(frame_command::kProjectSettings);
        onSheet(false);
        command->trigger();
        QCOMPARE(list->count(), 0);
        onSheet(true);
        command->trigger();
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString("moved.scp"));
    }

    void Screenshots() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        g_settings.Set("default", project_key::wsname, "ftp.example.org");
        g_settings.Set("default", project_key::useproxy, 5);
        Sheet s(quarn.dialogs);
        s.sheet->adjustSize();
        for (int i = 0; i < s.sheet->Tabs()->count(); ++i) {
            s.sheet->Tabs()->setCurrentIndex(i);
            QCoreApplication::processEvents();
            SaveScreenshot(*s.sheet, "project_settings_" +
                                         s.sheet->Tabs()->widget(i)->objectName() + "_" +
                                         s.sheet->Tabs()->tabText(i).toLower().replace(' ', '_'));
        }
    }
};

QUARN_QT_TEST(UiProjectSettingsTest)
#include "project_settings_sheet_test.moc"
