// The System Event Log window on a log of several projects and dates, malformed lines and a huge
// file: what each filter shows, the filters kept across openings, and Reset Log.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "platform/clock.h"
#include "quarn/app/ui/event_log_dlg.h"
#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/event_log.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"

namespace {

constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kYesNoWarning = 4 | 48;

std::time_t g_now = 0;

std::time_t LocalTime(int year, int month, int day, int hour, int minute) {
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = hour;
    date.tm_min = minute;
    date.tm_isdst = -1;
    return std::mktime(&date);
}

// The engine's clock stands at g_now while it lives.
class FixedClock {
public:
    explicit FixedClock(std::time_t now) {
        g_now = now;
        m_previous = platform::SetTimeSource([] { return g_now; });
    }
    ~FixedClock() { platform::SetTimeSource(m_previous); }

private:
    platform::TimeSource m_previous;
};

QStringList Rows(const CEventLogDlg& dialog) {
    const auto* list = dialog.findChild<QTreeWidget*>("1017");
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join('|');
    }
    return rows;
}

// Once events are handled, `opened` names the modal window then open ("none" without one), which
// is closed.
void CloseNextModal(QString& opened) {
    opened = "none";
    QTimer::singleShot(0, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->objectName();
            modal->close();
        }
    });
}

void SetBox(CEventLogDlg& dialog, const char* id, bool checked) {
    auto* box = dialog.findChild<QCheckBox*>(id);
    if (box->isChecked() != checked) box->click();
}

}  // namespace

class UiEventLogTest : public QObject {
    Q_OBJECT
private slots:
    void FiltersShowTheExactRowsAndAreKept() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const FixedClock clock(LocalTime(2024, 5, 10, 14, 30));
        std::string log;
        const auto add = [&](int daysBack, const char* project, const char* text) {
            log += EventLogLine(g_now - daysBack * 86400 - 3600, project, text);
        };
        add(0, "default", "Script execution complete.");
        add(1, "my web site", "ERROR 77- Database error");
        add(4, "shop", "ERROR 29- Network error");
        add(5, "shop", "ERROR 26- Logon failed");
        add(9, "default", "error in lower case only");
        log += "not a log line\r\n";
        log += "05/09/24 08:00:00  <shop> ERROR without line end";
        quarn.PutFile(EventLogPath(), log);

        CEventLogDlg dialog(quarn.frame.get(), quarn.dialogs);
        QCOMPARE(dialog.windowTitle(), QString("Quarn Pro"));
        QCOMPARE(dialog.findChild<QTreeWidget*>("1017")->toolTip(), QString("Quarn Pro event log"));
        QCOMPARE(dialog.findChild<QPushButton*>("1012")->toolTip(),
                 QString("Delete Quarn Pro log file"));
        const QStringList all = {
            "05/10/24|13:30:00|default|Script execution complete.",
            "05/09/24|13:30:00|my web site|ERROR 77- Database error",
            "05/06/24|13:30:00|shop|ERROR 29- Network error",
            "05/05/24|13:30:00|shop|ERROR 26- Logon failed",
            "05/01/24|13:30:00|default|error in lower case only",
            "not|||",
            "05/09/24|08:00:00|shop|ERROR without line end",
        };
        QCOMPARE(Rows(dialog), all);
        const struct {
            bool errorsOnly;
            bool lastFiveDays;
            QList<int> rows;
        } cases[] = {
            {true, false, {1, 2, 3, 6}},
            {false, true, {0, 1, 2, 6}},
            {true, true, {1, 2, 6}},
            {false, false, {0, 1, 2, 3, 4, 5, 6}},
        };
        for (const auto& c : cases) {
            SetBox(dialog, "1004", c.errorsOnly);
            SetBox(dialog, "1005", c.lastFiveDays);
            QStringList expected;
            for (int row : c.rows)
                expected << all[row];
            QCOMPARE(Rows(dialog), expected);
        }
        SetBox(dialog, "1004", true);
        SaveScreenshot(dialog, "event_log_window");
        dialog.accept();
        QCOMPARE(g_settings.GetGlobal(global_key::logfilt), 1);
        QCOMPARE(g_settings.GetGlobal(global_key::logfiltd), 0);

