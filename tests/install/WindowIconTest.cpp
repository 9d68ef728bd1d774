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

QImage Installed(const QString& app, int size)
{
    return QImage(QStringLiteral(CARVER_ICON_DIR "/%1x%1/apps/io.github.carvermender.%2.png").arg(size).arg(app))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

class WindowIconTest : public QObject {
    Q_OBJECT

private slots:
    // Carver's window loads the installed PNGs, so they must match exactly;
    // Mender's is drawn by QPainter, which smooths edges a little differently.
    void windowIconLooksLikeTheInstalledPicture_data()
    {
        QTest::addColumn<QIcon>("icon");
        QTest::addColumn<QString>("app");
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("allowed");
        for (int size : {16, 32, 48, 64, 128})
            QTest::addRow("Carver %d", size) << CarverIcon() << QStringLiteral("Carver") << size << 0.0;
        for (int size : {16, 32, 48, 64})
            QTest::addRow("Mender %d", size) << MenderIcon() << QStringLiteral("Mender") << size << 0.03;
    }
    void windowIconLooksLikeTheInstalledPicture()
    {
        QFETCH(QIcon, icon);
        QFETCH(QString, app);
        QFETCH(int, size);
        QFETCH(double, allowed);
        const QImage shown = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage installed = Installed(app, size);
        QVERIFY(!installed.isNull());
        QCOMPARE(shown.size(), QSize(size, size));
        QVERIFY2(DifferingShare(shown, installed) <= allowed, "the window's icon and the installed picture differ");
    }
};

QTEST_MAIN(WindowIconTest)
#include "WindowIconTest.moc"
