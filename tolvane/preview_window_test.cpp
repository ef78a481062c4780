#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QTest>
#include <filesystem>

#include "tests/fixtures/qt_test_registry.h"
#include "tolvane/edit_view.h"
#include "tolvane/tolvane_test_support.h"

namespace {

constexpr const char* kScript =
    "&defsub(\"head\"){<h1>Shop</h1>}\n"
    "&html(\"a.html\"){\n  &head()\n  &if(?x?=1){<p>yes</p>}&else{<p>no</p>}\n}\n"
    "&html(\"b.html\"){&nosuch()}\n";

// A frame showing kScript, whose project's HTML root is a directory of the fixture.
struct PreviewFrame {
    TolvaneFixture q;
    std::string root = q.File("root");
    CMainFrame& frame;
    CEdView* view;

    explicit PreviewFrame(int autrefresh)
        : frame((std::filesystem::create_directory(root),
                 q.settings.WriteString("default", "roothtml", root),
                 q.settings.WriteInt("tolvane", "autrefresh", autrefresh), q.Frame())),
          view(frame.NewDocument()) {
        view->setPlainText(kScript);
    }
    // Opens the selector's list and picks `page`.
    void Select(const QString& page) {
        frame.PreviewSelector()->showPopup();
        frame.PreviewSelector()->hidePopup();
        frame.PreviewSelector()->setCurrentIndex(frame.PreviewSelector()->findText(page));
    }
    std::string File() const { return root + "/quarntmp.html"; }
    QStringList Messages() const {
        QStringList texts;
        for (const auto& message : q.prompts.messages)
            texts << message.text;
        return texts;
    }
};

}  // namespace

class UiPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void PreviewWritesThePageAndStartsTheBrowserOnce() {
        PreviewFrame p(0);
        p.frame.PreviewSelector()->showPopup();
        p.frame.PreviewSelector()->hidePopup();
        QCOMPARE(p.frame.PreviewSelector()->count(), 2);
        QCOMPARE(p.frame.PreviewSelector()->itemText(1), QString("b.html"));
        p.Select("a.html");
        p.frame.Command(32857)->trigger();
        QCOMPARE(fixtures::ReadTextFile(p.File()), std::string("<h1>Shop</h1>\n<p>yes</p>\n"));
        QCOMPARE(p.q.launcher.launched.size(), std::size_t(1));
        QCOMPARE(p.q.launcher.launched[0], (LaunchCommand{"xdg-open", {p.File()}, ""}));

        // Refresh rewrites it and starts nothing.
        p.view->setPlainText(QString(kScript).replace("yes", "oui"));
        p.frame.Command(32858)->trigger();
        QCOMPARE(fixtures::ReadTextFile(p.File()), std::string("<h1>Shop</h1>\n<p>oui</p>\n"));
        QCOMPARE(p.q.launcher.launched.size(), std::size_t(1));
        QVERIFY(p.Messages().isEmpty());
    }

    void MissingPagesAndBrowsersAreReported() {
        PreviewFrame p(0);
        p.frame.Command(32857)->trigger();
        QCOMPARE(p.Messages(), QStringList{"Error- no HTML page selected in preview list box."});
        p.Select("b.html");
        p.frame.Command(32857)->trigger();
        QCOMPARE(p.Messages().last(),
                 QString("Error- &html page or subroutine could not be found in script."));
        QCOMPARE(p.frame.PreviewSelector()->count(), 0);
        QVERIFY(!std::filesystem::exists(p.File()));

        p.q.launcher.fail = true;
        p.Select("a.html");
        p.frame.Command(32857)->trigger();
        QCOMPARE(p.Messages().last(),
                 QString("Error- web browser could not be run. Check Quarn program settings."));
        QCOMPARE(p.q.prompts.messages.back().icon, IEdPrompts::Icon::kStop);
    }

    void TheTimerRefreshesWithTheReloadLine() {
        PreviewFrame p(1);
        p.Select("a.html");
        QMetaObject::invokeMethod(&p.frame, [&] { p.frame.OnPreviewTimer(); });
        QApplication::processEvents();
        QCOMPARE(fixtures::ReadTextFile(p.File()),
                 std::string("<META HTTP-EQUIV=\"Refresh\" CONTENT=\"4\">\r\n<h1>Shop</h1>\n"
                             "<p>yes</p>\n"));
    }

    void LosingTheFocusRefreshesButNotForTheBrowsersOwnWindow() {
        PreviewFrame p(2);
        p.Select("a.html");
        p.frame.Command(32857)->trigger();
        p.view->setPlainText(QString(kScript).replace("yes", "oui"));
        QEvent deactivated(QEvent::ActivationChange);
        QApplication::sendEvent(&p.frame, &deactivated);  // the browser's window came up
        QCOMPARE(fixtures::ReadTextFile(p.File()), std::string("<h1>Shop</h1>\n<p>yes</p>\n"));
        QApplication::sendEvent(&p.frame, &deactivated);
        QCOMPARE(fixtures::ReadTextFile(p.File()), std::string("<h1>Shop</h1>\n<p>oui</p>\n"));
    }

    void TheLastPreviewGoesWithTheFrame() {
        std::string file;
        {
            PreviewFrame p(0);
            p.Select("a.html");
            p.frame.Command(32858)->trigger();
            file = p.File();
            QVERIFY(std::filesystem::exists(file));
        }
        QVERIFY(!std::filesystem::exists(file));
    }
};

QUARN_QT_TEST(UiPreviewTest)
#include "preview_window_test.moc"