        CEventLogDlg again(quarn.frame.get(), quarn.dialogs);
        QVERIFY(again.findChild<QCheckBox*>("1004")->isChecked());
        QVERIFY(!again.findChild<QCheckBox*>("1005")->isChecked());
        QCOMPARE(Rows(again).size(), 4);
        SetBox(again, "1005", true);
        again.reject();  // Esc and the close box keep the filters too
        QCOMPARE(g_settings.GetGlobal(global_key::logfiltd), 1);
    }

    void AHugeLogIsListedWhole() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const FixedClock clock(LocalTime(2024, 5, 10, 14, 30));
        constexpr int kLines = 200000;
        std::string log;
        log.reserve(kLines * 64);
        int errors = 0;
        for (int i = 0; i < kLines; ++i) {
            const bool error = i % 5 == 0;
            errors += error;
            log += EventLogLine(g_now - (i % 3) * 86400, "project " + std::to_string(i % 4),
                                error ? "ERROR 29- Network error" : "Script execution complete.");
        }
        quarn.PutFile(EventLogPath(), log);
        CEventLogDlg dialog(quarn.frame.get(), quarn.dialogs);
        auto* list = dialog.findChild<QTreeWidget*>("1017");
        QCOMPARE(list->topLevelItemCount(), kLines);
        QCOMPARE(list->topLevelItem(kLines - 1)->text(2), QString("project 3"));
        SetBox(dialog, "1004", true);
        QCOMPARE(list->topLevelItemCount(), errors);
        QCOMPARE(list->topLevelItem(errors - 1)->text(2), QString("project %1").arg(199995 % 4));
    }

    void ItOpensAtTheNewestEntry() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const FixedClock clock(LocalTime(2024, 5, 10, 14, 30));
        std::string log;
        for (int i = 0; i < 80; ++i)
            log +=
                EventLogLine(g_now - (80 - i) * 60, "default",
                             i % 2 == 0 ? "ERROR 29- Network error" : "Script execution complete.");
        quarn.PutFile(EventLogPath(), log);
        CEventLogDlg dialog(quarn.frame.get(), quarn.dialogs);
        auto* list = dialog.findChild<QTreeWidget*>("1017");
        dialog.show();
        const auto newestInView = [list] {
            const QTreeWidgetItem* newest = list->topLevelItem(list->topLevelItemCount() - 1);
            return list->verticalScrollBar()->value() > 0 &&
                   list->viewport()->rect().contains(list->visualItemRect(newest));
        };
        QTRY_VERIFY(newestInView());
        SaveScreenshot(dialog, "event_log_newest");
        SetBox(dialog, "1004", true);  // errors only: the newest error
        QTRY_VERIFY(newestInView());
    }

    void ResetLogAsksAndDeletesTheFile() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        quarn.PutFile(EventLogPath(),
                      "05/10/24 12:00:00  <default> Script execution complete.\r\n");
        CEventLogDlg dialog(quarn.frame.get(), quarn.dialogs);
        auto* reset = dialog.findChild<QPushButton*>("1012");
        quarn.dialogs.asked.clear();
        quarn.dialogs.buttons = {kNo};
        reset->click();
        QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
        QCOMPARE(quarn.dialogs.asked[0].text,
                 QString("Are you sure you want to delete the contents of the log file?"));
        QCOMPARE(quarn.dialogs.asked[0].type, kYesNoWarning);
        QVERIFY(std::filesystem::exists(EventLogPath()));
        QCOMPARE(Rows(dialog).size(), 1);

        quarn.dialogs.buttons = {kYes, kYes};
        reset->click();
        QVERIFY(!std::filesystem::exists(EventLogPath()));
        QVERIFY(Rows(dialog).isEmpty());
        reset->click();  // a missing file: nothing to see
        QVERIFY(Rows(dialog).isEmpty());
    }

    void TheCommandOpensTheWindowWhenLoggingIsOnAndIdle() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        QAction* command = quarn.frame->Command(frame_command::kEventLog);
        QVERIFY(command->isEnabled());
        QString opened;
        CloseNextModal(opened);
        command->trigger();
        QCOMPARE(opened, QString("147"));

        // While a job holds the project the command does nothing.
        {
            ProjectLockHolder job;
            CloseNextModal(opened);
            command->trigger();
            QTest::qWait(50);
        }
        QCOMPARE(opened, QString("none"));

        g_settings.Set(kGlobalSection, global_key::logen, 0);
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_IDLE, 0);
        QTRY_VERIFY(!command->isEnabled());
        g_settings.Set(kGlobalSection, global_key::logen, 1);
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_BUSY, 0);
        QTRY_VERIFY(!quarn.frame->IsIdle());
        QVERIFY(!command->isEnabled());
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_IDLE, 0);
        QTRY_VERIFY(command->isEnabled());
    }
};

QUARN_QT_TEST(UiEventLogTest)
#include "event_log_window_test.moc"
