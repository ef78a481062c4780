// The four programs' icons side by side: each holds its picture drawn afresh at every size (none
// scaled from another), shows the colours of its drawing in dist/icons where they stand there, and
// no two programs show the same picture.

#include <QLabel>
#include <QTest>
#include <set>
#include <vector>

#include "kestrel/kestrel_icon.h"
#include "quarn/app/ui/quarn_icon.h"
#include "remote/ui/remote_icon.h"
#include "shared/drawn_icon.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tolvane/tolvane_icon.h"

namespace {

struct Sample {
    QPoint at;
    QColor colour;
};

struct Program {
    QString name;
    QIcon (*icon)();
    QPixmap (*picture)(int);
    // Points of the 64-pixel picture inside one shape of the drawing, with the shape's colour.
    std::vector<Sample> samples;
};

const QColor kQuarnBlue(0x1f, 0x5f, 0x8b);
const QColor kPale(0xe8, 0xf1, 0xf8);
const QColor kAmber(0xf5, 0xb8, 0x41);
const QColor kGreen(0x2e, 0x6b, 0x3a);
const QColor kKestrelBlue(0x2d, 0x6a, 0xa8);
const QColor kKestrelAmber(0xf2, 0xa6, 0x3a);

const std::vector<Program> kPrograms{
    // Background, the database's top, the page under the arrow.
    {"quarn",
     QuarnIcon,
     QuarnPicture,
     {{{8, 32}, kQuarnBlue}, {{24, 20}, kPale}, {{45, 49}, kAmber}}},
    // Background, the page below its lines, a line, the pencil.
    {"tolvane",
     TolvaneIcon,
     TolvanePicture,
     {{{8, 32}, kGreen},
      {{16, 50}, QColor(0xf2, 0xf7, 0xf0)},
      {{29, 22}, kGreen},
      {{50, 38}, kAmber}}},
    // Background between the wings, a wing, the tail.
    {"kestrel",
     KestrelIcon,
     KestrelPicture,
     {{{32, 20}, kKestrelBlue}, {{20, 30}, kKestrelAmber}, {{32, 40}, kKestrelAmber}}},
    // Background, the remote's body, its round button.
    {"remote",
     RemoteIcon,
     RemotePicture,
     {{{8, 32}, kQuarnBlue}, {{16, 38}, kPale}, {{23, 31}, kAmber}}}};

QImage Argb(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// The number of distinct opaque colours, so a picture of one flat colour counts as blank too.
int OpaqueColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255) colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

}  // namespace

class ProgramIconsTest : public QObject {
    Q_OBJECT

private slots:
    void EachIconIsItsOwnPictureAtEverySize_data() {
        QTest::addColumn<int>("row");
        for (int row = 0; row < static_cast<int>(kPrograms.size()); ++row)
            QTest::newRow(kPrograms[row].name.toUtf8()) << row;
    }

    void EachIconIsItsOwnPictureAtEverySize() {
        QFETCH(int, row);
        const Program& program = kPrograms[row];
        const QIcon icon = program.icon();
        QList<QSize> sizes;
        for (int size : kIconSizes)
            sizes.append(QSize(size, size));
        QCOMPARE(icon.availableSizes(), sizes);
        for (int size : kIconSizes) {
            const QImage picture = Argb(icon.pixmap(size));
            QCOMPARE(picture.size(), QSize(size, size));
            QCOMPARE(picture, Argb(program.picture(size)));
            QVERIFY2(OpaqueColours(picture) >= 3, qPrintable(QString::number(size)));
        }
        const QImage own = Argb(program.picture(64));
        // The rounded corner stays clear.
        QCOMPARE(qAlpha(own.pixel(0, 0)), 0);
        for (const Sample& sample : program.samples)
            QCOMPARE(own.pixelColor(sample.at), sample.colour);
        for (const Program& other : kPrograms) {
            if (other.name != program.name)
                QVERIFY2(own != Argb(other.picture(64)), qPrintable(other.name));
        }
        QLabel label;
        label.setPixmap(program.picture(64));
        fixtures::SaveScreenshot(label, program.name + "_icon");
    }
};

QUARN_QT_TEST(ProgramIconsTest)
#include "program_icons_test.moc"
