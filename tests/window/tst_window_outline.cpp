#include "window/window_outline.h"

#include <QtTest>

class TestWindowOutline : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // At 15 twips per pixel every vertex divides exactly.
    void pixelsAt15_data()
    {
        QTest::addColumn<int>("vertex");
        QTest::addColumn<QPoint>("pixel");
        const QPoint table[] = {
            {18, 0},    {611, 0},   {612, 1},   {616, 1},   {617, 2},   {620, 3},   {627, 10},
            {629, 15},  {630, 20},  {630, 431}, {629, 432}, {629, 435}, {628, 436}, {627, 439},
            {619, 447}, {614, 449}, {609, 450}, {19, 450},  {18, 449},  {15, 449},  {14, 448},
            {11, 447},  {3, 439},   {1, 434},   {0, 429},   {0, 18},    {1, 17},    {1, 14},
            {2, 13},    {3, 10},    {10, 3},    {15, 1}};
        for (int i = 0; i < 32; ++i)
            QTest::addRow("vertex %d", i) << i << table[i];
    }
    void pixelsAt15()
    {
        QFETCH(int, vertex);
        QFETCH(QPoint, pixel);
        const QPolygon polygon = WindowOutline::outlinePolygon(15, 15);
        QCOMPARE(polygon.size(), 32);
        QCOMPARE(polygon.at(vertex), pixel);
    }

    // Other ratios scale the outline, halves rounding to the even neighbour.
    void otherRatios()
    {
        const QPolygon at12 = WindowOutline::outlinePolygon(12, 12);
        QCOMPARE(at12.at(0), QPoint(22, 0));               // 22.5
        QCOMPARE(at12.at(1), QPoint(764, 0));              // 763.75
        QCOMPARE(WindowOutline::twipsToPixels(30, 12), 2); // 2.5
        QCOMPARE(WindowOutline::twipsToPixels(90, 12), 8); // 7.5
        QCOMPARE(WindowOutline::twipsToPixels(15, 10), 2); // 1.5
        QCOMPARE(WindowOutline::twipsToPixels(45, 10), 4); // 4.5
        QCOMPARE(WindowOutline::twipsToPixels(44, 10), 4);
        QCOMPARE(WindowOutline::twipsToPixels(46, 10), 5);
        // x and y each use their own ratio.
        QCOMPARE(WindowOutline::outlinePolygon(15, 12).at(9), QPoint(630, 539)); // 538.75
    }

    // The region: the corners are cut away, everything within the frame is kept.
    void region()
    {
        const QRegion outline = buildWindowOutline(15);
        QCOMPARE(outline.boundingRect(), QRect(0, 0, 630, 450));
        for (const QPoint corner : {QPoint(0, 0), QPoint(629, 0), QPoint(0, 449), QPoint(629, 449),
                                    QPoint(5, 5), QPoint(625, 445)})
            QVERIFY2(!outline.contains(corner),
                     qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
        for (const QPoint inside :
             {QPoint(315, 225), QPoint(300, 0), QPoint(0, 225), QPoint(629, 225), QPoint(300, 449),
              QPoint(20, 20), QPoint(610, 430)})
            QVERIFY2(outline.contains(inside),
                     qPrintable(QStringLiteral("%1,%2").arg(inside.x()).arg(inside.y())));
    }

    void unusableRatios_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -15.0;
        QTest::newRow("not a number") << std::nan("");
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
        QTest::newRow("tiny") << 1e-9;
    }
    void unusableRatios()
    {
        QFETCH(double, ratio);
        QVERIFY(buildWindowOutline(ratio).isEmpty());
        QVERIFY(WindowOutline::outlinePolygon(15, ratio).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWindowOutline)
#include "tst_window_outline.moc"
