// The Program Settings sheet's OK while a job holds the project and writes its own keys, and the
// scheduler ticks on a fixed clock: whoever reads the timetable under g_csSchedule sees the old
// one or the new one whole, the settings file is always a whole file, and no write is lost.

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "quarn/app/publish_scheduler_thread.h"
#include "quarn/app/ui/program_settings_test_support.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

struct Timetable {
    std::vector<std::string> times;  // as the keys hold them: sorted
    std::array<int, 7> days{};
    bool operator==(const Timetable&) const = default;
};

const Timetable kOld{{"1:00", "2:00", "3:00"}, {1, 0, 1, 0, 0, 0, 0}};
const Timetable kNew{{"0:30", "4:00", "5:00", "6:00", "7:00"}, {0, 1, 0, 1, 0, 1, 1}};
// kNew's times in the order they are typed.
const char* const kNewTyped[] = {"7:00", "0:30", "6:00", "4:00", "5:00"};

// The scheduler's way of reading the timetable.
Timetable ReadTimetable() {
    std::lock_guard schedule(g_csSchedule);
    Timetable timetable;
    timetable.times = g_settings.ReadScheduleTimes();
    for (std::size_t day = 0; day < 7; ++day)
        timetable.days[day] = g_settings.GetGlobal(global_key::kWeekdayTimers[day]);
    return timetable;
}

// Monday, 7 December 2026, 12:00 local time.
std::atomic<std::time_t> g_monday{0};
std::time_t MondayNoon() {
    return g_monday.load();
}

class CCountingPoster : public ITaskPoster {
public:
    void PostJob(TaskJob) override {
        std::lock_guard lock(m_mutex);
        ++m_count;
        m_posted.notify_all();
    }
    bool WaitForJob() {
        std::unique_lock lock(m_mutex);
        return m_posted.wait_for(lock, std::chrono::seconds(20), [this] { return m_count > 0; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    int m_count = 0;
};

}  // namespace

class UiProgramSettingsScheduleTest : public QObject {
    Q_OBJECT
private slots:
    void OkWhileAJobRunsAndTheSchedulerTicks() {
        SheetFixture f;
        QVERIFY(f.Ok());
        std::tm monday{};
        monday.tm_year = 2026 - 1900;
        monday.tm_mon = 11;
        monday.tm_mday = 7;
        monday.tm_hour = 12;
        monday.tm_isdst = -1;
        g_monday = std::mktime(&monday);
        const platform::TimeSource savedClock = platform::SetTimeSource(MondayNoon);

        ProgramSettingsValues values = LoadProgramSettings();
        values.autopub = 1;
        values.times = kOld.times;
        values.weekdays = kOld.days;
        std::string message;
        QVERIFY2(SaveProgramSettings(values, &message), message.c_str());
        const std::string path = g_settings.Path();

        CCountingPoster poster;
        CPublishSchedulerThread scheduler(poster, std::chrono::milliseconds(1));
        QVERIFY(scheduler.Start());
        QVERIFY2(poster.WaitForJob(), "the scheduler never published on the old timetable");

        std::atomic<bool> stop{false};
        std::atomic<int> reads{0}, halfTimetables{0}, tornFiles{0};
        std::thread observer([&] {
            while (!stop) {
                const Timetable seen = ReadTimetable();
                if (seen != kOld && seen != kNew) ++halfTimetables;
                const std::optional<std::string> text = fixtures::ReadTextFile(path);
                if (!text || !text->starts_with("[global]\r\n") || !text->ends_with("\r\n") ||
                    text->find("\r\nsplashscr=") == std::string::npos)
                    ++tornFiles;
                ++reads;
            }
        });
        // A job: it holds the project throughout and writes its project's keys as it goes.
        ProjectLockHolder job;
        std::atomic<int> jobWrites{0};
        std::thread jobWriter([&] {
            while (!stop) {
                g_settings.Set("default", project_key::htmltop,
                               "page" + std::to_string(jobWrites.load()) + ".html");
                ++jobWrites;
            }
        });

        for (int round = 0; round < 6; ++round) {
            const bool toNew = round % 2 == 0;
            f.Reload();
            auto* list = f.Find<QListWidget>("168", "1011");
            while (list->count() > 0) {
                list->setCurrentRow(0);
                f.Find<QPushButton>("168", "1013")->click();
            }
            if (toNew) {
                for (const char* time : kNewTyped)
                    f.AddTime(time);
            } else {
                for (const std::string& time : kOld.times)
                    f.AddTime(QString::fromStdString(time));
            }
            const Timetable& target = toNew ? kNew : kOld;
            for (int day = 0; day < 7; ++day)
                f.Find<QCheckBox>("168", std::to_string(1004 + day).c_str())
                    ->setChecked(target.days[day] != 0);
            f.Run(QDialog::Accepted);
            QVERIFY(f.dialogs.asked.empty());
            QCOMPARE(ReadTimetable(), target);
        }
        stop = true;
        observer.join();
        jobWriter.join();
        job.Release();
        scheduler.Stop();
        platform::SetTimeSource(savedClock);

        QVERIFY(reads > 0);
        QCOMPARE(halfTimetables.load(), 0);
        QCOMPARE(tornFiles.load(), 0);
        QCOMPARE(g_settings.Get("default", project_key::htmltop),
                 "page" + std::to_string(jobWrites.load() - 1) + ".html");
        QCOMPARE(ReadTimetable(), kOld);
        QCOMPARE(g_settings.GetGlobal(global_key::autopub), 1);
    }
};

QUARN_QT_TEST(UiProgramSettingsScheduleTest)
#include "program_settings_schedule_test.moc"
