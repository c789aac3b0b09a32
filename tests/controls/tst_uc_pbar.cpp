#include "controls/uc_pbar.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int BarWidth = 402; // 400 pixels inside: one pixel of fill per half unit of 200
constexpr int BarHeight = 21;

const QColor HostColor(0x20, 0x60, 0x20);
const QColor Back(0xC0, 0xC0, 0xC0);
const QColor Bar(0x80, 0x80, 0x80);
const QColor Caption(0xFF, 0xFF, 0xFF);

// Runs steps such as "Min 1; Max 200; Value 1; Caption Analyzing" on a bar.
void run(UcPBar& bar, const QString& steps)
{
    for (const QString& step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString s = step.trimmed();
        const QString name = s.section(QLatin1Char(' '), 0, 0);
        const QString arg = s.section(QLatin1Char(' '), 1);
        if (name == QLatin1String("Min"))
            bar.setMin(arg.toInt());
        else if (name == QLatin1String("Max"))
            bar.setMax(arg.toInt());
        else if (name == QLatin1String("Value"))
            bar.setValue(arg.toInt());
        else if (name == QLatin1String("Style"))
            bar.setDisplayStyle(arg.toInt());
        else if (name == QLatin1String("Caption"))
            bar.setCaption(arg);
        else
            QTest::qFail(qPrintable(QStringLiteral("unknown step ") + s), __FILE__, __LINE__);
    }
}

// A host window with a background of its own and the bar on it.
struct Host {
    QWidget window;
    UcPBar* bar;

    Host()
    {
        window.resize(BarWidth + 40, BarHeight + 40);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, HostColor);
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        QFont font = window.font();
        font.setPixelSize(16);
        font.setBold(true);
        window.setFont(font);
        bar = new UcPBar(&window);
        bar->setGeometry(20, 20, BarWidth, BarHeight);
        bar->setBackColor(Back);
        bar->setBarBackColor(Bar);
        bar->setForeColor(Caption);
        window.show();
    }
    QImage image() { return window.grab(bar->geometry()).toImage(); }
};

bool hasColor(const QImage& image, QRect area, const QColor& color)
{
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == color)
                return true;
        }
    }
    return false;
}

} // namespace

