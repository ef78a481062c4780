// quarn's message boxes answered from the keyboard, as desktop message boxes are: a button's
// letter alone or with Alt, Enter for the default button, Esc for Cancel.

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "quarn/app/ui/message_box.h"
#include "quarn/services/prompt.h"
#include "tests/fixtures/qt_test_registry.h"

using namespace prompt_answer;

class UiMessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void KeysAnswerTheBox_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("answer");
        const int none = Qt::NoModifier;
        const int alt = Qt::AltModifier;
        QTest::newRow("yes/no: Y") << 4 << int(Qt::Key_Y) << none << kYes;
        QTest::newRow("yes/no: N") << 4 << int(Qt::Key_N) << none << kNo;
        QTest::newRow("yes/no: Alt+Y") << 4 << int(Qt::Key_Y) << alt << kYes;
        QTest::newRow("yes/no: Alt+N") << 4 << int(Qt::Key_N) << alt << kNo;
        QTest::newRow("yes/no, second default: Enter")
            << 4 + 256 << int(Qt::Key_Return) << none << kNo;
        QTest::newRow("yes/no/cancel: N") << 3 << int(Qt::Key_N) << none << kNo;
        QTest::newRow("yes/no/cancel: Esc") << 3 << int(Qt::Key_Escape) << none << kCancel;
        QTest::newRow("abort/retry/ignore: A") << 2 << int(Qt::Key_A) << none << kAbort;
        QTest::newRow("abort/retry/ignore: R") << 2 << int(Qt::Key_R) << none << kRetry;
        QTest::newRow("abort/retry/ignore: I") << 2 << int(Qt::Key_I) << none << kIgnore;
        QTest::newRow("retry/cancel: Alt+R") << 5 << int(Qt::Key_R) << alt << kRetry;
        QTest::newRow("cancel/try/continue: T") << 6 << int(Qt::Key_T) << none << kTryAgain;
        QTest::newRow("cancel/try/continue: C") << 6 << int(Qt::Key_C) << none << kContinue;
        QTest::newRow("ok/cancel: Enter") << 1 << int(Qt::Key_Return) << none << kOk;
    }

    void KeysAnswerTheBox() {
        QFETCH(int, type);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, answer);
        const std::unique_ptr<QMessageBox> box(MakeMessageBox(nullptr, "Reset?", "Quarn", type));
        box->open();
        QVERIFY(QTest::qWaitForWindowActive(box.get()));
        QTest::keyClick(box.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(!box->isVisible());
        QCOMPARE(MessageBoxAnswer(*box, type), answer);
    }
};

QUARN_QT_TEST(UiMessageBoxTest)
#include "message_box_test.moc"
