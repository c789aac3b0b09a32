// A value label that grows into its room and is cut, with its whole text as a
// tooltip, only past it.
#include "controls/fitting_label.h"

#include <QtTest>

class TestFittingLabel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fits_data()
    {
        QTest::addColumn<int>("extra"); // characters beyond what the least width holds
        QTest::addColumn<bool>("cut");
        QTest::newRow("short") << 0 << false;
        QTest::newRow("into the room") << 1 << false;
        QTest::newRow("past the room") << 40 << true;
    }

    void fits()
    {
        QFETCH(int, extra);
        QFETCH(bool, cut);
        QWidget host;
        host.resize(300, 40);
        FittingLabel label(QStringLiteral("0"), &host);
        label.setGeometry(10, 10, 80, 14);
        const int x = label.x();
        label.setRoom(120);
        // A text just wider than the least width, or far wider than the room.
        QString text = QStringLiteral("1");
        while (label.fontMetrics().horizontalAdvance(text) < 80 - 4)
            text += u'2';
        text += QString(extra, u'3');
        label.setText(text);
        QCOMPARE(label.text(), text);
        QCOMPARE(label.x(), x);
        QCOMPARE(label.isCut(), cut);
        QVERIFY(label.width() >= 80 && label.width() <= 120);
        if (extra == 0)
            QCOMPARE(label.width(), 80);
        if (cut)
            QCOMPARE(label.width(), 120);
        // Short again: back to its least width.
        label.setText(QStringLiteral("0"));
        QCOMPARE(label.width(), 80);
        QVERIFY(!label.isCut());
    }
};

QTEST_MAIN(TestFittingLabel)
#include "tst_fitting_label.moc"