class TestUcPBar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newControl()
    {
        UcPBar bar;
        QCOMPARE(bar.min(), 0);
        QCOMPARE(bar.max(), 100);
        QCOMPARE(bar.value(), 0);
        QCOMPARE(bar.displayStyle(), 0);
        QCOMPARE(bar.caption(), QStringLiteral("0 %")); // the new control's style 0 ran once
        QCOMPARE(bar.backStyle(), 1);
        QCOMPARE(bar.barBorder(), 1);
    }

    // The range test, the clamping and the caption of each display style.
    void updateBar_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("fill"); // pixels

        QTest::newRow("half") << "Value 50" << 50 << "50 %" << 200;
        QTest::newRow("Max 0 keeps fill and caption") << "Value 50; Max 0" << 50 << "50 %" << 200;
        QTest::newRow("Max 0, then a value") << "Value 50; Max 0; Value 30" << 0 << "50 %" << 200;
        QTest::newRow("Min 5 Max 3 Value 4 stores 5")
            << "Value 10; Min 5; Max 3; Value 4" << 5 << "10 %" << 40;
        QTest::newRow("1 of 200 is 1 %") << "Min 1; Max 200; Value 1" << 1 << "1 %" << 2;
        QTest::newRow("Max 3, 1") << "Max 3; Value 1" << 1 << "33 %" << 133;
        QTest::newRow("Max 3, 2") << "Max 3; Value 2" << 2 << "67 %" << 267;
        QTest::newRow("Max 3, 3") << "Max 3; Value 3" << 3 << "100 %" << 400;
        QTest::newRow("above Max clamps") << "Max 3; Value 9" << 3 << "100 %" << 400;
        QTest::newRow("below Min clamps") << "Min 10; Value 2" << 10 << "10 %" << 40;
        QTest::newRow("Max lowered below Value")
            << "Max 200; Value 150; Max 100" << 150 << "150 %" << 600;
        QTest::newRow("negative value") << "Min -50; Value -25" << -25 << "-25 %" << 100;
        QTest::newRow("rounds to zero") << "Max 1000; Value 4" << 4 << "0 %" << 2;
        QTest::newRow("negative, rounds to zero")
            << "Min -1000; Max 1000; Value -4" << -4 << "0 %" << 2;
        QTest::newRow("style 1") << "Style 1; Value 57" << 57 << "57" << 228;
        QTest::newRow("style 1 negative") << "Style 1; Min -9; Value -7" << -7 << "-7" << 28;
        QTest::newRow("style 2, 300") << "Max 2000000; Style 2; Value 300" << 300 << " Kb" << 0;
        QTest::newRow("style 2, 512") << "Max 2000000; Style 2; Value 512" << 512 << "1 Kb" << 0;
        QTest::newRow("style 2, 1536") << "Max 2000000; Style 2; Value 1536" << 1536 << "2 Kb" << 0;
        QTest::newRow("style 2, 0") << "Max 2000000; Style 2; Value 0" << 0 << " Kb" << 0;
        QTest::newRow("style 3, 1048576")
            << "Max 2000000; Style 3; Value 1048576" << 1048576 << "1 Mb" << 210;
        QTest::newRow("style 3, half a Mb")
            << "Max 2000000; Style 3; Value 524288" << 524288 << "1 Mb" << 105;
        QTest::newRow("style 4 defaults") << "Style 4" << 0 << "0 of 100" << 0;
        QTest::newRow("style 4") << "Style 4; Value 12" << 12 << "12 of 100" << 48;
        QTest::newRow("style 5 keeps the host's caption")
            << "Style 5; Caption Analyzing; Value 10; Max 50; Value 20" << 20 << "Analyzing" << 160;
        QTest::newRow("other styles replace it")
            << "Caption Analyzing; Value 10" << 10 << "10 %" << 40;
        QTest::newRow("style 6 keeps the caption")
            << "Value 20; Style 6; Value 40; Caption Kept; Value 60" << 60 << "Kept" << 240;
        QTest::newRow("style -1 keeps the caption")
            << "Value 20; Style -1; Value 40" << 40 << "20 %" << 160;
    }
    void updateBar()
    {
        QFETCH(QString, steps);
        QFETCH(qint32, value);
        QFETCH(QString, caption);
        QFETCH(int, fill);
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        run(*host.bar, steps);
        QCOMPARE(host.bar->value(), value);
        QCOMPARE(host.bar->caption(), caption);
        QCOMPARE(host.bar->fillRect().width(), fill);
        QCOMPARE(host.bar->fillRect().topLeft(), QPoint(1, 1));
        QCOMPARE(host.bar->fillRect().height(), BarHeight - 2);
    }

    // Pixels: the fill with and without its border, the surface beyond it, the
    // caption over the fill.
    void looks_data()
    {
        QTest::addColumn<int>("backStyle");
        QTest::addColumn<int>("barBorder");
        QTest::newRow("opaque, border") << 1 << 1;
        QTest::newRow("opaque, no border") << 1 << 0;
        QTest::newRow("transparent, border") << 0 << 1;
    }
    void looks()
    {
        QFETCH(int, backStyle);
        QFETCH(int, barBorder);
        Host host;
        QVERIFY(host.bar->setBackStyle(backStyle));
        QVERIFY(host.bar->setBarBorder(barBorder));
        host.bar->setValue(50); // 200 of 400 pixels
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        const QImage image = host.image();
        const QColor surface = backStyle == 1 ? Back : HostColor;
        const QColor edge = barBorder == 1 ? QColor(Qt::black) : Bar;
        const int y = BarHeight - 3; // below the caption
        QCOMPARE(image.pixelColor(0, y), surface);
        QCOMPARE(image.pixelColor(1, y), edge);
        QCOMPARE(image.pixelColor(2, y), Bar);
        QCOMPARE(image.pixelColor(199, y), Bar);
        QCOMPARE(image.pixelColor(200, y), edge);
        QCOMPARE(image.pixelColor(201, y), surface);
        QCOMPARE(image.pixelColor(BarWidth - 1, y), surface);
        QCOMPARE(image.pixelColor(100, 0), surface);
        QCOMPARE(image.pixelColor(100, 1), edge);
        QCOMPARE(image.pixelColor(100, BarHeight - 2), edge);
        QCOMPARE(image.pixelColor(100, BarHeight - 1), surface);
        // The caption "50 %" lies over the fill's right end and the surface.
        QVERIFY(hasColor(image, host.bar->captionRect(), Caption));
        QVERIFY(host.bar->captionRect().left() < 200 && host.bar->captionRect().right() > 200);
    }

    // A fill wider than the inner area is cut off at the control's right edge.
    void overfullFill()
    {
        Host host;
        run(*host.bar, QStringLiteral("Max 200; Value 150; Max 100"));
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        const QImage image = host.image();
        QCOMPARE(image.pixelColor(BarWidth - 1, BarHeight - 3), Bar);
        QCOMPARE(host.window.grab().toImage().pixelColor(20 + BarWidth, 20 + BarHeight - 3),
                 HostColor);
    }

    void surfaceBorder()
    {
        Host host;
        QVERIFY(host.bar->setBorderStyle(1));
        host.bar->setValue(50);
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        const QImage image = host.image();
        QCOMPARE(image.pixelColor(0, 10), QColor(Qt::black));
        QCOMPARE(image.pixelColor(BarWidth - 1, 10), QColor(Qt::black));
        QCOMPARE(host.bar->fillRect().topLeft(), QPoint(2, 2));
        QCOMPARE(host.bar->fillRect().width(), 199); // half of the 398 pixels inside
    }

    void rejectsStyles()
    {
        UcPBar bar;
        QVERIFY(!bar.setBackStyle(2));
        QVERIFY(!bar.setBorderStyle(-1));
        QVERIFY(!bar.setBarBorder(40000));
        QCOMPARE(bar.backStyle(), 1);
        QCOMPARE(bar.borderStyle(), 0);
        QCOMPARE(bar.barBorder(), 1);
    }

    // The caption is centred only by a resize; later text grows to the right.
    void captionCentredOnResize()
    {
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        host.bar->setDisplayStyle(5);
        host.bar->setCaption(QStringLiteral("Reading"));
        host.bar->resize(300, BarHeight);
        const QRect centred = host.bar->captionRect();
        QVERIFY(qAbs(centred.left() + centred.right() + 1 - 300) <= 1);
        QVERIFY(qAbs(centred.top() + centred.bottom() + 1 - BarHeight) <= 1);

        host.bar->setCaption(QStringLiteral("Reading more"));
        const QRect grown = host.bar->captionRect();
        QCOMPARE(grown.topLeft(), centred.topLeft());
        QVERIFY(grown.width() > centred.width());
        QVERIFY(hasColor(host.image(), grown.adjusted(centred.width() + 2, 0, 0, 0), Caption));

        QSignalSpy resized(host.bar, &UcPBar::resized);
        host.bar->resize(BarWidth, BarHeight);
        QCOMPARE(resized.count(), 1);
        const QRect recentred = host.bar->captionRect();
        QVERIFY(qAbs(recentred.left() + recentred.right() + 1 - BarWidth) <= 1);
    }

    void change()
    {
        UcPBar bar;
        QSignalSpy change(&bar, &UcPBar::change);
        QSignalSpy changed(&bar, &UcPBar::propertyChanged);
        bar.setCaption(QStringLiteral("Reading"));
        QCOMPARE(change.count(), 1);
        bar.setValue(5); // style 0 writes the caption
        QCOMPARE(change.count(), 2);
        bar.setDisplayStyle(6);
        bar.setValue(6); // style 6 leaves it
        QCOMPARE(change.count(), 2);
        QCOMPARE(changed.takeFirst().at(0).toString(), QStringLiteral("Caption"));
        QCOMPARE(changed.takeFirst().at(0).toString(), QStringLiteral("Value"));
        QCOMPARE(changed.takeFirst().at(0).toString(), QStringLiteral("DisplayStyle"));
        QCOMPARE(changed.takeFirst().at(0).toString(), QStringLiteral("Value"));
        bar.setDisplayStyle(5); // the caption is set again, unchanged
        QCOMPARE(change.count(), 3);
        QCOMPARE(bar.caption(), QStringLiteral("5 %"));
    }

    // Input on the surface is relayed; on the fill or the caption it is not.
    void relaysSurfaceInput()
    {
        Host host;
        host.bar->setValue(25); // fill 1..100
        host.bar->setCaption(QString());
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        QSignalSpy click(host.bar, &UcPBar::click);
        QSignalSpy down(host.bar, &UcPBar::mouseDown);
        QSignalSpy up(host.bar, &UcPBar::mouseUp);
        QSignalSpy dbl(host.bar, &UcPBar::dblClick);

        const QPoint surface(300, 10);
        QTest::mouseClick(host.bar, Qt::LeftButton, {}, surface);
        QCOMPARE(click.count(), 1);
        QCOMPARE(down.count(), 1);
        QCOMPARE(up.count(), 1);
        QCOMPARE(down.at(0).at(0).value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::LeftButton));
        QCOMPARE(down.at(0).at(2).toPointF(), QPointF(surface));

        QTest::mouseClick(host.bar, Qt::LeftButton, {}, QPoint(50, 10)); // on the fill
        QCOMPARE(click.count(), 1);
        QCOMPARE(down.count(), 1);

        QTest::mouseDClick(host.bar, Qt::LeftButton, {}, surface);
        QCOMPARE(dbl.count(), 1);
    }
};

QTEST_MAIN(TestUcPBar)
#include "tst_uc_pbar.moc"
