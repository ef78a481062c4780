#include "tolvane/editor_frame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <optional>

#include "shared/sce_codec.h"
#include "shared/widgets/toolbar_ex.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tolvane/edit_view.h"
#include "tolvane/encode_script_dlg.h"
#include "tolvane/lock_panes.h"
#include "tolvane/settings_dlg.h"
#include "tolvane/tolvane_test_support.h"
#include "tolvane/tool_windows.h"

namespace {

// The frame and its tool windows, drawn where they stand on the screen.
QPixmap GrabWithToolWindows(CMainFrame& frame) {
    QList<QWidget*> windows{&frame, frame.ScriptFuncWnd(), frame.HtmlTagsWnd()};
    QRect area;
    for (QWidget* window : windows)
        area |= window->frameGeometry();
    QPixmap picture(area.size());
    picture.fill(Qt::darkGray);
    QPainter painter(&picture);
    for (QWidget* window : windows) {
        if (window->isVisible()) painter.drawPixmap(window->pos() - area.topLeft(), window->grab());
    }
    return picture;
}

// Reports what the test puts in `locks`, as the keyboard would.
class CFakeLockReader : public platform::IKeyboardLockReader {
public:
    explicit CFakeLockReader(const std::optional<platform::KeyboardLocks>& locks)
        : m_locks(locks) {}
    std::optional<platform::KeyboardLocks> Read() override { return m_locks; }

private:
    const std::optional<platform::KeyboardLocks>& m_locks;
};

QStringList PaneTexts(CMainFrame& frame) {
    QStringList texts;
    for (const char* name : {"CAP", "NUM", "SCRL"})
        texts << frame.statusBar()->findChild<QLabel*>(QString::fromLatin1(name))->text();
    return texts;
}

void Click(QWidget* dialog, const char* id) {
    auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(id));
    QVERIFY(button);
    button->click();
}

}  // namespace

class UiEditorFrameTest : public QObject {
    Q_OBJECT
private slots:
    void OpensCentredWithToolWindowsBesideIt() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        // Where the windows open: UiToolWindowPlaceTest. 120 wide unless the whole caption needs
        // more.
        QVERIFY(frame.ScriptFuncWnd()->width() > 120);
        QCOMPARE(frame.ScriptFuncWnd()->List()->count(), 101);
        QCOMPARE(frame.HtmlTagsWnd()->List()->count(), 83);
        QCOMPARE(frame.ScriptFuncWnd()->List()->item(0)->text(), QStringLiteral("&arraydelete()"));

        // No view: tool windows hidden, preview commands disabled, the line pane empty.
        QVERIFY(!frame.ScriptFuncWnd()->isVisible());
        for (int id : {32855, 32857, 32858})
            QVERIFY(!frame.Command(id)->isEnabled());
        QVERIFY(!frame.PreviewSelector()->isEnabled());
        QCOMPARE(frame.Command(32800)->text(), QStringLiteral("Run-time encode"));

        frame.NewDocument();
        QVERIFY(frame.ScriptFuncWnd()->isVisible());
        QVERIFY(frame.HtmlTagsWnd()->isVisible());
        for (int id : {32855, 32857, 32858})
            QVERIFY(frame.Command(id)->isEnabled());
        QVERIFY(frame.PreviewSelector()->isEnabled());
        QCOMPARE(frame.PreviewSelector()->width(), 143);
        QCOMPARE(frame.LinePane()->text(), QStringLiteral("Ln 1"));
        QCOMPARE(frame.Command(32800)->text(), QStringLiteral("Runtime &Encode Script"));

