#include "kestrel/kestrel_sheet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <string>

#include "kestrel/kestrel_app.h"
#include "kestrel/kestrel_finish.h"
#include "shared/launcher.h"
#include "shared/widgets/wizard_fakes.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

// A sheet over a catalog of one data source, two tables and three fields.
struct Wizard {
    CKestrelApp app;
    FakeCatalog catalog;
    RecordingPrompts prompts;
    CKestrelSheet sheet{app, prompts, [this] { return std::make_unique<FakeCatalog>(catalog); }};

    Wizard() {
        catalog.sources = {"shop"};
        for (const char* connection : {"DSN=shop", "DSN=shop;UID=bob"})
            catalog.tables[connection] = {"Order Lines", "Kinds"};
        for (const char* table : {"[Order Lines]", "Kinds"})
            catalog.columns[std::string("SELECT * FROM ") + table] = {
                {"A", "T"}, {"B", "T"}, {"C", "I"}};
        sheet.show();
    }
    template <typename T>
    T* Control(const char* id) {
        T* control = sheet.currentPage()->findChild<T*>(id);
        if (control == nullptr) qFatal("no control %s on page %d", id, sheet.currentId());
        return control;
    }
    void Click(const char* id) { Control<QAbstractButton>(id)->click(); }
    void Next() { sheet.next(); }
    void Shot() {
        const std::string dir = fixtures::ScreenshotDir();
        if (!dir.empty())
            sheet.grab().save(QString::fromStdString(dir) + "/kestrel_" +
                              QString::number(sheet.currentId()) + ".png");
    }
    // Takes the page's first list entry and goes on.
    void Choose(const char* list = "1002") {
        Control<QListWidget>(list)->setCurrentRow(0);
        Next();
    }
};

class RecordingLauncher : public ILauncher {
public:
    std::vector<LaunchCommand> launched;
    int Launch(const LaunchCommand& command) override {
        launched.push_back(command);
        return 1;
    }
};

}  // namespace

