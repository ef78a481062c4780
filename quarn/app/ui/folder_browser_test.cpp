// The folder picker: its start folder, the result, Cancel, and a subclass that refuses folders.

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <functional>

#include "quarn/app/ui/folder_browser.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/ui_test_support.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

// Lets only folders named "ok" be chosen, and says so in the status line.
class COkFoldersOnly : public CFolderBrowser {
public:
    bool Validate(const std::string& folder, std::string& status) override {
        const bool ok = std::filesystem::path(folder).filename() == "ok";
        status = ok ? "" : "Choose a folder named ok";
        return ok;
    }
};

// Runs `act` on the picker once it is open.
void OnPicker(std::function<void(CFolderBrowserDlg&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<CFolderBrowserDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        act(*dialog);
    });
}

QPushButton* Ok(CFolderBrowserDlg& dialog) {
    return dialog.findChild<QPushButton*>("1");
}

}  // namespace

class UiFolderBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void OpensAtTheInitialFolderAndGivesTheChosenOne() {
        fixtures::TempDir dir("folder_browser");
        QVERIFY(dir.Ok());
        std::filesystem::create_directories(dir.File("site/html"));
        CFolderBrowser browser;
        browser.m_strInitial = dir.File("site/html") + "/ ";
        browser.m_strCaption = "HTML root";
        OnPicker([](CFolderBrowserDlg& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("HTML root"));
            QCOMPARE(dialog.findChild<QLabel*>("prompt")->text(), QString("Open"));
            QVERIFY(!dialog.findChild<QLabel*>("status")->isVisible());
            QVERIFY(Ok(dialog)->isEnabled());
            SaveScreenshot(dialog, "folder_browser");
            Ok(dialog)->click();
        });
        QVERIFY(browser.Browse(nullptr));
        QCOMPARE(browser.m_strFolder, dir.File("site/html"));

        browser.m_strFolder.clear();
        OnPicker([](CFolderBrowserDlg& dialog) { dialog.reject(); });
        QVERIFY(!browser.Browse(nullptr));
        QVERIFY(browser.m_strFolder.empty());
    }

    void TheInitialFolderIsInView() {
        fixtures::TempDir dir("folder_browser");
        QVERIFY(dir.Ok());
        for (int n = 0; n < 60; ++n)
            std::filesystem::create_directories(dir.File("site/f" + std::to_string(100 + n)));
        CFolderBrowser browser;
        browser.m_strRoot = dir.Path();
        browser.m_strInitial = dir.File("site/f159");
        OnPicker([](CFolderBrowserDlg& dialog) {
            auto* tree = dialog.findChild<QTreeView*>("tree");
            const QScopeGuard closed([&dialog] { dialog.reject(); });
            QCOMPARE(tree->currentIndex().data().toString(), QString("f159"));
            QTRY_VERIFY(tree->verticalScrollBar()->value() > 0);
            QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));
            SaveScreenshot(dialog, "folder_browser_scrolled");
        });
        QVERIFY(!browser.Browse(nullptr));
    }

    void TheFrameDialogsChooseFoldersWithThePicker() {
        fixtures::TempDir dir("folder_browser");
        QVERIFY(dir.Ok());
        std::filesystem::create_directories(dir.File("scripts"));
        CQtFrameDialogs dialogs;
        OnPicker([](CFolderBrowserDlg& dialog) {
            QCOMPARE(dialog.findChild<QLabel*>("prompt")->text(),
                     QString("Select project script directory"));
            Ok(dialog)->click();
        });
        const std::optional<QString> chosen =
            dialogs.BrowseFolder(nullptr, "Select project script directory",
                                 QString::fromStdString(dir.File("scripts")));
        QCOMPARE(chosen, std::optional<QString>(QString::fromStdString(dir.File("scripts"))));

        OnPicker([](CFolderBrowserDlg& dialog) { dialog.reject(); });
        QCOMPARE(dialogs.BrowseFolder(nullptr, "", QString::fromStdString(dir.Path())),
                 std::optional<QString>());
    }

    void TheOpenFileDialogShowsNameSizeAndDateWholeByName() {
        fixtures::TempDir dir("open_file");
        QVERIFY(dir.Ok());
        for (const char* name : {"b_weekly_products_page.scp", "a.scp", "c_index.scp"}) {
            std::string error;
            QVERIFY(fixtures::WriteTextFile(dir.File(name), std::string(2000, 'x'), &error));
        }
        CQtFrameDialogs dialogs;
        QString chosen;
        QTimer::singleShot(0, [&chosen] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            auto* view = dialog->findChild<QTreeView*>("treeView");
            QVERIFY(view != nullptr);
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 3);
            QTRY_VERIFY(view->header()->sectionSize(3) > 100);
            QCOMPARE(view->header()->sortIndicatorSection(), 0);
            QCOMPARE(view->header()->sortIndicatorOrder(), Qt::AscendingOrder);
            QCOMPARE(view->model()->index(0, 0, view->rootIndex()).data().toString(),
                     QString("a.scp"));
            const QFontMetrics metrics = view->fontMetrics();
            for (int row = 0; row < 3; ++row) {
                for (int column : {0, 1, 2, 3}) {
                    const QString text =
                        view->model()->index(row, column, view->rootIndex()).data().toString();
                    QVERIFY2(
                        metrics.horizontalAdvance(text) + 24 <= view->header()->sectionSize(column),
                        qPrintable(text));
                }
            }
            int columns = 0;
            for (int column = 0; column < 4; ++column)
                columns += view->header()->sectionSize(column);
            QVERIFY(columns <= view->viewport()->width());
            SaveScreenshot(*dialog, "open_script_file");
            chosen = "shown";
            dialog->reject();
        });
        QCOMPARE(dialogs.OpenFile(nullptr, "Open Script File", "Script Files (*.scp)",
                                  QString::fromStdString(dir.Path())),
                 std::optional<QString>());
        QCOMPARE(chosen, QString("shown"));
    }

    void ARefusedFolderCannotBeChosen() {
        fixtures::TempDir dir("folder_browser");
        QVERIFY(dir.Ok());
        std::filesystem::create_directories(dir.File("no"));
        std::filesystem::create_directories(dir.File("ok"));
        COkFoldersOnly browser;
        browser.m_strRoot = dir.Path();
        browser.m_strInitial = dir.File("no");
        browser.m_strPrompt = "Choose the scripts folder";
        browser.m_bShowStatus = 1;
        const QString okFolder = QString::fromStdString(dir.File("ok"));
        OnPicker([okFolder](CFolderBrowserDlg& dialog) {
            QCOMPARE(dialog.findChild<QLabel*>("prompt")->text(),
                     QString("Choose the scripts folder"));
            QCOMPARE(dialog.findChild<QLabel*>("status")->text(),
                     QString("Choose a folder named ok"));
            QVERIFY(!Ok(dialog)->isEnabled());
            SaveScreenshot(dialog, "folder_browser_refused");
            dialog.Select(okFolder);
            QCOMPARE(dialog.findChild<QLabel*>("status")->text(), QString());
            QVERIFY(Ok(dialog)->isEnabled());
            Ok(dialog)->click();
        });
        QVERIFY(browser.Browse(nullptr));
        QCOMPARE(browser.m_strFolder, dir.File("ok"));
    }

    void AMissingRootEndsTheBrowse() {
        CFolderBrowser browser;
        browser.m_strRoot = "/no/such/folder";
        QVERIFY(!browser.Browse(nullptr));
    }
};

QUARN_QT_TEST(UiFolderBrowserTest)
#include "folder_browser_test.moc"
