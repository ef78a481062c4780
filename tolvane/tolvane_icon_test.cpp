// tolvane's windows carry its own picture once main() has made it the application's icon: the
// frame and its tool windows, and the dialogs it opens.

#include <QApplication>
#include <QTest>

#include "tolvane/tolvane_icon.h"
#include "tolvane/tolvane_test_support.h"
#include "tolvane/tool_windows.h"

namespace {

QImage Argb(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Picture(const QIcon& icon) {
    return Argb(icon.pixmap(32));
}

}  // namespace

class UiTolvaneIconTest : public QObject {
    Q_OBJECT

private slots:
    void EveryWindowShowsTolvanesPicture() {
        QApplication::setWindowIcon(TolvaneIcon());
        const QImage tolvane = Argb(TolvanePicture(32));
        TolvaneFixture f;
        CMainFrame& frame = f.Start({});
        QCOMPARE(Picture(frame.windowIcon()), tolvane);
        QCOMPARE(Picture(frame.ScriptFuncWnd()->windowIcon()), tolvane);
        QCOMPARE(Picture(frame.HtmlTagsWnd()->windowIcon()), tolvane);
        AnswerModal(
            [&](QWidget* dialog) {
                QCOMPARE(Picture(dialog->windowIcon()), tolvane);
                qobject_cast<QDialog*>(dialog)->reject();
            },
            [&] { frame.Command(32815)->trigger(); });
    }
};

QUARN_QT_TEST(UiTolvaneIconTest)
#include "tolvane_icon_test.moc"
