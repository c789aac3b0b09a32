#include "window/tray_icon.h"
#include "window/window_test_support.h"

#include <QSignalSpy>
#include <QWidget>
#include <QWindow>
#include <QtTest>

class TestTrayIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programIconSizes()
    {
        const QIcon icon = programIcon();
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
        for (const int size : {16, 32}) {
            const QImage image = icon.pixmap(size, size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            // An opaque tile with transparent rounded corners.
            QCOMPARE(image.pixelColor(size / 2, size / 2).alpha(), 255);
            QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        }
        QVERIFY(QFile::exists(QStringLiteral(":/icons/tavrin.svg")));
    }

    void tip() { QCOMPARE(TrayIcon::tip(), QStringLiteral("Ardow's Pellwick: Tavrin")); }

    // A left or right press brings the window forward; nothing else does.
    void presses_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<int>("pressed");
        QTest::newRow("left") << QSystemTrayIcon::Trigger << 1;
        QTest::newRow("right") << QSystemTrayIcon::Context << 1;
        QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << 0;
        QTest::newRow("middle") << QSystemTrayIcon::MiddleClick << 0;
        QTest::newRow("unknown") << QSystemTrayIcon::Unknown << 0;
    }
    void presses()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(int, pressed);
        TrayIcon tray;
        QSignalSpy spy(&tray, &TrayIcon::pressed);
        tray.iconActivated(reason);
        QCOMPARE(spy.count(), pressed);
    }

    // Shown while the program runs, removed on close; silent without a tray.
    void createAndDelete()
    {
        TrayIcon tray;
        const bool available = QSystemTrayIcon::isSystemTrayAvailable();
        if (!available)
            QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        tray.createIcon();
        QCOMPARE(tray.isShown(), available);
        tray.deleteIcon();
        QVERIFY(!tray.isShown());
    }

    // Without a notification area nothing is shown, and the icon comes as soon
    // as one appears; after DeleteIcon it does not come back.
    void trayThatAppearsLater()
    {
        bool available = false;
        TrayIcon tray(nullptr, [&] { return available; });
        tray.setWatchInterval(20);
        tray.createIcon();
        QVERIFY(!tray.isShown());
        QTest::qWait(60);
        QVERIFY(!tray.isShown());
        available = true;
        QVERIFY(QTest::qWaitFor([&] { return tray.isShown(); }, 2000));
        tray.deleteIcon();
        QVERIFY(!tray.isShown());

        TrayIcon closed(nullptr, [&] { return available; });
        available = false;
        closed.setWatchInterval(20);
        closed.createIcon();
        closed.deleteIcon();
        available = true;
        QTest::qWait(100);
        QVERIFY(!closed.isShown());
    }

    // Tavrin's window leaves the taskbar to the tray icon only where there is
    // a notification area; without one it keeps its button (and Alt+Tab).
    void taskbarButtonWithoutATray_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("no notification area") << false;
        QTest::newRow("a notification area") << true;
    }

    void taskbarButtonWithoutATray()
    {
        QFETCH(bool, trayAvailable);
        TrayIcon::setDefaultAvailability([=] { return trayAvailable; });
        const auto reset = qScopeGuard([] { TrayIcon::setDefaultAvailability({}); });
        FakeRegistry registry;
        SamePath resolver;
        MainWindow w(Skin::Tavrin, registry, resolver);
        const Qt::WindowFlags flags = w.windowFlags();
        QCOMPARE((flags & Qt::WindowType_Mask) == Qt::Tool, trayAvailable);
        QVERIFY(flags & Qt::FramelessWindowHint);
    }

    // Covered by another window, the window comes to the front and is active,
    // and ends in the ordinary band, not stuck above everything.
    void bringsToFront()
    {
        QWidget window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.resize(200, 100);
        QWidget other;
        other.resize(200, 100);
        window.show();
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        bringToFront(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(window.isVisible());
        QVERIFY(!(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);

        bringToFront(nullptr); // nothing to do
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_tray_icon.moc"
