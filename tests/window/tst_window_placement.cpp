// Where the window opens: centred in the screen's free area, never beyond its
// top or left edge.
#include "window/window_placement.h"

#include <QtTest>

class TestWindowPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void place_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("at");
        const QSize tavrin(631, 450);
        QTest::newRow("centred") << tavrin << QRect(0, 0, 1280, 800) << QPoint(324, 175);
        QTest::newRow("below a top panel") << tavrin << QRect(0, 27, 1280, 773) << QPoint(324, 189);
        // 1280 x 800 at scale 2 is 640 x 400: taller than that, the top stays on screen.
        QTest::newRow("scale 2 on 1280x800") << tavrin << QRect(0, 0, 640, 400) << QPoint(4, 0);
        QTest::newRow("scale 2, a panel above")
            << tavrin << QRect(0, 16, 640, 384) << QPoint(4, 16);
        QTest::newRow("wider and taller")
            << QSize(800, 600) << QRect(0, 0, 640, 400) << QPoint(0, 0);
        QTest::newRow("second screen")
            << tavrin << QRect(1280, 0, 1920, 1080) << QPoint(1280 + 644, 315);
    }

    void place()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, available);
        QFETCH(QPoint, at);
        QCOMPARE(placeInside(size, available), at);
    }
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"