        frame.MdiArea()->closeAllSubWindows();
        QTest::qWait(0);
        QVERIFY(!frame.ScriptFuncWnd()->isVisible());
        QVERIFY(!frame.HtmlTagsWnd()->isVisible());
        QCOMPARE(frame.LinePane()->text(), QString());
        frame.NewDocument();
        QVERIFY(frame.ScriptFuncWnd()->isVisible());
    }

    void ShowCodesToggleAndPersist() {
        TolvaneFixture f;
        QVERIFY(f.settings.WriteInt("tolvane", "sfwindowvis", 1));
        QVERIFY(f.settings.WriteInt("tolvane", "htwindowvis", 0));
        CMainFrame& frame = f.Frame();
        frame.NewDocument();
        QVERIFY(frame.ScriptFuncWnd()->isVisible());
        QVERIFY(!frame.HtmlTagsWnd()->isVisible());
        QVERIFY(!frame.Command(32854)->isChecked());
        frame.Command(32854)->trigger();
        QVERIFY(frame.HtmlTagsWnd()->isVisible());
        QTest::keyClick(frame.ScriptFuncWnd(), Qt::Key_Escape);
        QVERIFY(!frame.ScriptFuncWnd()->isVisible());
        QCOMPARE(frame.ShowCode(frame.ScriptFuncWnd()), 0);
        QVERIFY(!frame.Command(32853)->isChecked());

        frame.move(frame.pos() + QPoint(30, 20));
        const int wider = frame.ScriptFuncWnd()->minimumWidth() + 10;
        frame.ScriptFuncWnd()->resize(wider, 240);
        QVERIFY(frame.close());
        QCOMPARE(f.settings.GetInt("tolvane", "sfwindowvis", -1), 0);
        QCOMPARE(f.settings.GetInt("tolvane", "htwindowvis", -1), 4);
        QCOMPARE(f.settings.GetInt("tolvane", "windowx1", -1), 540);
        QCOMPARE(f.settings.GetInt("tolvane", "windowx2", -1), frame.x());
        // Outer sizes: the frame's borders count.
        QVERIFY(frame.ScriptFuncWnd()->frameGeometry().width() >= wider);
        QCOMPARE(f.settings.GetInt("tolvane", "sfwindowx1", -1),
                 frame.ScriptFuncWnd()->frameGeometry().width());
        QCOMPARE(f.settings.GetInt("tolvane", "htwindowx2", -1), frame.HtmlTagsWnd()->x());
        QVERIFY(!f.settings.GetString("tolvane\\toolbar", "barstate", "").empty());
    }

    void AMinimisedFrameSavesNoPlacement() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        frame.show();
        frame.NewDocument();
        frame.Command(32853)->trigger();
        frame.showMinimized();
        QVERIFY(frame.isMinimized());
        QVERIFY(frame.close());
        for (const char* key : {"windowx1", "windowx2", "sfwindowx1", "sfwindowvis", "htwindowvis"})
            QCOMPARE(f.settings.GetInt("tolvane", key, -1), -1);
        QVERIFY(f.settings.GetString("tolvane\\toolbar", "barstate", "").empty());
    }

    void MovingTheFrameMovesTheToolWindows() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        frame.NewDocument();
        const QPoint functions = frame.ScriptFuncWnd()->pos();
        const QPoint tags = frame.HtmlTagsWnd()->pos();
        frame.move(frame.pos() + QPoint(15, 25));
        QTRY_COMPARE(frame.ScriptFuncWnd()->pos(), functions + QPoint(15, 25));
        QCOMPARE(frame.HtmlTagsWnd()->pos(), tags + QPoint(15, 25));
    }

    void SettingsDialogWritesAfterOkOnly() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        AnswerModal([](QWidget* dialog) { Click(dialog, "2"); },
                    [&] { frame.Command(32815)->trigger(); });
        QVERIFY(!std::filesystem::exists(f.File("Quarn.ini")));

        AnswerModal(
            [](QWidget* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Settings"));
                QCOMPARE(dialog->findChild<QCheckBox*>(QStringLiteral("1027"))->text(),
                         QStringLiteral("Insert opening && closing HTML tags"));
                QVERIFY(dialog->findChild<QRadioButton*>(QStringLiteral("1000"))->isChecked());
                dialog->findChild<QCheckBox*>(QStringLiteral("1007"))->setChecked(false);
                dialog->findChild<QRadioButton*>(QStringLiteral("1020"))->setChecked(true);
                SaveScreenshot(*dialog, QStringLiteral("tolvane_settings"));
                Click(dialog, "1");
            },
            [&] { frame.Command(32815)->trigger(); });
        QCOMPARE(ReadEdOptions(f.settings), (CEdOptions{0, 1, 1, 1, 2}));
    }

    void EncodeCommandWritesTheCopyAndRemembersThePaths() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        f.Put("in.scp", "&html(\"a.html\"){\r\nhello\r\n}\r\n");
        f.Put("empty.scp", "");
        const auto encode = [&](const std::string& in, const std::string& out, const char* button) {
            AnswerModal(
                [&](QWidget* dialog) {
                    QCOMPARE(dialog->windowTitle(), QStringLiteral("Runtime Encode Script"));
                    dialog->findChild<QLineEdit*>(QStringLiteral("1003"))
                        ->setText(QString::fromStdString(in));
                    dialog->findChild<QLineEdit*>(QStringLiteral("1004"))
                        ->setText(QString::fromStdString(out));
                    Click(dialog, button);
                },
                [&] { frame.Command(32800)->trigger(); });
        };
        encode(f.File("in.scp"), f.File("out.sce"), "2");
        QVERIFY(f.prompts.messages.empty());
        QVERIFY(!std::filesystem::exists(f.File("Quarn.ini")));

        encode(f.File("in.scp"), f.File("out.sce"), "1");
        QCOMPARE(f.prompts.messages.size(), size_t{1});
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Script encoded OK"));
        QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("Tolvane"));
        QVERIFY(f.prompts.messages[0].icon == IEdPrompts::Icon::kNone);
        QCOMPARE(VerifyEncodedScript(*fixtures::ReadTextFile(f.File("out.sce")),
                                     "&html(\"a.html\"){\r\nhello\r\n}\r\n"),
                 SceEncodeResult::kOk);

        encode(f.File("empty.scp"), f.File("empty.sce"), "1");
        QCOMPARE(f.prompts.messages.back().text,
                 QStringLiteral("Script file is empty- encoding cancelled"));
        QVERIFY(!std::filesystem::exists(f.File("empty.sce")));
        QCOMPARE(ReadEncodePaths(f.settings),
                 (CEncodePaths{f.File("empty.scp"), f.File("empty.sce")}));

        // The browse buttons put the chosen path in their field.
        f.prompts.files = {QStringLiteral("/chosen/in.scp"), QStringLiteral("/chosen/out.sce")};
        CEncodeScriptDlg dialog(ReadEncodePaths(f.settings), f.prompts);
        Click(&dialog, "1006");
        Click(&dialog, "1024");
        QCOMPARE(dialog.Paths(), (CEncodePaths{"/chosen/in.scp", "/chosen/out.sce"}));
        dialog.show();
        SaveScreenshot(dialog, QStringLiteral("tolvane_encode"));
    }

    // Save As proposes the document's name; a name typed without an extension under the script
    // filter gets ".scp", so that the filter lists the file afterwards.
    void SaveAsAddsTheExtensionOfTheChosenFilter() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = frame.NewDocument();
        view->insertPlainText(QStringLiteral("a"));
        f.prompts.files = {QString::fromStdString(f.File("ins"))};
        frame.Command(57604)->trigger();
        QCOMPARE(f.prompts.proposedNames, std::vector<QString>{QStringLiteral("Script1.scp")});
        QCOMPARE(fixtures::ReadTextFile(f.File("ins.scp")), std::string("a"));
        QVERIFY(!std::filesystem::exists(f.File("ins")));
        QCOMPARE(view->Title(), QStringLiteral("ins.scp"));

        // Under "All Files" the name stays as typed; the dialog opened on the document's path.
        f.prompts.files = {QString::fromStdString(f.File("plain"))};
        f.prompts.saveFilter = QStringLiteral("All Files (*)");
        frame.Command(57604)->trigger();
        QCOMPARE(f.prompts.proposedNames.back(), QString::fromStdString(f.File("ins.scp")));
        QCOMPARE(fixtures::ReadTextFile(f.File("plain")), std::string("a"));

        // The encode dialog's output browser: a save dialog, ".sce" added the same way.
        f.prompts.saveFilter.clear();
        f.prompts.files = {QStringLiteral("/chosen/out")};
        CEncodeScriptDlg dialog(CEncodePaths{}, f.prompts);
        Click(&dialog, "1024");
        QCOMPARE(f.prompts.proposedNames.back(), QStringLiteral("script1.sce"));
        QCOMPARE(dialog.Paths().output, std::string("/chosen/out.sce"));
    }

    // The platform's save dialog: it opens on the proposed name and gives a bare name the
    // chosen filter's extension itself (so that it asks before overwriting that file).
    void TheSaveDialogProposesAndAddsTheExtension() {
        TolvaneFixture f;
        CQtEdPrompts prompts;
        std::optional<IEdPrompts::SaveChoice> chosen;
        AnswerModal(
            [&](QWidget* dialog) {
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                QCOMPARE(name->text(), QStringLiteral("Script1.scp"));
                name->setText(QString::fromStdString(f.File("ins")));
                QMetaObject::invokeMethod(dialog, "accept");
            },
            [&] {
                chosen = prompts.ChooseSaveFile(
                    nullptr, QStringLiteral("Script Files (*.scp);;All Files (*)"),
                    QStringLiteral("Script1.scp"));
            });
        QVERIFY(chosen);
        QCOMPARE(chosen->path, QString::fromStdString(f.File("ins.scp")));
        QCOMPARE(chosen->filter, QStringLiteral("Script Files (*.scp)"));
    }

    void ScriptWizardStartsKestrel() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        frame.Command(32813)->trigger();
        QCOMPARE(f.launcher.launched.size(), size_t{1});
        QCOMPARE(f.launcher.launched[0].program, std::string("kestrel"));
        QVERIFY(f.prompts.messages.empty());
        f.launcher.fail = true;
        frame.Command(32813)->trigger();
        QCOMPARE(f.prompts.messages.size(), size_t{1});
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Unable to run utility."));
        QVERIFY(f.prompts.messages[0].icon == IEdPrompts::Icon::kStop);
    }

    void ClosingAskesToSaveModifiedDocuments() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = frame.NewDocument();
        view->insertPlainText(QStringLiteral("text"));
        f.prompts.saveAnswers = {IEdPrompts::SaveAnswer::kCancel};
        QVERIFY(!frame.close());
        QCOMPARE(frame.MdiArea()->subWindowList().size(), 1);
        f.prompts.saveAnswers = {IEdPrompts::SaveAnswer::kSave};
        f.prompts.files = {QString::fromStdString(f.File("saved.scp"))};
        QVERIFY(frame.close());
        QCOMPARE(fixtures::ReadTextFile(f.File("saved.scp")), std::string("text"));
        QCOMPARE(f.settings.GetString("Recent File List", "File1", ""), f.File("saved.scp"));
    }

    // The caption names the active document; a maximised one names itself in brackets.
    void CaptionFollowsTheActiveDocument() {
        TolvaneFixture f;
        QVERIFY(f.settings.WriteInt("tolvane", "maximizeclient", 0));
        f.Put("one.scp", "1");
        f.Put("two.scp", "2");
        CMainFrame& frame = f.Frame();
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane"));
        CEdView* one = frame.OpenDocument(QString::fromStdString(f.File("one.scp")));
        QVERIFY(one);
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane - one.scp"));
        QVERIFY(frame.OpenDocument(QString::fromStdString(f.File("two.scp"))));
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane - two.scp"));
        QMdiSubWindow* first = frame.MdiArea()->subWindowList().first();
        frame.MdiArea()->setActiveSubWindow(first);
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane - one.scp"));
        first->showMaximized();
        QVERIFY(!frame.windowTitle().contains(QStringLiteral("Tolvane - one.scp")));
        QVERIFY(frame.windowTitle().contains(QStringLiteral("[one.scp")));
        first->showNormal();
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane - one.scp"));
        for (QMdiSubWindow* child : frame.MdiArea()->subWindowList())
            child->close();
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane"));
    }

    // A script named on the command line is opened before the frame shows, maximised or not.
    void CaptionNamesTheScriptOfTheCommandLine() {
        for (const int maximized : {1, 0}) {
            TolvaneFixture f;
            QVERIFY(f.settings.WriteInt("tolvane", "maximizeclient", maximized));
            f.Put("x.scp", "&html(\"x.html\"){\r\n}\r\n");
            CMainFrame& frame = f.Start({QString::fromStdString(f.File("x.scp"))});
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            QCOMPARE(frame.windowHandle()->title(), maximized ? QStringLiteral("Tolvane - [x.scp]")
                                                              : QStringLiteral("Tolvane - x.scp"));
            QCOMPARE(frame.MdiArea()->activeSubWindow()->isMaximized(), maximized == 1);
        }
    }

    void LockPanesFollowTheKeyboard() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        // Offscreen there is no keyboard to read: the panes stay empty.
        QCOMPARE(PaneTexts(frame), QStringList({"", "", ""}));

        // In order after the message area, each wide enough for its text, pane 101 last.
        QList<QWidget*> panes;
        for (const char* name : {"CAP", "NUM", "SCRL", "101"})
            panes << frame.statusBar()->findChild<QLabel*>(QString::fromLatin1(name));
        for (int i = 0; i < 3; ++i) {
            auto* pane = static_cast<QLabel*>(panes[i]);
            QVERIFY(pane->contentsRect().width() >=
                    pane->fontMetrics().horizontalAdvance(pane->objectName()));
            QVERIFY(panes[i]->geometry().right() < panes[i + 1]->geometry().left());
        }

        std::optional<platform::KeyboardLocks> locks = platform::KeyboardLocks{true, false, true};
        frame.LockPanes()->SetReader(std::make_unique<CFakeLockReader>(locks));
        QCOMPARE(PaneTexts(frame), QStringList({"CAP", "", "SCRL"}));
        const QList<int> widths{panes[0]->width(), panes[1]->width(), panes[2]->width()};

        // Changed while the program runs, as by a key pressed in another program.
        locks = platform::KeyboardLocks{true, true, false};
        QTRY_COMPARE(PaneTexts(frame), QStringList({"CAP", "NUM", ""}));
        QCOMPARE(QList<int>({panes[0]->width(), panes[1]->width(), panes[2]->width()}), widths);
        frame.NewDocument();
        QTest::qWait(50);
        SaveScreenshot(*frame.statusBar(), QStringLiteral("tolvane_status_bar"));

        // The keyboard can no longer be read: nothing is shown rather than an old state.
        locks.reset();
        QTRY_COMPARE(PaneTexts(frame), QStringList({"", "", ""}));
    }

    void ScreenshotWithTwoDocuments() {
        TolvaneFixture f;
        QVERIFY(f.settings.WriteInt("tolvane", "windowx2", 200));
        QVERIFY(f.settings.WriteInt("tolvane", "windowy2", 80));
        QVERIFY(f.settings.WriteInt("tolvane", "windowx1", 760));
        QVERIFY(f.settings.WriteInt("tolvane", "windowy1", 520));
        QVERIFY(f.settings.WriteInt("tolvane", "maximizeclient", 0));
        f.Put("Script1.scp",
              "&datasource(\"Driver=SQLite3;Database=shop.db\")\r\n"
              "&html(\"index.html\"){\r\n<TABLE>\r\n\t&foreachrow(\"SELECT name FROM "
              "items\"){\r\n\t\t<TR><TD>?name?</TD></TR>\r\n\t}\r\n</TABLE>\r\n}\r\n");
        f.Put("footer.inc", "<footer>\r\n\t<P>&format(\"%d\",?count?) items</P>\r\n</footer>\r\n");
        CMainFrame& frame = f.Frame();
        QVERIFY(frame.OpenDocument(QString::fromStdString(f.File("Script1.scp"))));
        QVERIFY(frame.OpenDocument(QString::fromStdString(f.File("footer.inc"))));
        frame.MdiArea()->tileSubWindows();
        frame.PreviewSelector()->addItem(QStringLiteral("index.html"));
        QCOMPARE(frame.MdiArea()->subWindowList().size(), 2);
        QVERIFY(frame.ScriptFuncWnd()->isVisible());
        QTest::qWait(50);
        const std::string dir = fixtures::ScreenshotDir();
        if (!dir.empty())
            QVERIFY(GrabWithToolWindows(frame).save(QString::fromStdString(dir) +
                                                    "/tolvane_main_frame.png"));
        // Opening a file again activates its window.
        QVERIFY(frame.OpenDocument(QString::fromStdString(f.File("Script1.scp"))));
        QCOMPARE(frame.MdiArea()->subWindowList().size(), 2);
        QCOMPARE(frame.ActiveView()->Title(), QStringLiteral("Script1.scp"));
    }
};

QUARN_QT_TEST(UiEditorFrameTest)
#include "editor_frame_test.moc"
