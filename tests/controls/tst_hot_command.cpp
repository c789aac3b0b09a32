#include "controls/hot_command.h"

#include <QDialog>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

using Look = HotCommand::Look;
Q_DECLARE_METATYPE(HotCommand::Look)

namespace {

constexpr double Twip = 1.0 / 15; // a twip in pixels

const QColor Face(0xC0, 0xC0, 0xC0);
const QColor Text(0x40, 0x40, 0x40);
const QColor HotFace(0xD0, 0xD0, 0xD0);
const QColor DownFace(0xE0, 0xE0, 0xE0);
const QColor Highlight(0xF8, 0xF8, 0xF8);
const QColor Shadow(0x80, 0x80, 0x80);
const QColor DarkRed(0x80, 0x00, 0x00);

// A window with two buttons side by side; the first is the one under test.
struct Host {
    QWidget window;
    HotCommand* button;
    HotCommand* other;

    Host()
    {
        window.resize(300, 120);
        button = make(QRect(50, 40, 80, 20));
        other = make(QRect(150, 40, 80, 20));
        window.show();
    }

    HotCommand* make(const QRect& geometry)
    {
        auto* command = new HotCommand(&window);
        QPalette palette = command->palette();
        palette.setColor(QPalette::Light, Highlight);
        palette.setColor(QPalette::Dark, Shadow);
        command->setPalette(palette);
        command->setBackColor(Face);
        command->setForeColor(Text);
        command->setBackColorHi(HotFace);
        command->setForeColorHi(Qt::black);
        command->setBackColorDown(DownFace);
        command->setForeColorDown(Qt::black);
        command->setGeometry(geometry);
        return command;
    }

    QImage image() { return button->grab().toImage(); }

