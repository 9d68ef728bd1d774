// The progress box's pixels: the label inverted under the bar and not beside
// it, the bar in the palette's colour, and repaints only on a change.
#include <QApplication>
#include <QtTest>

#include "QtProgressBox.h"

namespace {

const QColor kCaption(10, 36, 106);

// A box with a crisp font, so that label pixels are exactly the label colour.
void Prepare(QtProgressBox& box)
{
    box.resize(300, 20);
    QFont font = box.font();
    font.setPixelSize(14);
    font.setStyleStrategy(QFont::NoAntialias);
    box.setFont(font);
    QPalette palette = box.palette();
    palette.setColor(QPalette::Active, QPalette::Highlight, kCaption);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, kCaption);
    box.setPalette(palette);
}

QRgb NotXor(QRgb pen, QRgb pixel) { return ~(pen ^ pixel) | 0xFF000000u; }

class CountingBox : public QtProgressBox {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        QtProgressBox::paintEvent(event);
    }
};

}  // namespace

class QtProgressBoxTest : public QObject {
    Q_OBJECT

private slots:
    // The ground is the theme's: white in a light one, dark in a dark one.
    void labelIsInvertedUnderTheBarAndNotBesideIt_data()
    {
        QTest::addColumn<QColor>("ground");
        QTest::newRow("light theme") << QColor(Qt::white);
        QTest::newRow("dark theme") << QColor(0x23, 0x26, 0x29);
    }

    void labelIsInvertedUnderTheBarAndNotBesideIt()
    {
        QFETCH(QColor, ground);
        QtProgressBox box;
        Prepare(box);
        QPalette palette = box.palette();
        palette.setColor(QPalette::Active, QPalette::Base, ground);
        box.setPalette(palette);
        const auto computed = ComputeProgressPicture(0.5f, false, box.Width(), box.Height(),
                                                     box.TextWidth("50%"), box.TextHeight("50%"));
        QVERIFY(computed.has_value());
        ProgressPicture picture = *computed;
        // The bar's end in the middle of the label: part of it under, part beside.
        const int barEnd = picture.labelX + picture.labelWidth / 2;
        picture.barWidth = barEnd;

        ProgressPicture labelOnly = picture;
        labelOnly.barWidth = 0;
        box.Paint(labelOnly);
        const QImage reference = box.Picture().copy();
        box.Paint(picture);
        const QImage& result = box.Picture();
        QCOMPARE(result.size(), QSize(300, 20));

        const QRgb caption = kCaption.rgb();
        const QRgb groundPixel = ground.rgb();
        int labelUnder = 0, labelBeside = 0;
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x) {
                const QRgb before = reference.pixel(x, y);
                const QRgb after = result.pixel(x, y);
                QVERIFY2(before == groundPixel || before == caption, "the label alone is caption colour on the ground");
                const bool label = before == caption;
                if (x < barEnd) {
                    // On groundPixel exactly a not-xor of the bar's colour; on any ground the same look.
                    if (ground == Qt::white) QCOMPARE(after, NotXor(caption, before));
                    QCOMPARE(after, label ? groundPixel : caption);
                    labelUnder += label;
                } else {
                    QCOMPARE(after, before);
                    labelBeside += label;
                }
            }
        }
        QVERIFY2(labelUnder > 10 && labelBeside > 10, "the label lies on both sides of the bar's end");
    }

    void drawProgressPaintsAWhiteGroundAndAFullBarAtTheEnd()
    {
        QtProgressBox box;
        Prepare(box);
        DrawProgress(box, 0.0f, true);
        QCOMPARE(box.Picture().pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(box.Picture().pixel(299, 19), qRgb(255, 255, 255));
        DrawProgress(box, 1.5f);
        QCOMPARE(box.Picture().pixel(0, 0), kCaption.rgb());
        QCOMPARE(box.Picture().pixel(299, 19), kCaption.rgb());  // clipped at the edge
    }

    void repaintsOnlyWhenThePictureOnScreenChanges()
    {
        CountingBox box;
        Prepare(box);
        box.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        DrawProgress(box, 0.5f);
        QCoreApplication::processEvents();
        box.paints = 0;

        DrawProgress(box, 0.5f);
        QCOMPARE(box.paints, 0);
        DrawProgress(box, 0.5001f);  // 150.03 pixels: the same picture
        QCOMPARE(box.paints, 0);
        DrawProgress(box, 0.504f);  // 151 pixels, repainted at once
        QCOMPARE(box.paints, 1);
        DrawProgress(box, 0.51f);  // a new label
        QCOMPARE(box.paints, 2);

        // What reaches the screen is the retained picture.
        QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32), box.Picture());

        // Another palette changes the pixels of the same picture.
        QPalette palette = box.palette();
        palette.setColor(QPalette::Active, QPalette::Highlight, Qt::darkGreen);
        box.setPalette(palette);
        box.paints = 0;
        DrawProgress(box, 0.51f);
        QCOMPARE(box.paints, 1);
        QCOMPARE(box.Picture().pixel(0, 0), QColor(Qt::darkGreen).rgb());

        box.Hide();
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(QtProgressBoxTest)
#include "QtProgressBoxTest.moc"
