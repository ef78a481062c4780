// The saved places of the main window and the Project Scripts window under a real window manager,
// which frames a window after it is placed: start, close and re-open the Project Scripts window,
// exit, again and again, and every saved key stays what the first start read.

#include <QAction>
#include <QGuiApplication>
#include <QTest>
#include <map>

#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/project_scripts_dlg.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"

namespace {

using Keys = std::map<std::string, int>;

const IntKey kPlaceKeys[] = {global_key::windowx,    global_key::windowy,    global_key::windowx2,
                             global_key::windowy2,   global_key::pswindowx1, global_key::pswindowy1,
                             global_key::pswindowx2, global_key::pswindowy2};

Keys SavedPlaces() {
    Keys keys;
    for (const IntKey& key : kPlaceKeys)
        keys[std::string(key.name)] = g_settings.GetGlobal(key);
    return keys;
}

bool Framed(const QWidget& window) {
    return window.frameGeometry().height() > window.geometry().height();
}

}  // namespace

class UiWindowPlaceDesktopTest : public QObject {
    Q_OBJECT
private slots:
    void SavedPlacesStayTheSameOverRestarts() {
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        QVERIFY(quarn.frame->ExitProgram());
        const Keys start{{"windowx", 640},    {"windowy", 420},    {"windowx2", 300},
                         {"windowy2", 200},   {"pswindowx1", 170}, {"pswindowy1", 320},
                         {"pswindowx2", 297}, {"pswindowy2", 352}};
        for (const IntKey& key : kPlaceKeys)
            g_settings.Set(kGlobalSection, key, start.at(std::string(key.name)));
        g_settings.Set(kGlobalSection, global_key::pswindowvis, 1);

        for (int run = 1; run <= 3; ++run) {
            quarn.frame = std::make_unique<CMainFrame>(quarn.queue, quarn.tasks, quarn.dialogs,
                                                       quarn.launcher, quarn.tray);
            CMainFrame& frame = *quarn.frame;
            CProjectScriptsDlg& scripts = *frame.ScriptsWindow();
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            QTRY_VERIFY(Framed(frame) && Framed(scripts));
            // Closed with its close box and shown again from the View menu.
            scripts.reject();
            QVERIFY(!scripts.isVisible());
            frame.Command(frame_command::kShowScripts)->trigger();
            QVERIFY(QTest::qWaitForWindowExposed(&scripts));
            QTRY_VERIFY(Framed(scripts));
            if (run == 3) SaveScreenshot(scripts, "project_scripts_desktop");
            QVERIFY(frame.ExitProgram());
            for (const auto& [key, value] : SavedPlaces())
                QVERIFY2(value == start.at(key), qPrintable(QString("run %1: %2 = %3, not %4")
                                                                .arg(run)
                                                                .arg(QString::fromStdString(key))
                                                                .arg(value)
                                                                .arg(start.at(key))));
        }
    }
};

QUARN_QT_TEST(UiWindowPlaceDesktopTest)
#include "window_place_desktop_test.moc"