    // Through the window, so that the grab decides who gets the event.
    void moveTo(const QPoint& inWindow) { QTest::mouseMove(window.windowHandle(), inWindow); }
    // Qt drops a move to where the pointer already is, so come from outside.
    void hover()
    {
        moveTo(outside());
        moveTo(inside());
    }
    QPoint inside() const { return button->geometry().center(); }
    QPoint outside() const { return button->geometry().bottomRight() + QPoint(20, 20); }
};

// Straight to the button, with fractional positions.
void send(HotCommand* button, QEvent::Type type, const QPointF& position,
          Qt::MouseButton changed = Qt::NoButton, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent event(type, position, button->mapToGlobal(position), changed, held, Qt::NoModifier);
    QApplication::sendEvent(button, &event);
}

// The smallest rectangle holding every pixel of the colour.
QRect pixelsOf(const QImage& image, const QColor& color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The smallest rectangle holding every pixel inside the edges that is not the face.
QRect inkOf(const QImage& image, const QColor& face)
{
    QRect box;
    for (int y = 1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            if (image.pixelColor(x, y) != face)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

bool centred(const QRect& ink, const QSize& size)
{
    return qAbs(ink.left() - (size.width() - 1 - ink.right())) <= 2 &&
           qAbs(ink.top() - (size.height() - 1 - ink.bottom())) <= 4;
}

} // namespace

class TestHotCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QVERIFY(QWidget::mouseGrabber() == nullptr); }

    void newControl()
    {
        HotCommand command;
        QCOMPARE(command.caption(), QStringLiteral("Command1"));
        QCOMPARE(command.focusPolicy(), Qt::StrongFocus);
        QCOMPARE(command.look(), Look::Normal);
    }

    // A point on the right or bottom edge is over the button; a twip beyond is not.
    void edgeRule_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<Look>("look");
        QTest::newRow("origin") << QPointF(0, 0) << Look::Hot;
        QTest::newRow("right edge") << QPointF(80, 5) << Look::Hot;
        QTest::newRow("bottom edge") << QPointF(5, 20) << Look::Hot;
        QTest::newRow("bottom-right corner") << QPointF(80, 20) << Look::Hot;
        QTest::newRow("a twip right") << QPointF(80 + Twip, 5) << Look::Normal;
        QTest::newRow("a twip below") << QPointF(5, 20 + Twip) << Look::Normal;
        QTest::newRow("a twip left") << QPointF(-Twip, 5) << Look::Normal;
        QTest::newRow("a twip above") << QPointF(5, -Twip) << Look::Normal;
    }
    // Leaving the window from a hot button where no move from outside it ever
    // comes (the grab on Wayland): the window's Leave ends the hot look.
    void leavingTheWindowEndsTheHotLook()
    {
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        send(host.button, QEvent::MouseMove, QPointF(40, 10));
        QCOMPARE(host.button->look(), Look::Hot);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&host.window, &leave);
        QCOMPARE(host.button->look(), Look::Normal);
        QVERIFY(!host.button->holdsPointer());
        QCOMPARE(host.image().pixelColor(5, 0), Face);
    }

    void edgeRule()
    {
        QFETCH(QPointF, point);
        QFETCH(Look, look);
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        send(host.button, QEvent::MouseMove, QPointF(40, 10));
        QCOMPARE(host.button->look(), Look::Hot);
        QVERIFY(host.button->holdsPointer());
        send(host.button, QEvent::MouseMove, point);
        QCOMPARE(host.button->look(), look);
        QCOMPARE(host.button->holdsPointer(), look == Look::Hot);
        QCOMPARE(host.image().pixelColor(5, 0), look == Look::Hot ? Highlight : Face);
    }

    // The edges prove the looks: raised when hot, sunken when down, none at rest.
    void looks_data()
    {
        QTest::addColumn<Look>("look");
        QTest::newRow("normal") << Look::Normal;
        QTest::newRow("hot") << Look::Hot;
        QTest::newRow("down") << Look::Down;
    }
    void looks()
    {
        QFETCH(Look, look);
        Host host;
        host.button->setCaption(QString());
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        if (look == Look::Hot)
            send(host.button, QEvent::MouseMove, QPointF(40, 10));
        if (look == Look::Down)
            send(host.button, QEvent::MouseButtonPress, QPointF(40, 10), Qt::LeftButton,
                 Qt::LeftButton);
        QCOMPARE(host.button->look(), look);
        const QImage image = host.image();
        const int w = image.width();
        const int h = image.height();
        const QColor face = look == Look::Normal ? Face : look == Look::Hot ? HotFace : DownFace;
        const QColor light = look == Look::Normal ? face : look == Look::Hot ? Highlight : Shadow;
        const QColor dark = look == Look::Normal ? face : look == Look::Hot ? Shadow : Highlight;
        QCOMPARE(image.pixelColor(1, 1), face);
        QCOMPARE(image.pixelColor(w / 2, h / 2), face);
        QCOMPARE(image.pixelColor(0, 0), light);
        QCOMPARE(image.pixelColor(w / 2, 0), light);
        QCOMPARE(image.pixelColor(0, h / 2), light);
        QCOMPARE(image.pixelColor(w / 2, h - 1), dark);
        QCOMPARE(image.pixelColor(w - 1, h / 2), dark);
        QCOMPARE(image.pixelColor(w - 1, 0), dark); // the outline's corners
        QCOMPARE(image.pixelColor(0, h - 1), dark);
        QCOMPARE(image.pixelColor(w - 1, h - 1), dark);
        if (look == Look::Down)
            send(host.button, QEvent::MouseButtonRelease, QPointF(200, 200), Qt::LeftButton);
        host.button->hide();
    }

    // The Exit button: white on dark red, raised when hot; sunken when down,
    // with the caption two pixels right and one down.
    void captionShift()
    {
        Host host;
        host.button->setCaption(QStringLiteral("Exit"));
        host.button->setForeColor(Qt::black);
        for (auto set : {&HotCommand::setBackColorHi, &HotCommand::setBackColorDown})
            (host.button->*set)(DarkRed);
        for (auto set : {&HotCommand::setForeColorHi, &HotCommand::setForeColorDown})
            (host.button->*set)(Qt::white);
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));

        send(host.button, QEvent::MouseMove, QPointF(40, 10));
        const QImage hot = host.image();
        send(host.button, QEvent::MouseButtonPress, QPointF(40, 10), Qt::LeftButton,
             Qt::LeftButton);
        const QImage down = host.image();
        send(host.button, QEvent::MouseButtonRelease, QPointF(200, 200), Qt::LeftButton);
        host.button->hide();

        QCOMPARE(hot.pixelColor(1, 1), DarkRed);
        QCOMPARE(down.pixelColor(1, 1), DarkRed);
        QCOMPARE(hot.pixelColor(40, 0), Highlight);
        QCOMPARE(down.pixelColor(40, 0), Shadow);
        QVERIFY(!pixelsOf(hot, Qt::white).isEmpty());
        QCOMPARE(pixelsOf(down, Qt::white), pixelsOf(hot, Qt::white).translated(2, 1));
        const QRect hotText = inkOf(hot, DarkRed);
        QCOMPARE(inkOf(down, DarkRed), hotText.translated(2, 1));
        QVERIFY(centred(hotText, hot.size()));
    }

    // Move in, press, release: MouseUp, then the normal look, then Click; the
    // next move makes it hot again.
    void ordinaryClick()
    {
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        QStringList order;
        connect(host.button, &HotCommand::mouseUp, this, [&] { order << "up"; });
        connect(host.button, &HotCommand::click, this, [&] {
            order << "click";
            QCOMPARE(host.button->look(), Look::Normal);
            QVERIFY(!host.button->holdsPointer());
        });
        host.hover();
        QCOMPARE(host.button->look(), Look::Hot);
        QTest::mousePress(host.window.windowHandle(), Qt::LeftButton, {}, host.inside());
        QCOMPARE(host.button->look(), Look::Down);
        QVERIFY(host.button->holdsPointer());
        QTest::mouseRelease(host.window.windowHandle(), Qt::LeftButton, {}, host.inside());
        QCOMPARE(order, QStringList({"up", "click"}));
        QCOMPARE(host.button->look(), Look::Normal);
        QCOMPARE(host.image().pixelColor(1, 1), Face);
        host.moveTo(host.inside() + QPoint(1, 0));
        QCOMPARE(host.button->look(), Look::Hot);
        host.moveTo(host.outside());
        QCOMPARE(host.button->look(), Look::Normal);
    }

    // Press, drag out (normal), back in (down), out again and release: no Click.
    void dragOutAndRelease()
    {
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        QSignalSpy click(host.button, &HotCommand::click);
        host.hover();
        QTest::mousePress(host.window.windowHandle(), Qt::LeftButton, {}, host.inside());
        host.moveTo(host.outside());
        QCOMPARE(host.button->look(), Look::Normal);
        QCOMPARE(host.image().pixelColor(5, 0), Face);
        host.hover();
        QCOMPARE(host.button->look(), Look::Down);
        host.moveTo(host.outside());
        QTest::mouseRelease(host.window.windowHandle(), Qt::LeftButton, {}, host.outside());
        QCOMPARE(click.count(), 0);
        QCOMPARE(host.button->look(), Look::Normal);
        QVERIFY(!host.button->holdsPointer());
        // The next move over it is an ordinary hot look again.
        host.hover();
        QCOMPARE(host.button->look(), Look::Hot);
        host.moveTo(host.outside());
    }

    // The pointer leaving is noticed through the grab even where the window has
    // another control right beside the button.
    void leavingToANeighbour()
    {
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        host.hover();
        QCOMPARE(host.button->look(), Look::Hot);
        // The move that leaves is the button's; the next one lights the neighbour.
        host.moveTo(host.other->geometry().center());
        QCOMPARE(host.button->look(), Look::Normal);
        QVERIFY(!host.button->holdsPointer());
        QCOMPARE(host.other->look(), Look::Normal);
        host.moveTo(host.other->geometry().center() + QPoint(1, 0));
        QCOMPARE(host.other->look(), Look::Hot);
        host.moveTo(host.outside() + QPoint(100, 0));
        QCOMPARE(host.other->look(), Look::Normal);
    }

    void doubleClick()
    {
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        QSignalSpy click(host.button, &HotCommand::click);
        QSignalSpy dbl(host.button, &HotCommand::dblClick);
        QTest::mouseDClick(host.window.windowHandle(), Qt::LeftButton, {}, host.inside());
        QCOMPARE(click.count(), 1);
        QCOMPARE(dbl.count(), 1);
        host.moveTo(host.outside());
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("clicks");
        QTest::newRow("Return") << int(Qt::Key_Return) << 1;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << 1;
        QTest::newRow("space") << int(Qt::Key_Space) << 1;
        QTest::newRow("a letter") << int(Qt::Key_A) << 0;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, clicks);
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        host.button->setFocus();
        send(host.button, QEvent::MouseMove, QPointF(40, 10)); // hot: the key turns it normal
        QSignalSpy click(host.button, &HotCommand::click);
        QTest::keyClick(host.button, Qt::Key(key));
        QCOMPARE(click.count(), clicks);
        QCOMPARE(host.button->look(), clicks ? Look::Normal : Look::Hot);
        QCOMPARE(host.button->holdsPointer(), clicks == 0);
        host.button->hide();
    }

    // Tab moves between the buttons and shows the focus mark; Enter clicks.
    void keyboardFocus()
    {
        Host host;
        host.button->setCaption(QString());
        host.other->setCaption(QString());
        host.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        // Focus given by activating the window shows no mark.
        for (HotCommand* command : {host.button, host.other})
            QVERIFY(pixelsOf(command->grab().toImage(), Text).isEmpty());
        for (int i = 0; i < 2; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            auto* focused = qobject_cast<HotCommand*>(QApplication::focusWidget());
            QVERIFY(focused != nullptr);
            HotCommand* unfocused = focused == host.button ? host.other : host.button;
            QCOMPARE(pixelsOf(focused->grab().toImage(), Text),
                     focused->rect().adjusted(2, 2, -2, -2));
            QVERIFY(pixelsOf(unfocused->grab().toImage(), Text).isEmpty());
            QSignalSpy click(focused, &HotCommand::click);
            QTest::keyClick(focused, Qt::Key_Return);
            QCOMPARE(click.count(), 1);
        }
    }

    // Disabled while hot: the normal look and the caption in button shadow at once.
    void disabledWhileHot()
    {
        Host host;
        host.button->setCaption(QStringLiteral("Search"));
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        host.hover();
        QCOMPARE(host.button->look(), Look::Hot);
        host.button->setEnabled(false);
        QVERIFY(!host.button->holdsPointer());
        QCOMPARE(host.button->look(), Look::Normal);
        const QImage image = host.image();
        QCOMPARE(image.pixelColor(5, 0), Face);
        QCOMPARE(image.pixelColor(1, 1), Face);
        QVERIFY(!pixelsOf(image, Shadow).isEmpty());
        QVERIFY(pixelsOf(image, Text).isEmpty());
        QVERIFY(pixelsOf(image, Qt::black).isEmpty());
        // A disabled button neither lights up nor clicks.
        QSignalSpy click(host.button, &HotCommand::click);
        host.moveTo(host.inside() + QPoint(1, 1));
        QTest::mouseClick(host.window.windowHandle(), Qt::LeftButton, {}, host.inside());
        QCOMPARE(host.button->look(), Look::Normal);
        QCOMPARE(click.count(), 0);
        // Enabled again: the caption in its own colour.
        host.button->setEnabled(true);
        QVERIFY(!pixelsOf(host.image(), Text).isEmpty());
        host.moveTo(host.outside());
    }

    // A new caption is printed centred on the present background, without edges;
    // a new hot colour waits for the next move.
    void captionChange()
    {
        Host host;
        host.button->setCaption(QStringLiteral("ABC"));
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        host.hover();
        host.button->setBackColorHi(DarkRed);
        QCOMPARE(host.image().pixelColor(1, 1), HotFace);
        host.button->setCaption(QStringLiteral("abc"));
        QCOMPARE(host.button->caption(), QStringLiteral("abc"));
        QCOMPARE(host.button->look(), Look::Normal);
        const QImage image = host.image();
        QCOMPARE(image.pixelColor(5, 0), HotFace);
        QCOMPARE(image.pixelColor(0, 5), HotFace);
        QVERIFY(!pixelsOf(image, Text).isEmpty());
        QVERIFY(centred(inkOf(image, HotFace), image.size()));
        host.moveTo(host.inside() + QPoint(1, 0));
        QCOMPARE(host.image().pixelColor(1, 1), DarkRed);
        host.moveTo(host.outside());
    }

    // An empty caption: every look without text, and Click still works.
    void emptyCaption()
    {
        Host host;
        host.button->setCaption(QString());
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        QSignalSpy click(host.button, &HotCommand::click);
        host.hover();
        QVERIFY(pixelsOf(host.image(), Qt::black).isEmpty());
        QTest::mouseClick(host.window.windowHandle(), Qt::LeftButton, {}, host.inside());
        QCOMPARE(click.count(), 1);
        host.moveTo(host.outside());
    }

    // A tooltip from the window shows while the button is hot and holds the grab.
    void toolTipWhileHot_data()
    {
        QTest::addColumn<QString>("windowTip");
        QTest::addColumn<QString>("ownTip");
        QTest::addColumn<QString>("shown");
        QTest::newRow("window's") << "Sort By URL"
                                  << ""
                                  << "Sort By URL";
        QTest::newRow("own") << ""
                             << "Own tip"
                             << "Own tip";
        QTest::newRow("window's wins") << "Sort By URL"
                                       << "Own tip"
                                       << "Sort By URL";
    }
    void toolTipWhileHot()
    {
        QFETCH(QString, windowTip);
        QFETCH(QString, ownTip);
        QFETCH(QString, shown);
        Host host;
        host.button->setToolTip(windowTip);
        host.button->setToolTipText(ownTip);
        host.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        host.hover();
        QVERIFY(host.button->holdsPointer());
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), shown);
        host.moveTo(host.outside());
        QCOMPARE(host.button->look(), Look::Normal);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    // The grab never outlives the look, nor is it taken from someone else.
    void grabEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button hidden") << "hide";
        QTest::newRow("window hidden") << "hide window";
        QTest::newRow("button deleted") << "delete";
        QTest::newRow("modal dialog") << "modal";
    }
    void grabEnds()
    {
        QFETCH(QString, how);
        Host host;
        host.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        host.hover();
        QVERIFY(host.button->holdsPointer());
        QDialog dialog;
        if (how == QLatin1String("hide")) {
            host.button->hide();
        } else if (how == QLatin1String("hide window")) {
            host.window.hide();
        } else if (how == QLatin1String("delete")) {
            delete host.button;
            host.button = nullptr;
        } else {
            dialog.setModal(true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        }
        QVERIFY(QWidget::mouseGrabber() == nullptr);
        if (host.button != nullptr)
            QCOMPARE(host.button->look(), Look::Normal);
    }

    void noGrabFromOthers()
    {
        Host host;
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        host.other->grabMouse();
        send(host.button, QEvent::MouseMove, QPointF(40, 10));
        QCOMPARE(host.button->look(), Look::Hot);
        QCOMPARE(QWidget::mouseGrabber(), host.other);
        host.other->releaseMouse();

        HotCommand hidden(&host.window);
        hidden.hide();
        send(&hidden, QEvent::MouseMove, QPointF(5, 5));
        QVERIFY(QWidget::mouseGrabber() == nullptr);
        send(host.button, QEvent::MouseMove, QPointF(-5, -5));
    }

    void rejectsAlign()
    {
        HotCommand command;
        QVERIFY(command.setAlign(4));
        QVERIFY(!command.setAlign(5));
        QVERIFY(!command.setAlign(-1));
        QCOMPARE(command.align(), 4);
    }
};

QTEST_MAIN(TestHotCommand)
#include "tst_hot_command.moc"
