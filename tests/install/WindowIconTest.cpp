// The windows show the icons the desktop shows: Carver's window carries the
// installed PNGs at every size, and Mender's icon, drawn in code, looks like
// the installed picture rendered from its SVG.
#include <QImage>
#include <QtTest>

#include "CarverIcon.h"
#include "MenderIcon.h"

namespace {

// Share of pixels whose colour or coverage differ by more than a tenth.
double DifferingShare(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            const int worst = std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                        std::abs(p.blue() - q.blue()), std::abs(p.alpha() - q.alpha())});
            if (worst > 25) ++differing;
        }
    return double(differing) / (a.width() * a.height());
}

QImage Installed(const char* app, int size)
{
    return QImage(QStringLiteral(CARVER_ICON_DIR "/%1x%1/apps/io.github.carvermender.%2.png").arg(size).arg(app))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

class WindowIconTest : public QObject {
    Q_OBJECT

private slots:
    void carverIconIsTheInstalledPicture_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64, 128}) QTest::addRow("%d", size) << size;
    }
    void carverIconIsTheInstalledPicture()
    {
        QFETCH(int, size);
        const QImage shown = CarverIcon().pixmap(size, size).toImage().convertToFormat(
            QImage::Format_ARGB32_Premultiplied);
        const QImage installed = Installed("Carver", size);
        QVERIFY(!installed.isNull());
        QCOMPARE(shown.size(), QSize(size, size));
        QCOMPARE(DifferingShare(shown, installed), 0.0);
    }

    void menderIconLooksLikeTheInstalledPicture_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64}) QTest::addRow("%d", size) << size;
    }
    void menderIconLooksLikeTheInstalledPicture()
    {
        QFETCH(int, size);
        const QImage drawn = MenderIcon().pixmap(size, size).toImage().convertToFormat(
            QImage::Format_ARGB32_Premultiplied);
        const QImage installed = Installed("Mender", size);
        QVERIFY(!installed.isNull());
        QCOMPARE(drawn.size(), QSize(size, size));
        QVERIFY2(DifferingShare(drawn, installed) < 0.03,
                 "MenderIcon.cpp and the SVG no longer draw the same picture");
    }
};

QTEST_MAIN(WindowIconTest)
#include "WindowIconTest.moc"
