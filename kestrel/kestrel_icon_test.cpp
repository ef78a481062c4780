// The wizard carries kestrel's own picture once main() has made it the application's icon.

#include <QApplication>
#include <QTest>
#include <memory>

#include "kestrel/kestrel_app.h"
#include "kestrel/kestrel_icon.h"
#include "kestrel/kestrel_sheet.h"
#include "shared/widgets/wizard_fakes.h"
#include "tests/fixtures/qt_test_registry.h"

class UiKestrelIconTest : public QObject {
    Q_OBJECT

private slots:
    void TheWizardShowsKestrelsPicture() {
        QApplication::setWindowIcon(KestrelIcon());
        CKestrelApp app;
        RecordingPrompts prompts;
        CKestrelSheet sheet(app, prompts, [] { return std::make_unique<FakeCatalog>(); });
        sheet.show();
        QCOMPARE(sheet.windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32),
                 KestrelPicture(32).toImage().convertToFormat(QImage::Format_ARGB32));
    }
};

QUARN_QT_TEST(UiKestrelIconTest)
#include "kestrel_icon_test.moc"
