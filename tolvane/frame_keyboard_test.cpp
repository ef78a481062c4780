// Where the keyboard goes after the frame's commands: the same cases run offscreen and under a real
// window manager, where each tool window is a top-level window of its own.

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "shared/widgets/toolbar_ex.h"
#include "tests/fixtures/x_input.h"
#include "tolvane/edit_view.h"
#include "tolvane/tolvane_test_support.h"
#include "tolvane/tool_windows.h"

namespace {

// Under the desktop session the X server's input, as a person's: the window manager sees it and
// focus follows it. Offscreen Qt Test's, through the windows.
bool RealInput() {
    return QGuiApplication::platformName() == QStringLiteral("xcb") && fixtures::HasXInput();
}

// Keys as the window system delivers them: to the window that has the focus.
void TypeIntoFocusWindow(const char* keys) {
    if (RealInput()) {
        QVERIFY(fixtures::XType(keys));
        return;
    }
    for (const char* key = keys; *key != '\0'; ++key) {
        QWindow* window = QGuiApplication::focusWindow();
        QVERIFY(window);
        QTest::keyClick(window, *key);
    }
}

// The frame is the window with the focus, and `view` is its focus widget.
void ExpectKeyboardIn(CMainFrame& frame, CEdView* view) {
    QTRY_COMPARE(QGuiApplication::focusWindow(), frame.windowHandle());
    QTRY_COMPARE(QApplication::focusWidget(), view);
    // The window manager gives the X server's focus after the program learns of it.
    if (RealInput()) QTRY_COMPARE(fixtures::XFocusWindow(), frame.winId());
}

// Real input arrives in its own time: once the insert shows as `inserted`, the keyboard is in the
// view and `keys` typed then make `typed`.
void TypeAfterTheInsert(CMainFrame& frame, CEdView* view, const QString& inserted, const char* keys,
                        const QString& typed) {
    QTRY_COMPARE(view->toPlainText(), inserted);
    ExpectKeyboardIn(frame, view);
    TypeIntoFocusWindow(keys);
    QTRY_COMPARE(view->toPlainText(), typed);
}

void DoubleClick(CToolListWnd* tool, const QString& text) {
    QListWidget* list = tool->List();
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    list->scrollToItem(found[0]);
    QCoreApplication::processEvents();
    const QPoint centre = list->visualItemRect(found[0]).center();
    if (RealInput()) {
        const QPoint global = list->viewport()->mapToGlobal(centre);
        QVERIFY(fixtures::XClick(global.x(), global.y(), 2));
        return;
    }
    // Through the window, as the window system delivers a double-click: press, release, press.
    QTest::mouseDClick(tool->windowHandle(), Qt::LeftButton, {},
                       list->viewport()->mapTo(tool, centre));
}

QAction* Entry(const QList<QAction*>& actions, const QString& text) {
    for (QAction* action : actions) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// The menu opened by the entry `text` of `actions`, null without one.
QMenu* SubMenu(const QList<QAction*>& actions, const QString& text) {
    QAction* entry = Entry(actions, text);
    return entry == nullptr ? nullptr : entry->menu();
}

QMenu* WindowMenu(CMainFrame& frame) {
    return SubMenu(frame.menuBar()->actions(), QStringLiteral("&Window"));
}

// Qt counts a tool window as active while its owner is, so waiting for "active" returns at once;
// the window manager may then still be on its way to focusing it, and a click or key sent meanwhile
// lands before the focus moves. Wait until the tool window itself has the keyboard.
void ActivateToolWindow(CToolListWnd* tool) {
    QVERIFY(tool->isVisible());
    // Once framed, it is given its outer size (222 high by default), and its list fills it once
    // the window system has confirmed that size: the list must not shrink between finding an entry
    // and clicking it.
    if (RealInput()) QTRY_VERIFY(tool->frameGeometry().height() > tool->height());
    QTRY_COMPARE(tool->frameGeometry().height(), 222);
    QTRY_COMPARE(tool->List()->height(), tool->height());
    tool->activateWindow();
    QTRY_COMPARE(QGuiApplication::focusWindow(), tool->windowHandle());
    if (RealInput()) QTRY_COMPARE(fixtures::XFocusWindow(), tool->winId());
}

// A left click at `local` in `widget`: under the desktop session where a person would click,
// offscreen through its window, as the window system delivers it.
void ClickAt(QWidget* widget, const QPoint& local) {
    QVERIFY(widget && widget->isVisible());
    if (RealInput()) {
        const QPoint global = widget->mapToGlobal(local);
        QVERIFY(fixtures::XClick(global.x(), global.y()));
        return;
    }
    QWidget* window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(window, local));
}

// A click on the entry `text` of an open menu or of the menu bar.
template <typename Menu>
void ClickMenuEntry(Menu* menu, const QString& text) {
    QAction* entry = Entry(menu->actions(), text);
    QVERIFY2(entry, qPrintable(text));
    ClickAt(menu, menu->actionGeometry(entry).center());
}

QStringList DocumentEntries(QMenu* menu) {
    QStringList entries;
    for (QAction* action : menu->actions()) {
        if (action->isCheckable())
            entries << action->text() + (action->isChecked() ? QStringLiteral(" *") : QString());
    }
    return entries;
}

}  // namespace

