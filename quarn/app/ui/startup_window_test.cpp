// What start-up adds to the main window: a later start brings it forward, hidewindow sends it to
// the tray once it shows, and the two start-up prompts.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>

#include "platform/instance_channel.h"
#include "quarn/app/readme_offer.h"
#include "quarn/app/startup.h"
#include "quarn/app/ui/instance_watch.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/startup_dlgs.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

bool ShownInFront(const CMainFrame& frame) {
    return frame.isVisible() && !frame.isMinimized();
}

// The texts of `dialog`'s labels, in order.
QStringList Texts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

}  // namespace

class UiStartupTest : public QObject {
    Q_OBJECT
private slots:
    void ALaterStartBringsTheWindowBackToTheFront() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        fixtures::TempDir runtime("quarn_runtime");
        const std::string path = InstanceChannelPath(runtime.Path());
        platform::InstanceChannel channel;
        std::string error;
        QVERIFY2(channel.Listen(path, &error), error.c_str());
        const auto watch = BringForwardOnRequest(channel, frame);

        frame.HideToTray();
        QVERIFY(!ShownInFront(frame));
        QVERIFY2(platform::InstanceChannel::AskToShow(path, &error), error.c_str());
        QTRY_VERIFY(ShownInFront(frame));
        QVERIFY(frame.IsShown());
    }

    void HideWindowSendsTheWindowToTheTrayOnceItShows() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        g_settings.Set(kGlobalSection, global_key::hidewindow, 1);
        frame.hide();
        QVERIFY(!frame.IsShown());
        // A task thread of its own, since the fixture's has started already; both post to the
        // window's queue.
        Ctaskthread starting(quarn.queue);
        std::atomic<int> looks{0};
        starting.HideWindowOnceShown([&] {
            ++looks;
            return frame.IsShown();
        });
        std::string error;
        QVERIFY2(starting.Start(&error), error.c_str());
        QTRY_VERIFY(looks > 1);
        QVERIFY2(!frame.isVisible(), "still waiting for the window");
        frame.show();
        QVERIFY(frame.IsShown());
        QTRY_VERIFY(!ShownInFront(frame));
        starting.RequestStop();
        starting.Join();
    }

    void TheReadmePromptViewsTheReadmeAndCanBeSilenced() {
        const struct {
            const char* button;
            bool tick;
            bool viewed;
            int readmeAfter;
        } kCases[] = {
            {"1", true, true, 0},
            {"1", false, true, 1},
            {"2", true, false, 0},
            {"2", false, false, 1},
        };
        for (const auto& c : kCases) {
            WindowFixture quarn;
            QVERIFY(quarn.Ok());
            bool seen = false;
            QTimer::singleShot(0, [&] {
                auto* prompt = qobject_cast<CReadmeDlg*>(QApplication::activeModalWidget());
                if (prompt == nullptr) return;
                seen = true;
                QCOMPARE(prompt->objectName(), QString("161"));
                QCOMPARE(prompt->windowTitle(), QString("Quarn"));
                const QStringList texts = {
                    "Walked-through examples are provided in \"readme.txt\" to help you "
                    "evaluate this software.",
                    "View readme now?"};
                QCOMPARE(Texts(*prompt), texts);
                auto* box = prompt->findChild<QCheckBox*>("1004");
                QVERIFY(box != nullptr);
                QCOMPARE(box->text(), QString("Don't show me this message again"));
                QCOMPARE(prompt->findChild<QPushButton*>("1")->text(), QString("YES"));
                QCOMPARE(prompt->findChild<QPushButton*>("2")->text(), QString("NO"));
                if (c.tick && c.viewed) SaveScreenshot(*prompt, "readme_prompt");
                box->setChecked(c.tick);
                prompt->findChild<QPushButton*>(c.button)->click();
            });
            OfferReadme(quarn.frame.get(), quarn.launcher);
            QVERIFY2(seen, c.button);
            QCOMPARE(quarn.launcher.launched.size(), std::size_t(c.viewed ? 1 : 0));
            if (c.viewed) {
                const LaunchCommand expected{"xdg-open", {g_strProgramDir + "/readme.txt"}, {}};
                QVERIFY(quarn.launcher.launched[0] == expected);
            }
            QCOMPARE(g_settings.GetGlobal(global_key::readme), c.readmeAfter);
        }
    }

    void TheReadmeIsNotOfferedOnceSilenced() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        g_settings.Set(kGlobalSection, global_key::readme, 0);
        bool asked = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                asked = true;
                modal->close();
            }
        });
        OfferReadme(quarn.frame.get(), quarn.launcher);
        QCoreApplication::processEvents();
        QVERIFY(!asked);
        QVERIFY(quarn.launcher.launched.empty());
    }

    void TheAlreadyRunningNoticeSaysSoUnderTheProgramTitle() {
        g_strProgramTitle.Set("Quarn Pro");
        CAlreadyRunningDlg notice(nullptr);
        notice.show();
        QCOMPARE(notice.objectName(), QString("137"));
        QCOMPARE(notice.windowTitle(), QString("Quarn Pro"));
        QCOMPARE(Texts(notice),
                 QStringList{"You have tried to run the program when it is already running. To "
                             "activate the program window, double-click on the program icon in "
                             "the panel's notification area (system tray)."});
        auto* ok = notice.findChild<QPushButton*>("1");
        QVERIFY(ok != nullptr);
        QCOMPARE(ok->text(), QString("OK"));
        SaveScreenshot(notice, "already_running");
        ok->click();
        QVERIFY(!notice.isVisible());
    }
};

QUARN_QT_TEST(UiStartupTest)
#include "startup_window_test.moc"
