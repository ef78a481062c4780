#include "shared/widgets/toolbar_ex.h"

#include <QAction>
#include <QComboBox>
#include <QMainWindow>
#include <QTest>
#include <QToolButton>

#include "shared/widgets/bar_state.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

// A frame with a bar "59397" holding buttons 32806 and 32807, and a second bar "59392".
struct TwoBarFrame {
    TwoBarFrame() {
        for (const char* id : {"32806", "32807"}) {
            auto* action = new QAction(id, &frame);
            action->setObjectName(id);
            main->AddButton(action);
        }
        frame.addToolBar(Qt::TopToolBarArea, main);
        frame.addToolBar(Qt::LeftToolBarArea, project);
    }
    QMainWindow frame;
    CToolBarEx* main = new CToolBarEx("Main", "59397", &frame);
    CToolBarEx* project = new CToolBarEx("Project", "59392", &frame);
};

}  // namespace

class ToolBarExTest : public QObject {
    Q_OBJECT
private slots:
    void ButtonsAreFlatUntilFlatDrawingIsTurnedOff() {
        TwoBarFrame bars;
        auto* button = bars.main->findChild<QToolButton*>("32806");
        QVERIFY(button != nullptr);
        QVERIFY(button->autoRaise());
        bars.main->SetFlat(false);
        QVERIFY(!button->autoRaise());
    }

    void AControlTakesThePlaceOfItsButton() {
        TwoBarFrame bars;
        QCOMPARE(bars.main->InsertControl(new QComboBox, 32806, 145, 200), 1);
        auto* list = bars.main->findChild<QComboBox*>("32806");
        QVERIFY(list != nullptr);
        QCOMPARE(list->width(), 143);
        // The bar deletes the button later.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(bars.main->findChild<QToolButton*>("32806"), nullptr);
        QVERIFY(bars.main->findChild<QToolButton*>("32807") != nullptr);
        // The button's place, not the end of the bar.
        QCOMPARE(bars.main->actions().size(), 2);
        QCOMPARE(bars.main->widgetForAction(bars.main->actions().front()), list);
    }

    void AControlForAMissingButtonIsRefused() {
        TwoBarFrame bars;
        QCOMPARE(bars.main->InsertControl(new QComboBox, 12345, 145, 200), 0);
        QCOMPARE(bars.main->findChild<QComboBox*>(), nullptr);
    }

    void TheLayoutComesBackFromTheSettingsFile() {
        fixtures::TempDir dir("toolbar");
        platform::ProfileFile file(dir.File("Quarn.ini"));
        {
            TwoBarFrame fresh;
            QVERIFY(!LoadBarState(fresh.frame, file, "global\\toolbar"));
        }
        {
            TwoBarFrame bars;
            bars.project->hide();
            bars.frame.addToolBar(Qt::BottomToolBarArea, bars.main);
            QVERIFY(SaveBarState(bars.frame, file, "global\\toolbar"));
        }
        TwoBarFrame bars;
        QVERIFY(LoadBarState(bars.frame, file, "global\\toolbar"));
        QVERIFY(bars.project->isHidden());
        QCOMPARE(bars.frame.toolBarArea(bars.main), Qt::BottomToolBarArea);
    }
};

QUARN_QT_TEST(ToolBarExTest)
#include "toolbar_ex_test.moc"