class UiFrameKeyboardTest : public QObject {
    Q_OBJECT
private slots:
    // A double-click in a tool window inserts, and what is typed next goes into the document.
    void TypingAfterAToolWindowInsertReachesTheDocument() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = frame.NewDocument();
        QVERIFY(QTest::qWaitForWindowActive(&frame));

        ActivateToolWindow(frame.ScriptFuncWnd());
        DoubleClick(frame.ScriptFuncWnd(), QStringLiteral("&sql()"));
        TypeAfterTheInsert(frame, view, QStringLiteral("&sql()"), "x", QStringLiteral("&sql(x)"));

        view->moveCursor(QTextCursor::End);
        ActivateToolWindow(frame.HtmlTagsWnd());
        DoubleClick(frame.HtmlTagsWnd(), QStringLiteral("<B>"));
        TypeAfterTheInsert(frame, view, QStringLiteral("&sql(x)<B></B>"), "y",
                           QStringLiteral("&sql(x)<B>y</B>"));

        fixtures::SaveScreenScreenshot(QStringLiteral("tolvane_desktop"));
        SaveScreenshot(*frame.ScriptFuncWnd(), QStringLiteral("tolvane_script_functions"));
        SaveScreenshot(*frame.HtmlTagsWnd(), QStringLiteral("tolvane_html_tags"));
    }

    // A toolbar button or a menu entry of the frame clicked while a tool window is active: the
    // window manager moves the focus to the frame with the click, and what is typed once the
    // command has run goes into the document.
    void TypingAfterAFrameCommandFromAToolWindowReachesTheDocument() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = frame.NewDocument();
        QVERIFY(QTest::qWaitForWindowActive(&frame));

        ActivateToolWindow(frame.HtmlTagsWnd());
        QWidget* button =
            frame.ToolBar(59397)->widgetForAction(frame.findChild<QAction*>(QStringLiteral("<I>")));
        ClickAt(button, button->rect().center());
        // The window manager hands the frame the focus before it passes the click on: type once
        // the command has run, as a person does.
        TypeAfterTheInsert(frame, view, QStringLiteral("<I></I>"), "z", QStringLiteral("<I>z</I>"));

        view->moveCursor(QTextCursor::End);
        ActivateToolWindow(frame.ScriptFuncWnd());
        QMenu* insert = SubMenu(frame.menuBar()->actions(), QStringLiteral("&Insert"));
        QVERIFY(insert);
        QMenu* html = SubMenu(insert->actions(), QStringLiteral("&HTML"));
        QVERIFY(html);
        ClickMenuEntry(frame.menuBar(), QStringLiteral("&Insert"));
        QTRY_VERIFY(insert->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(insert));
        ClickMenuEntry(insert, QStringLiteral("&HTML"));
        QTRY_VERIFY(html->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(html));
        ClickMenuEntry(html, QStringLiteral("<P>"));
        TypeAfterTheInsert(frame, view, QStringLiteral("<I>z</I><P></P>"), "w",
                           QStringLiteral("<I>z</I><P>w</P>"));
    }

    // The Window menu lists the open documents, numbered, the active one checked; a number typed
    // in the open menu activates its document, which then takes what is typed.
    void TheWindowMenuListsAndActivatesTheDocuments() {
        TolvaneFixture f;
        f.Put("one.scp", "");
        f.Put("two.scp", "");
        CMainFrame& frame = f.Frame();
        CEdView* one = frame.OpenDocument(QString::fromStdString(f.File("one.scp")));
        QVERIFY(frame.OpenDocument(QString::fromStdString(f.File("two.scp"))));
        frame.NewDocument();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QMenu* menu = WindowMenu(frame);
        QVERIFY(menu);

        menu->popup(frame.mapToGlobal(QPoint(60, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QCOMPARE(DocumentEntries(menu), QStringList({"&1 one.scp", "&2 two.scp", "&3 Script1 *"}));
        SaveScreenshot(*menu, QStringLiteral("tolvane_window_menu"));
        if (RealInput())
            QVERIFY(fixtures::XType("1"));
        else
            QTest::keyClick(menu, Qt::Key_1);
        QTRY_VERIFY(!menu->isVisible());
        QCOMPARE(frame.ActiveView(), one);
        ExpectKeyboardIn(frame, one);
        TypeIntoFocusWindow("1");
        QTRY_COMPARE(one->toPlainText(), QStringLiteral("1"));

        // Refreshed as the menu opens: a closed document leaves the list.
        frame.MdiArea()->activeSubWindow()->close();
        emit menu->aboutToShow();
        QCOMPARE(DocumentEntries(menu), QStringList({"&1 two.scp *", "&2 Script1"}));
    }

    // From the tenth document on, the entries keep their numbers but have no mnemonic.
    void OnlyTheFirstNineEntriesHaveMnemonics() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        for (int i = 0; i < 10; ++i)
            frame.NewDocument();
        QMenu* menu = WindowMenu(frame);
        emit menu->aboutToShow();
        const QStringList entries = DocumentEntries(menu);
        QCOMPARE(entries.size(), 10);
        QCOMPARE(entries[8], QStringLiteral("&9 Script9"));
        QCOMPARE(entries[9], QStringLiteral("10 Script10 *"));
    }
};

QUARN_QT_TEST(UiFrameKeyboardTest)
#include "frame_keyboard_test.moc"
