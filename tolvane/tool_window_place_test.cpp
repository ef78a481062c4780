// Where the frame and the tool windows open. Offscreen windows have no frames; under a window
// manager the frames count in the sizes, so windows placed side by side do not overlap.

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "tolvane/tolvane_test_support.h"
#include "tolvane/tool_windows.h"

namespace {

struct Places {
    QRect frame, functions, tags;
};

Places PlacesOf(const CMainFrame& frame) {
    return {frame.frameGeometry(), frame.ScriptFuncWnd()->frameGeometry(),
            frame.HtmlTagsWnd()->frameGeometry()};
}

// The three windows shown, once the window manager has framed them; sizes are mended by events
// of their own, which the callers wait for.
Places ShownPlaces(CMainFrame& frame) {
    frame.show();
    frame.NewDocument();
    QWidget* windows[] = {&frame, frame.ScriptFuncWnd(), frame.HtmlTagsWnd()};
    [&] {
        for (QWidget* window : windows) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            if (QGuiApplication::platformName() == QStringLiteral("xcb"))
                QTRY_VERIFY(window->frameGeometry().height() > window->height());
        }
    }();
    QTest::qWait(0);
    return PlacesOf(frame);
}

QRect Screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

}  // namespace

class UiToolWindowPlaceTest : public QObject {
    Q_OBJECT
private slots:
    // 540 x 450 centred, or further right where the tool windows need the room; 222 high each,
    // one width, 4 pixels left of the frame, one 226 pixels below the other; all whole on the
    // screen.
    void FirstStartShowsEveryWindowWholeBesideTheFrame() {
        TolvaneFixture f;
        const Places p = ShownPlaces(f.Frame());
        const QRect screen = Screen();
        QTRY_COMPARE(f.Frame().frameGeometry().size(), QSize(540, 450));
        QTRY_COMPARE(f.Frame().ScriptFuncWnd()->frameGeometry().height(), 222);
        QTRY_COMPARE(f.Frame().HtmlTagsWnd()->frameGeometry().height(), 222);
        QCOMPARE(p.frame.top(), screen.top() + (screen.height() - 450) / 2);
        QVERIFY(p.frame.left() >= screen.left() + (screen.width() - 540) / 2);
        for (const QRect& window : {p.frame, p.functions, p.tags})
            QVERIFY2(screen.contains(window), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                             .arg(window.x())
                                                             .arg(window.y())
                                                             .arg(window.width())
                                                             .arg(window.height())));
        QCOMPARE(p.functions.right() + 1 + 4, p.frame.left());
        QCOMPARE(p.tags.left(), p.functions.left());
        QCOMPARE(p.tags.width(), p.functions.width());
        QCOMPARE(p.functions.top(), p.frame.top());
        QCOMPARE(p.tags.top(), p.frame.top() + 226);
        QVERIFY(!p.functions.intersects(p.tags));
        QVERIFY(!p.functions.intersects(p.frame));
        fixtures::SaveScreenScreenshot(QStringLiteral("tolvane_first_start"));
    }

    // Places written at close come back whole at the next start; a place off the screen (a
    // smaller screen since) comes back on it.
    void StoredPlacesComeBackAndOffScreenOnesOnTheScreen() {
        TolvaneFixture first;
        Places before;
        {
            CMainFrame& frame = first.Frame();
            ShownPlaces(frame);
            frame.ScriptFuncWnd()->move(Screen().topLeft() + QPoint(10, 30));
            QTRY_COMPARE(frame.ScriptFuncWnd()->pos(), Screen().topLeft() + QPoint(10, 30));
            before = PlacesOf(frame);
            QVERIFY(frame.close());
        }
        QCOMPARE(first.settings.GetInt("tolvane", "sfwindowy1", -1), before.functions.height());
        TolvaneFixture second(first.File("Quarn.ini"));
        ShownPlaces(second.Frame());
        QTRY_COMPARE(second.Frame().frameGeometry(), before.frame);
        QTRY_COMPARE(second.Frame().ScriptFuncWnd()->frameGeometry(), before.functions);
        QTRY_COMPARE(second.Frame().HtmlTagsWnd()->frameGeometry(), before.tags);

        TolvaneFixture moved;
        for (const auto& [key, value] :
             {std::pair{"sfwindowx2", -500}, {"sfwindowy2", 40}, {"htwindowy2", 50000}})
            QVERIFY(moved.settings.WriteInt("tolvane", key, value));
        ShownPlaces(moved.Frame());
        const QRect screen = Screen();
        QTRY_COMPARE(moved.Frame().ScriptFuncWnd()->frameGeometry().left(), screen.left());
        QCOMPARE(moved.Frame().ScriptFuncWnd()->frameGeometry().top(), 40);
        QTRY_COMPARE(moved.Frame().HtmlTagsWnd()->frameGeometry().bottom(), screen.bottom());
    }
};

QUARN_QT_TEST(UiToolWindowPlaceTest)
#include "tool_window_place_test.moc"