class UiKestrelSheetTest : public QObject {
    Q_OBJECT
private slots:
    void ASinglePageSiteFromADataSource() {
        Wizard w;
        QCOMPARE(w.sheet.currentId(), 129);
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.windowTitle(), QString("Choose script type"));
        w.Next();
        QCOMPARE(w.prompts.messages, QStringList{"Please select a script type."});
        w.Click("1012");
        QCOMPARE(w.app.m_nScriptType, 1);
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 130);
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("Script1.scp"));
        w.Control<QLineEdit>("1000")->clear();
        w.Next();
        QCOMPARE(w.prompts.messages.last(), QString("You must give the script file a name."));
        w.Control<QLineEdit>("1000")->setText("site.scp");
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 131);
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 145);
        w.Next();
        QCOMPARE(w.prompts.messages.last(), QString("Please select a datasource type."));
        w.Click("1012");
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 132);
        w.Control<QLineEdit>("1000")->setText("bob");
        w.Shot();
        w.Choose();
        QCOMPARE(w.app.m_strConnect, std::string("DSN=shop;UID=bob"));
        QCOMPARE(w.sheet.currentId(), 133);
        // Sorted, the first one selected; a name with a blank is stored in brackets.
        QCOMPARE(w.Control<QListWidget>("1002")->item(0)->text(), QString("Kinds"));
        w.Control<QListWidget>("1002")->setCurrentRow(1);
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_strTable, std::string("[Order Lines]"));
        QCOMPARE(w.sheet.currentId(), 134);

        // Fields moved A, B, C are stored C, B, A; none chosen is refused.
        w.Next();
        QCOMPARE(w.prompts.messages.last(),
                 QString("You must include at least one table field. If none are displayed, "
                         "there may be a problem with your chosen datasource."));
        for (int i = 0; i < 3; ++i)
            w.Click("1004");
        QCOMPARE(w.Control<QListWidget>("1002")->count(), 0);
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_arrFields, (std::vector<std::string>{"C", "B", "A"}));
        QCOMPARE(w.sheet.currentId(), 135);
        QVERIFY(!w.Control<QCheckBox>("1019")->isEnabled());
        w.Click("1009");
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_bFormatTable, 1);
        QCOMPARE(w.sheet.currentId(), 136);
        QVERIFY(w.Control<QCheckBox>("1019")->isChecked());
        QVERIFY(w.sheet.button(QWizard::FinishButton)->isVisible());
        w.Shot();
        w.sheet.button(QWizard::FinishButton)->click();
        QCOMPARE(w.sheet.result(), int(QDialog::Accepted));
        QCOMPARE(w.app.m_bOpenOnExit, 1);
    }

    void BackFromTheFieldChooserForgetsItsChoice() {
        Wizard w;
        w.app.m_nScriptType = 1;
        w.app.m_nSourceType = 1;
        w.app.m_strTable = "Kinds";
        for (int page : {137, 130, 131, 145, 132, 133}) {
            QCOMPARE(w.sheet.currentId() == 129 ? 137 : w.sheet.nextId(), page);
            w.Next();
        }
        w.Choose();
        QCOMPARE(w.sheet.currentId(), 134);
        w.Click("1004");
        QCOMPARE(w.Control<QListWidget>("1003")->count(), 1);
        w.sheet.back();
        QCOMPARE(w.sheet.currentId(), 133);
        w.Next();
        QCOMPARE(w.Control<QListWidget>("1003")->count(), 0);
        QCOMPARE(w.Control<QListWidget>("1002")->count(), 3);
    }

    void CsvDetailsChooseWhetherTheKeyIsAsked() {
        Wizard w;
        w.app.m_nScriptType = 5;
        w.app.m_nSourceType = 1;
        for (int i = 0; i < 5; ++i)  // 137, 130, 145, 132, 133
            w.Next();
        QCOMPARE(w.sheet.currentId(), 133);
        w.Choose();
        w.Click("1004");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 151);
        QVERIFY(w.Control<QCheckBox>("1009")->isEnabled());
        w.Click("1019");  // multi-file off
        QVERIFY(!w.Control<QCheckBox>("1009")->isEnabled());
        QVERIFY(!w.Control<QCheckBox>("1020")->isEnabled());
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 136);
        w.sheet.back();
        QCOMPARE(w.sheet.currentId(), 151);
        w.Click("1019");  // multi-file on: the key is asked
        w.Next();
        QCOMPARE(w.sheet.currentId(), 152);
        w.Shot();
        w.Choose();
        QCOMPARE(w.app.m_strCsvKey, std::string("A"));
        QCOMPARE(w.sheet.currentId(), 136);
    }

    void WebFormPagesStoreTheirAnswersEitherWay() {
        Wizard w;
        w.Next();
        w.Click("1022");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 156);
        w.Control<QLineEdit>("1000")->clear();  // an empty name is accepted
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_strProject, std::string());
        w.Click("1012");
        w.Next();
        w.Choose();
        QCOMPARE(w.sheet.currentId(), 157);
        w.Shot();
        w.Choose();
        w.Click("1004");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 158);
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("/cgi-bin"));
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 159);
        w.Control<QLineEdit>("1000")->setText("forms@example.org");
        w.Shot();
        w.sheet.back();
        QCOMPARE(w.app.m_strEmail, std::string("forms@example.org"));
        w.Next();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 160);
        w.Shot();
    }

    void FinishWritesTheScriptAndOpensItInTheEditor() {
        fixtures::TempDir dir("kestrel_finish");
        CKestrelApp app;
        app.m_strDirectory = dir.Path();
        app.m_nScriptType = 1;
        app.m_strConnect = "DSN=shop";
        app.m_strTable = "Products";
        app.m_arrFields = {"Cost#1"};
        app.m_bOpenOnExit = 1;
        RecordingPrompts prompts;
        RecordingLauncher launcher;
        QCOMPARE(FinishKestrel(app, prompts, launcher, "/nonexistent", "tolvane"), 1);
        const std::string script = fixtures::ReadTextFile(dir.File("Script1.scp")).value_or("");
        QVERIFY(script.find("\t\t?Cost\\#1?\r\n") != std::string::npos);
        QCOMPARE(launcher.launched.size(), std::size_t(1));
        QCOMPARE(launcher.launched[0].program, std::string("tolvane"));
        QVERIFY(prompts.messages.isEmpty());
    }

    void AnUnwritableDirectoryIsReportedAndStartsNothing() {
        fixtures::TempDir dir("kestrel_unwritable");
        CKestrelApp app;
        app.m_strDirectory = dir.File("missing");
        app.m_nScriptType = 5;
        app.m_bOpenOnExit = 1;
        RecordingPrompts prompts;
        RecordingLauncher launcher;
        QCOMPARE(FinishKestrel(app, prompts, launcher, "/nonexistent", "tolvane"), 0);
        QCOMPARE(prompts.messages, QStringList{"Unable to write file Script1.scp."});
        QVERIFY(launcher.launched.empty());
    }
};

QUARN_QT_TEST(UiKestrelSheetTest)
#include "kestrel_sheet_test.moc"
