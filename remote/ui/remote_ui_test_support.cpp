#include "remote/ui/remote_ui_test_support.h"

#include <QPushButton>
#include <QTest>

#include "tests/fixtures/qt_test_registry.h"

void CRecordingRemoteMessages::Show(QWidget*, const RemoteMessage& message) {
    shown.push_back(message);
}

bool CRecordingRemoteMessages::WaitForCount(std::size_t count) {
    return QTest::qWaitFor([&] { return shown.size() >= count; }, 60000) && shown.size() == count;
}

void ClickButton(QWidget& dialog, const char* id) {
    auto* button = dialog.findChild<QPushButton*>(id);
    QVERIFY(button != nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}
