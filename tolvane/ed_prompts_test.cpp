// The editor's real save question answered from the keyboard by its buttons' letters.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "tests/fixtures/qt_test_registry.h"
#include "tolvane/ed_prompts.h"

Q_DECLARE_METATYPE(IEdPrompts::SaveAnswer)

class UiEdPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void TheSaveQuestionAnswersToItsLetters_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<IEdPrompts::SaveAnswer>("answer");
        QTest::newRow("Y") << int(Qt::Key_Y) << int(Qt::NoModifier)
                           << IEdPrompts::SaveAnswer::kSave;
        QTest::newRow("N") << int(Qt::Key_N) << int(Qt::NoModifier)
                           << IEdPrompts::SaveAnswer::kDiscard;
        QTest::newRow("Alt+N") << int(Qt::Key_N) << int(Qt::AltModifier)
                               << IEdPrompts::SaveAnswer::kDiscard;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier)
                             << IEdPrompts::SaveAnswer::kCancel;
    }

    void TheSaveQuestionAnswersToItsLetters() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(IEdPrompts::SaveAnswer, answer);
        bool pressed = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr);
            QPointer<QWidget> box = QApplication::activeModalWidget();
            QVERIFY(QTest::qWaitForWindowActive(box));
            QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            pressed = true;
            // A key the box ignores must fail the row, not leave it waiting.
            for (int wait = 0; wait < 50 && box && box->isVisible(); ++wait)
                QTest::qWait(100);
            if (box && box->isVisible()) qobject_cast<QDialog*>(box.data())->done(-1);
        });
        CQtEdPrompts prompts;
        QCOMPARE(prompts.AskSaveChanges(nullptr, "Script1.scp"), answer);
        QVERIFY(pressed);
    }
};

QUARN_QT_TEST(UiEdPromptsTest)
#include "ed_prompts_test.moc"
