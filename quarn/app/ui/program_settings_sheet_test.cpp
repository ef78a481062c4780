// The Program Settings sheet driven page by page through its control ids: the keys OK writes,
// Cancel, every message and the page it keeps the sheet on, the remote users' buttons, and the
// command of the main window that opens it.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/dialup_none.h"
#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/program_settings_sheet.h"
#include "quarn/app/ui/program_settings_test_support.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "quarn/services/testing/fake_dialup_backend.h"
#include "tests/fixtures/qt_test_registry.h"

namespace {

constexpr int kError = 16;
constexpr int kWarning = 48;
constexpr int kYesNoWarning = 4 | 48;
constexpr int kYes = 6;
constexpr int kNo = 7;

using Keys = std::map<std::string, std::string>;

// The keys of section global as the file holds them now; missing ones read "<none>".
Keys Written(const Keys& wanted) {
    Keys seen;
    for (const auto& [key, value] : wanted)
        seen[key] = g_settings.File().GetString(kGlobalSection, key, "<none>");
    return seen;
}

QStringList Items(const QListWidget& list) {
    QStringList items;
    for (int row = 0; row < list.count(); ++row)
        items << list.item(row)->text();
    return items;
}

}  // namespace

class UiProgramSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void EachPageWritesItsKeys() {
        const struct {
            const char* name;
            std::function<void(SheetFixture&)> edit;
            Keys keys;
        } cases[] = {
            {"Helper Applications",
             [](SheetFixture& f) {
                 f.Edit("166", "1000")->setText("/usr/bin/vi");
                 f.Edit("166", "1001")->setText("firefox --new-window");
                 f.Edit("166", "1002")->setText("");
             },
             {{"texted", "/usr/bin/vi"}, {"webb", "firefox --new-window"}, {"listviewer", ""}}},
            {"Helper Applications browse buttons",
             [](SheetFixture& f) {
                 f.dialogs.files = {"/opt/ed/bin/ed", "", "/usr/bin/less"};
                 for (const char* button : {"1012", "1013", "1020"})
                     f.Find<QPushButton>("166", button)->click();
             },
             {{"texted", "/opt/ed/bin/ed"}, {"webb", ""}, {"listviewer", "/usr/bin/less"}}},
            {"Program Behaviour",
             [](SheetFixture& f) {
                 f.Find<QRadioButton>("167", "1023")->click();
                 f.Find<QCheckBox>("167", "1004")->setChecked(false);
                 f.Find<QCheckBox>("167", "1005")->setChecked(true);
                 f.Find<QCheckBox>("167", "1006")->setChecked(true);
                 f.Find<QCheckBox>("167", "1007")->setChecked(false);
                 f.Find<QCheckBox>("167", "1008")->setChecked(true);
             },
             {{"priority", "2"},
              {"closewin", "0"},
              {"hidewindow", "1"},
              {"swonerror", "1"},
              {"logen", "0"},
              {"allowmultiinst", "1"}}},
            {"Auto-Publish Schedule",
             [](SheetFixture& f) {
                 for (const char* time : {"12:00", "7:30", " 7:30", "0:15"})
                     f.AddTime(time);
                 for (const char* day : {"1004", "1006", "1010"})
                     f.Find<QCheckBox>("168", day)->setChecked(true);
             },
             {{"numberoftimes", "4"},
              {"ctime0", "0:15"},
              {"ctime1", "7:30"},
              {"ctime2", " 7:30"},
              {"ctime3", "12:00"},
              {"timermon", "1"},
              {"timertues", "0"},
              {"timerwed", "1"},
              {"timerthurs", "0"},
              {"timerfri", "0"},
              {"timersat", "0"},
              {"timersun", "1"}}},
            {"Connection Details at the upper limit",
             [](SheetFixture& f) {
                 f.Find<QComboBox>("169", "1014")->setCurrentText("Office VPN");
                 f.Edit("169", "1000")->setText("ann");
                 f.Edit("169", "1001")->setText("s3cret pw");
                 f.Find<QSpinBox>("169", "1002")->setValue(999);
             },
             {{"addressbook", "Office VPN"},
              {"isplogon", "ann"},
              {"isppassword", "s3cret pw"},
              {"numretry", "999"}}},
            {"Connection Details beyond the limits",
             [](SheetFixture& f) {
                 auto* retries = f.Find<QSpinBox>("169", "1002");
                 retries->setValue(1000);
                 QCOMPARE(retries->value(), 999);
                 retries->setValue(0);
             },
             {{"numretry", "1"}}},
            {"Auto-Publish Project",
             [](SheetFixture& f) {
                 f.Find<QCheckBox>("133", "1004")->setChecked(true);
                 QVERIFY(f.Find<QComboBox>("133", "1014")->isEnabled());
                 f.Find<QComboBox>("133", "1014")->setCurrentText("shop");
             },
             {{"autopub", "1"}, {"autopubproj", "shop"}}},
            {"Network Control at the lower limit",
             [](SheetFixture& f) {
                 f.Find<QCheckBox>("180", "1004")->setChecked(true);
                 f.Edit("180", "1000")->setText("0");
             },
             {{"ncen", "1"}, {"ncport", "0"}}},
            {"Network Control at the upper limit",
             [](SheetFixture& f) { f.Edit("180", "1000")->setText(" 10000 "); },
             {{"ncen", "0"}, {"ncport", "10000"}}},
            {"Application Title, never shown, written back",
             [](SheetFixture& f) { f.Edit("196", "1000")->setText("Site Builder"); },
             {{"progtitle", "Site Builder"},
              {"showapptitledlg", "0"},
              {"splashscr", "1"},
              {"welcmsg",
               "Welcome!\\nChoose a project and run its script to build and publish "
               "your web site."}}},
        };
        for (const auto& c : cases) {
            SheetFixture f;
            QVERIFY(f.Ok());
            f.edit = c.edit;
            f.Run(QDialog::Accepted);
            QVERIFY2(f.dialogs.asked.empty(), c.name);
            if (Written(c.keys) != c.keys) {
                QString seen;
                for (const auto& [key, value] : Written(c.keys))
                    seen += QString::fromStdString(key + "=" + value + " ");
                QFAIL(qPrintable(QString(c.name) + ": " + seen));
            }
        }
    }

    void AFreshFileShowsTheDefaultsAndOkWritesEveryKey() {
        SheetFixture f;
        QVERIFY(f.Ok());
        QCOMPARE(f.Edit("166", "1000")->text(), QString("tolvane"));
        QVERIFY(f.Find<QRadioButton>("167", "1022")->isChecked());
        QCOMPARE(f.Find<QSpinBox>("169", "1002")->value(), 3);
        QCOMPARE(f.Edit("180", "1000")->text(), QString("124"));
        QVERIFY(!f.Edit("180", "1000")->isEnabled());
        QVERIFY(!f.Find<QComboBox>("133", "1014")->isEnabled());
        f.Run(QDialog::Accepted);
        const std::string text = f.SettingsText();
        for (const char* key :
             {"texted",          "webb",        "listviewer",  "priority",       "closewin",
              "hidewindow",      "swonerror",   "logen",       "allowmultiinst", "numretry",
              "addressbook",     "isplogon",    "isppassword", "timermon",       "timersun",
              "autopub",         "autopubproj", "ncen",        "ncport",         "numberoftimes",
              "showapptitledlg", "progtitle",   "welcmsg",     "splashscr"})
            QVERIFY2(text.find("\r\n" + std::string(key) + "=") != std::string::npos, key);
    }

    void CancelWritesNothingButThePriorityStays() {
        SheetFixture f;
        QVERIFY(f.Ok());
        const std::string before = f.SettingsText();
        f.edit = [](SheetFixture& s) {
            s.Edit("166", "1000")->setText("/usr/bin/vi");
            s.Find<QRadioButton>("167", "1021")->click();
            s.AddTime("7:05");
        };
        f.Run(QDialog::Rejected);
        QCOMPARE(f.SettingsText(), before);
        QCOMPARE(f.priorities, std::vector<int>{0});
    }

    void ARefusedPriorityIsReported() {
        SheetFixture f;
        QVERIFY(f.Ok());
        f.priorityRefusal = "Unable to set the process priority: Permission denied";
        f.Find<QRadioButton>("167", "1021")->click();
        QCOMPARE(f.dialogs.asked.size(), size_t{1});
        QCOMPARE(f.dialogs.asked[0].text,
                 QString("Unable to set the process priority: Permission denied"));
        QCOMPARE(f.dialogs.asked[0].type, kWarning);
    }

    void AddTimeTakesOnlyValidTimes() {
        SheetFixture f;
        QVERIFY(f.Ok());
        const struct {
            const char* typed;
            bool accepted;
        } cases[] = {
            {"7:05", true},  {"23:59", true},    {" 7:30", true}, {":30", true},
            {"1:", true},    {"24:00", false},   {"7:60", false}, {"7-30", false},
            {"7h30", false}, {"7:30:00", false}, {"730", false},
        };
        QStringList expected;
        for (const auto& c : cases) {
            f.dialogs.asked.clear();
            f.AddTime(c.typed);
            if (c.accepted) {
                expected << c.typed;
                QVERIFY2(f.dialogs.asked.empty(), c.typed);
                QCOMPARE(f.Edit("168", "1000")->text(), QString());
            } else {
                QCOMPARE(f.dialogs.asked.size(), size_t{1});
                QCOMPARE(f.dialogs.asked[0].text,
                         QString("ERROR 36- enter time in the form hh:mm"));
                QCOMPARE(f.dialogs.asked[0].type, kError);
                QCOMPARE(f.Edit("168", "1000")->text(), QString(c.typed));
            }
        }
        f.dialogs.asked.clear();
        f.AddTime("");
        QVERIFY(f.dialogs.asked.empty());
        QCOMPARE(Items(*f.Find<QListWidget>("168", "1011")), expected);
    }

    // Enter in the field of a list's Add button is that button: the sheet stays open with the
    // focus in the field, so the next entry can be typed; OK then saves what the pages hold.
    void EnterInAnAddFieldAddsAndKeepsTheSheetOpen() {
        SheetFixture f;
        QVERIFY(f.Ok());
        const std::string passwords = f.ProgramDir() + "/passwords.txt";
        const std::string before = f.SettingsText();
        f.sheet->activateWindow();
        f.Show("168");
        QLineEdit* time = f.Edit("168", "1000");
        f.Find<QCheckBox>("168", "1005")->setChecked(true);
        const struct {
            const char* typed;
            int asked;
        } times[] = {{"7h30", 1}, {"7:30", 0}, {"18:00", 0}};
        for (const auto& c : times) {
            f.dialogs.asked.clear();
            time->setText(c.typed);
            time->setFocus();
            QTest::keyClick(time, Qt::Key_Return);
            QVERIFY2(f.sheet->isVisible(), c.typed);
            QCOMPARE(f.sheet->result(), 0);
            QCOMPARE(int(f.dialogs.asked.size()), c.asked);
            QCOMPARE(QApplication::focusWidget(), time);
        }
        QCOMPARE(f.dialogs.asked[0].text, QString("ERROR 36- enter time in the form hh:mm"));
        QCOMPARE(time->text(), QString());
        QCOMPARE(Items(*f.Find<QListWidget>("168", "1011")), QStringList({"7:30", "18:00"}));
        QCOMPARE(f.SettingsText(), before);

        f.Show("180");
        f.Find<QCheckBox>("180", "1004")->setChecked(true);
        const struct {
            const char* edit;
            const char* user;
            const char* password;
        } users[] = {{"1002", "ann", "pw1"}, {"1001", "bob", "pw2"}};
        for (const auto& c : users) {
            f.Edit("180", "1001")->setText(c.user);
            f.Edit("180", "1002")->setText(c.password);
            QLineEdit* field = f.Edit("180", c.edit);
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY2(f.sheet->isVisible(), c.user);
            QCOMPARE(QApplication::focusWidget(), field);
            QCOMPARE(f.Edit("180", "1001")->text(), QString());
        }
        QCOMPARE(f.FileText(passwords), std::string("ann pw1\r\nbob pw2\r\n"));
        QCOMPARE(Items(*f.Find<QListWidget>("180", "1011")), QStringList({"ann", "bob"}));

        // Anywhere else Enter is the sheet's OK.
        QLineEdit* port = f.Edit("180", "1000");
        port->setFocus();
        QTest::keyClick(port, Qt::Key_Return);
        QCOMPARE(f.sheet->result(), int(QDialog::Accepted));
        QCOMPARE(g_settings.ReadScheduleTimes(), std::vector<std::string>({"7:30", "18:00"}));
        QCOMPARE(g_settings.GetGlobal(global_key::kWeekdayTimers[1]), 1);
    }

    void DeleteTimeRemovesTheSelectionAndSelectsTheOneBefore() {
        SheetFixture f;
        QVERIFY(f.Ok());
        for (const char* time : {"1:00", "2:00", "3:00"})
            f.AddTime(time);
        auto* list = f.Find<QListWidget>("168", "1011");
        auto* remove = f.Find<QPushButton>("168", "1013");
        remove->click();
        QCOMPARE(list->count(), 3);  // nothing selected
        list->setCurrentRow(2);
        remove->click();
        QCOMPARE(Items(*list), QStringList({"1:00", "2:00"}));
        QCOMPARE(list->currentRow(), 1);
        list->setCurrentRow(0);
        remove->click();
        QCOMPARE(Items(*list), QStringList({"2:00"}));
        QCOMPARE(list->currentRow(), 0);
        f.Run(QDialog::Accepted);
        QCOMPARE(g_settings.ReadScheduleTimes(), std::vector<std::string>{"2:00"});
    }

    void ThePortIsCheckedOnOkAndWhenThePageIsLeft() {
        const struct {
            const char* typed;
            const char* message;
        } cases[] = {
            {"10001", "Please enter an integer between 0 and 10000."},
            {"-1", "Please enter an integer between 0 and 10000."},
            {"abc", "Please enter an integer."},
            {"", "Please enter an integer."},
        };
        for (const auto& c : cases) {
            SheetFixture f;
            QVERIFY(f.Ok());
            const std::string before = f.SettingsText();
            f.Edit("180", "1000")->setText(c.typed);
            f.Show("166");
            f.edit = {};
            f.Run(-1);  // OK stays refused
            QCOMPARE(f.dialogs.asked.size(), size_t{1});
            QCOMPARE(f.dialogs.asked[0].text, QString(c.message));
            QCOMPARE(f.dialogs.asked[0].type, kWarning);
            QCOMPARE(f.CurrentPage(), QString("180"));
            QCOMPARE(f.SettingsText(), before);

            f.dialogs.asked.clear();
            f.Show("169");
            QCOMPARE(f.dialogs.asked.size(), size_t{1});
            QCOMPARE(f.CurrentPage(), QString("180"));
        }
    }

    void ASettingsFileThatCannotBeWrittenIsNamedAndKeepsTheSheetOpen() {
        SheetFixture f;
        QVERIFY(f.Ok());
        for (const UnwritableFile& file : UnwritableSettingsFiles(f.ProgramDir())) {
            f.dialogs.asked.clear();
            g_settings.SetPath(file.path);
            f.Run(-1);
            QCOMPARE(f.dialogs.asked.size(), size_t{1});
            QCOMPARE(f.dialogs.asked[0].text, "The settings file " +
                                                  QString::fromStdString(file.path) +
                                                  " could not be written: " + file.reason + ".");
            QCOMPARE(f.dialogs.asked[0].type, kError);
        }
    }

    void RemoteUsersAreAddedAndRemovedAtOnce() {
        SheetFixture f;
        QVERIFY(f.Ok());
        const std::string passwords = f.ProgramDir() + "/passwords.txt";
        f.Put(passwords, "zed pw\r\nnoblank\r\nAnn pw2");
        f.Reload();
        SheetFixture& s = f;
        auto* check = s.Find<QCheckBox>("180", "1004");
        auto* users = s.Find<QListWidget>("180", "1011");
        QCOMPARE(Items(*users), QStringList({"", "Ann", "zed"}));
        for (const char* id : {"1000", "1001", "1002", "1011", "1013", "1020"})
            QVERIFY2(!s.page("180")->findChild<QWidget*>(id)->isEnabled(), id);
        check->setChecked(true);
        for (const char* id : {"1000", "1001", "1002", "1011", "1013", "1020"})
            QVERIFY2(s.page("180")->findChild<QWidget*>(id)->isEnabled(), id);

        const struct {
            const char* user;
            const char* password;
            const char* message;
        } refused[] = {
            {"  ", "pw", "User must have a username"},
            {"bob", " ", "User must have a password"},
        };
        for (const auto& c : refused) {
            s.dialogs.asked.clear();
            s.Edit("180", "1001")->setText(c.user);
            s.Edit("180", "1002")->setText(c.password);
            s.Find<QPushButton>("180", "1013")->click();
            QCOMPARE(s.dialogs.asked.size(), size_t{1});
            QCOMPARE(s.dialogs.asked[0].text, QString(c.message));
            QCOMPARE(s.dialogs.asked[0].type, kWarning);
        }
        s.dialogs.asked.clear();
        s.Edit("180", "1001")->setText("bob ");
        s.Edit("180", "1002")->setText(" my pw");
        s.Find<QPushButton>("180", "1013")->click();
        QVERIFY(s.dialogs.asked.empty());
        QCOMPARE(s.Edit("180", "1001")->text(), QString());
        QCOMPARE(s.Edit("180", "1002")->text(), QString());
        QCOMPARE(Items(*users), QStringList({"", "Ann", "bob", "zed"}));
        QCOMPARE(s.FileText(passwords),
                 std::string("zed pw\r\nnoblank\r\nAnn pw2\r\nbob my pw\r\n"));

        auto* remove = s.Find<QPushButton>("180", "1020");
        remove->click();
        QVERIFY(s.dialogs.asked.empty());  // nothing selected
        users->setCurrentRow(1);
        s.dialogs.buttons = {kNo};
        remove->click();
        QCOMPARE(s.dialogs.asked.size(), size_t{1});
        QCOMPARE(s.dialogs.asked[0].text, QString("Delete user from the system?"));
        QCOMPARE(s.dialogs.asked[0].type, kYesNoWarning);
        QCOMPARE(Items(*users).size(), 4);
        users->setCurrentRow(1);
        s.dialogs.buttons = {kYes};
        remove->click();
        QCOMPARE(Items(*users), QStringList({"", "bob", "zed"}));
        s.Show("180");
        SaveScreenshot(*s.sheet, "program_settings_network_control");

        // A file of users that cannot be written is named, and what was typed stays.
        g_strProgramDir = f.ProgramDir() + "/blocked";
        // A directory in the file's place, which no one can open for writing.
        std::filesystem::create_directories(g_strProgramDir + "/passwords.txt");
        s.dialogs.asked.clear();
        s.Edit("180", "1001")->setText("carl");
        s.Edit("180", "1002")->setText("pw3");
        s.Find<QPushButton>("180", "1013")->click();
        QCOMPARE(s.dialogs.asked.size(), size_t{1});
        QCOMPARE(s.dialogs.asked[0].text,
                 QString::fromStdString("The remote users file " + g_strProgramDir +
                                        "/passwords.txt could not be written: is a directory."));
        QCOMPARE(s.Edit("180", "1001")->text(), QString("carl"));
        g_strProgramDir = f.ProgramDir();
        s.Run(QDialog::Rejected);
        QCOMPARE(s.FileText(passwords), std::string("zed pw\r\nnoblank\r\nbob my pw\r\n"));
        QCOMPARE(std::filesystem::status(passwords).permissions() & std::filesystem::perms::all,
                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }

    void TheDialupEntriesAreListedWhenThePageIsFirstShown() {
        services_testing::FakeDialupBackend backend;
        backend.active = {"office", "Home DSL", "Mobile"};
        platform::ScopedDialupBackend scope(backend);
        SheetFixture f;
        QVERIFY(f.Ok());
        g_settings.Set(kGlobalSection, global_key::addressbook, "Gone");
        f.Reload();
        f.Show("169");
        auto* combo = f.Find<QComboBox>("169", "1014");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QString("Home DSL"));
        QCOMPARE(combo->itemText(1), QString("Mobile"));
        QCOMPARE(combo->itemText(2), QString("office"));
        QCOMPARE(combo->currentText(), QString("Gone"));
        QVERIFY(f.dialogs.asked.empty());

        platform::NoDialupBackend none;
        platform::ScopedDialupBackend noService(none);
        SheetFixture g;
        QVERIFY(g.Ok());
        g.Show("169");
        QCOMPARE(g.dialogs.asked.size(), size_t{1});
        QCOMPARE(g.dialogs.asked[0].text, QString("ERROR 61- dial-up networking error."));
        QCOMPARE(g.dialogs.asked[0].type, kError);
        g.Show("166");
        g.Show("169");
        QCOMPARE(g.dialogs.asked.size(), size_t{1});  // once per sheet
    }

    void EveryPageHasItsScreenshotAndTooltips() {
        services_testing::FakeDialupBackend backend;
        backend.active = {"Home DSL"};
        platform::ScopedDialupBackend scope(backend);
        SheetFixture f;
        QVERIFY(f.Ok());
        f.AddTime("7:30");
        f.AddTime("18:00");
        QCOMPARE(f.Find<QCheckBox>("167", "1004")->toolTip(),
                 QString("If cleared, only File/Exit will shut program down"));
        QCOMPARE(f.Find<QRadioButton>("167", "1023")->toolTip(),
                 QString("Quarn Pro only uses idle processor time"));
        QCOMPARE(f.Find<QPushButton>("166", "1013")->toolTip(), QString("Browse for file"));
        auto* tabs = f.sheet->findChild<QTabWidget*>("tabs");
        QStringList titles;
        for (int index = 0; index < tabs->count(); ++index) {
            titles << tabs->tabText(index);
            tabs->setCurrentIndex(index);
            SaveScreenshot(*f.sheet, "program_settings_" + tabs->widget(index)->objectName());
        }
        QCOMPARE(titles,
                 QStringList({"Auto-Publish Project", "Auto-Publish Schedule", "Connection Details",
                              "Helper Applications", "Program Behaviour", "Network Control"}));
        QCOMPARE(f.sheet->windowTitle(), QString("Program Settings"));
    }

    void TheCommandOpensTheSheetAndOkRetitlesTheWindow() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        QAction* command = quarn.frame->Command(frame_command::kProgramSettings);
        QVERIFY(command->isEnabled());
        QTimer::singleShot(0, [] {
            auto* sheet = qobject_cast<CIPropSheet2*>(QApplication::activeModalWidget());
            QVERIFY(sheet != nullptr);
            sheet->findChild<QWidget*>("196")->findChild<QLineEdit*>("1000")->setText("Sites");
            sheet->accept();
        });
        command->trigger();
        QCOMPARE(quarn.frame->windowTitle(), QString("Sites"));
        QCOMPARE(g_strProgramTitle.Get(), std::string("Sites"));
        QCOMPARE(g_settings.GetGlobal(global_key::progtitle), std::string("Sites"));
    }

    void OkSetsTheEventLogCommandAtOnceAndCancelLeavesIt() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        QAction* sheetCommand = quarn.frame->Command(frame_command::kProgramSettings);
        QAction* eventLog = quarn.frame->Command(frame_command::kEventLog);
        const struct {
            bool logen;
            bool ok;
            bool enabled;  // the event log command afterwards
        } cases[] = {{false, false, true}, {false, true, false}, {true, true, true}};
        for (const auto& c : cases) {
            QTimer::singleShot(0, [c] {
                auto* sheet = qobject_cast<CIPropSheet2*>(QApplication::activeModalWidget());
                QVERIFY(sheet != nullptr);
                sheet->findChild<QWidget*>("167")->findChild<QCheckBox*>("1007")->setChecked(
                    c.logen);
                c.ok ? sheet->accept() : sheet->reject();
            });
            sheetCommand->trigger();
            QCOMPARE(eventLog->isEnabled(), c.enabled);
        }
    }
};

QUARN_QT_TEST(UiProgramSettingsTest)
#include "program_settings_sheet_test.moc"
