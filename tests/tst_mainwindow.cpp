// First: the QWidget overloads of QTest's functions, also where the build
// does not define QT_WIDGETS_LIB (the Windows syntax check).
#include <QtTest/qtest_widgets.h>

#include "common/librarysheet.h"

#include "engine/installprocessmgr.h"
#include "ui/installingpage.h"
#include "ui/mainwindow.h"
#include "ui/uninstallcompletedpage.h"
#include "ui/upperwidget.h"
#include "uilib/cfancytitle.h"
#include "uilib/cmodaltipdialog.h"
#include "uilib/ulmora.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace appinstaller;

Q_DECLARE_METATYPE(QVector<LeftoverItem>)

// The window offscreen, with no removal started.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { delete m_window; }
    void geometry_data();
    void geometry();
    void styleSheet();
    void inlineStyleSheets_data();
    void inlineStyleSheets();
    void buttonsUnderLibrarySheet_data();
    void buttonsUnderLibrarySheet();
    void images_data();
    void images();
    void progress_data();
    void progress();
    void pixels();
    void composed_data();
    void composed();
    void closeRequests_data();
    void closeRequests();
    void cancelQuestion_data();
    void cancelQuestion();
    void dragByTitle_data();
    void dragByTitle();
    void unshownStartsNothing();
    void opensInTheMiddle_data();
    void opensInTheMiddle();

private:
    MainWindow* m_window = nullptr;
    InstallingPage* m_progress = nullptr;
    UnInstallCompletedPage* m_completed = nullptr;
};

void TestMainWindow::init()
{
    m_window = new MainWindow;
    // The designed window, whether or not this system composes it.
    m_window->setComposed(true);
    m_window->show();
    m_progress = m_window->findChild<InstallingPage*>();
    m_completed = m_window->findChild<UnInstallCompletedPage*>();
}

void TestMainWindow::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("rect"); // in the window

    QTest::newRow("stack") << "m_pInstallStackedWidget"
                           << "QStackedWidget" << QRect(12, 12, 720, 480);
    QTest::newRow("title area") << "m_pUpperWidget"
                                << "appinstaller::UpperWidget" << QRect(12, 12, 720, 320);
    QTest::newRow("title bar") << "m_pTopTitleWidget"
                               << "appinstaller::CustomTitleWidget" << QRect(12, 12, 720, 60);
    QTest::newRow("track") << "m_pWidgetProcessBar"
                           << "QWidget" << QRect(48, 388, 648, 16);
    // The completion page's lower area: margins 36, 32, 36, 24, the finish
    // button in its bottom right corner, nothing below it.
    // x -1: right-aligned (finish button, at least its minimum width) or
    // centred with the text beside it (icon): the left edge is not fixed.
    QTest::newRow("finish button") << "completion:m_pCompletedBtn"
                                   << "Ulmora::CCommandButton" << QRect(-1, 436, 88, 32);
    QTest::newRow("success icon") << "completion:m_pIconToolBtn"
                                  << "QPushButton" << QRect(-1, 364, 32, 32);
}

void TestMainWindow::geometry()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, rect);

    QCOMPARE(m_window->size(), QSize(744, 504));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    // The first match is the outermost: the page's UpperWidget, not the
    // inner widget of the same name.
    const QWidget* widget = nullptr;
    if (name.startsWith(QLatin1String("completion:"))) {
        m_window->onFinishedUnInstall();
        widget = m_completed->findChild<QWidget*>(name.section(QLatin1Char(':'), 1));
    } else {
        widget = m_progress->findChild<QWidget*>(name);
    }
    if (!widget)
        widget = m_window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    const QRect placed(widget->mapTo(m_window, QPoint(0, 0)), widget->size());
    if (rect.x() >= 0) {
        QCOMPARE(placed, rect);
    } else if (className == QLatin1String("QPushButton")) {
        QCOMPARE(placed.y(), rect.y());
        QCOMPARE(placed.size(), rect.size());
    } else {
        QCOMPARE(placed.right(), 12 + 720 - 36 - 1);
        QCOMPARE(placed.y(), rect.y());
        QCOMPARE(placed.height(), rect.height());
        QVERIFY(placed.width() >= rect.width());
    }
}

// The window's sheet is the resource's text, and every object name it
// selects exists, of that class, inside a widget of the class the rule names
// (a rename would silently drop the look). The progress-bar rules match
// nothing on purpose.
void TestMainWindow::styleSheet()
{
    QFile file(QStringLiteral(":/Uninstall/Qss/Uninstall.qss"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QCOMPARE(m_window->styleSheet().toUtf8(), text);

    const QRegularExpression selector(QStringLiteral("([\\w-]+)\\s+([\\w-]+)#(\\w+)"));
    int checked = 0;
    for (auto it = selector.globalMatch(QString::fromUtf8(text)); it.hasNext();) {
        const QRegularExpressionMatch rule = it.next();
        const QByteArray outer =
            rule.captured(1).replace(QLatin1String("--"), QLatin1String("::")).toLatin1();
        const QByteArray inner =
            rule.captured(2).replace(QLatin1String("--"), QLatin1String("::")).toLatin1();
        if (inner == "Ulmora::CProgressBar")
            continue;
        bool found = false;
        for (QWidget* widget : m_window->findChildren<QWidget*>(rule.captured(3)))
            for (QWidget* up = widget->parentWidget(); up && !found; up = up->parentWidget())
                found = widget->inherits(inner.constData()) && up->inherits(outer.constData());
        QVERIFY2(found, qPrintable(rule.captured(0)));
        ++checked;
    }
    QCOMPARE(checked, 8);
}

// The sheets single widgets set on themselves, exactly; the title bar's
// close button takes no focus instead of hiding it by its sheet.
void TestMainWindow::inlineStyleSheets_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("close button") << "close"
                                  << "background:transparent; border:none; "
                                     "border-image:url(:/Uninstall/Images/common_close.svg);";
    QTest::newRow("title text") << "title"
                                << "font-size: 16px; color: #FFFFFF; letter-spacing: -0.39px; "
                                   "font-weight: bold ";
    QTest::newRow("track") << "m_pWidgetProcessBar"
                           << "border:1px solid rgba(0,0,0,0.2);border-radius:8px";
    QTest::newRow("chunk") << "frame"
                           << "background:red; border-radius:5px; border:none;";
}

void TestMainWindow::inlineStyleSheets()
{
    QFETCH(QString, widget);
    QFETCH(QString, sheet);
    for (UpperWidget* upper : m_window->findChildren<UpperWidget*>()) {
        auto* title = upper->findChild<Ulmora::CFancyTitle*>();
        QVERIFY(title);
        const QWidget* found = nullptr;
        if (widget == QLatin1String("close")) {
            found = title->findChild<QAbstractButton*>();
            QCOMPARE(found->focusPolicy(), Qt::NoFocus);
        } else if (widget == QLatin1String("title")) {
            for (const QLabel* label : title->findChildren<QLabel*>())
                if (!label->text().isEmpty())
                    found = label;
        } else {
            found = m_progress->findChild<QWidget*>(widget);
        }
        QVERIFY(found);
        QCOMPARE(found->styleSheet(), sheet);
    }
}

// The application-wide sheet of the component library, as the program sets
// it, leaves the sizes the forms fix to the buttons.
void TestMainWindow::buttonsUnderLibrarySheet_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fixed"); // the form sets its maximum size too
    QTest::newRow("cancel") << "m_pCancelBtn" << true;
    QTest::newRow("completion") << "m_pCompletedBtn" << false;
}

void TestMainWindow::buttonsUnderLibrarySheet()
{
    QFETCH(QString, name);
    QFETCH(bool, fixed);
    const QString sheet = librarySheet();
    QVERIFY(!sheet.isEmpty());
    qApp->setStyleSheet(sheet);
    MainWindow window;
    window.show();
    QWidget* button = window.findChild<QWidget*>(name);
    QVERIFY(button);
    button->parentWidget()->layout()->activate();
    const QSize minimum = button->minimumSize();
    const QSize size = button->size();
    qApp->setStyleSheet(QString());
    QCOMPARE(minimum, QSize(88, 32));
    if (fixed)
        QCOMPARE(size, QSize(88, 32));
    else
        QCOMPARE(size.height(), 32);
}

void TestMainWindow::images_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("count");

    QTest::newRow("background") << "Background.png" << QSize(720, 320) << 1;
    QTest::newRow("background @2x") << "Background@2x.png" << QSize(1440, 640) << 1;
    QTest::newRow("close") << "common_close.svg" << QSize(24, 24) << 1;
    QTest::newRow("close @2x") << "common_close@2x.svg" << QSize(48, 48) << 1;
    QTest::newRow("success") << "common_feedback_success_lg.svg" << QSize(40, 40) << 1;
    QTest::newRow("success @2x") << "common_feedback_success_lg@2x.svg" << QSize(80, 80) << 1;
    QTest::newRow("warning") << "common_feedback_warning_lg.svg" << QSize(40, 40) << 1;
    QTest::newRow("warning @2x") << "common_feedback_warning_lg@2x.svg" << QSize(80, 80) << 1;
    QTest::newRow("info") << "common_feedback_info_sm.svg" << QSize(24, 24) << 1;
    QTest::newRow("info @2x") << "common_feedback_info_sm@2x.svg" << QSize(48, 48) << 1;
    QTest::newRow("icon") << "icon.ico" << QSize(128, 128) << 9;
}

void TestMainWindow::images()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(int, count);

    QImageReader reader(QStringLiteral(":/Uninstall/Images/") + name);
    QCOMPARE(qMax(reader.imageCount(), 1), count);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
}

void TestMainWindow::progress_data()
{
    QTest::addColumn<int>("percent"); // -1: no report yet
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QString>("text");

    QTest::newRow("before any report") << -1 << 0 << "";
    QTest::newRow("0") << 0 << 0 << "0%";
    QTest::newRow("30 drops the fraction") << 30 << 192 << "30%";
    QTest::newRow("60") << 60 << 385 << "60%";
    QTest::newRow("100") << 100 << 642 << "100%";
}

void TestMainWindow::progress()
{
    QFETCH(int, percent);
    QFETCH(int, chunk);
    QFETCH(QString, text);

    if (percent >= 0) {
        m_progress->onProcessInfo(60, QStringLiteral("earlier step"));
        m_progress->onProcessInfo(percent, QStringLiteral("step"));
    }
    QCOMPARE(m_progress->findChild<QWidget*>(QStringLiteral("frame"))->width(), chunk);
    QCOMPARE(m_progress->findChild<QLabel*>(QStringLiteral("m_pInstallProgressLabel"))->text(),
             text);
    QCOMPARE(m_progress->findChild<QLabel*>(QStringLiteral("m_pInstallingLabel"))->text(),
             percent >= 0 ? QStringLiteral("step") : QString());
}

// A white card in a transparent margin that holds only the shadow; after the
// last report a red run as wide as the track less its margins.
void TestMainWindow::pixels()
{
    const QImage window = m_window->grab().toImage();
    QCOMPARE(qAlpha(window.pixel(0, 250)), 0);
    const int shadow = qAlpha(window.pixel(9, 250));
    QVERIFY2(shadow > 0 && shadow < 255, qPrintable(QString::number(shadow)));
    QCOMPARE(window.pixel(372, 480), qRgb(255, 255, 255));

    m_progress->onProcessInfo(100, QStringLiteral("done"));
    const QImage track =
        m_progress->findChild<QWidget*>(QStringLiteral("m_pWidgetProcessBar"))->grab().toImage();
    int first = -1;
    int red = 0;
    for (int x = 0; x < track.width(); ++x) {
        const QRgb pixel = track.pixel(x, track.height() / 2);
        if (qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80) {
            first = first < 0 ? x : first;
            ++red;
        }
    }
    QCOMPARE(first, 3);
    QCOMPARE(red, 642);
}

void TestMainWindow::composed_data()
{
    QTest::addColumn<bool>("composed");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("card"); // the stack's place in the window

    QTest::newRow("composed: the card in its shadow") << true << QSize(744, 504) << QPoint(12, 12);
    QTest::newRow("nothing composes: the card alone") << false << QSize(720, 480) << QPoint(0, 0);
}

// Where nothing composes a translucent window its transparent margin would
// show black: the window is the card alone, opaque.
void TestMainWindow::composed()
{
    QFETCH(bool, composed);
    QFETCH(QSize, size);
    QFETCH(QPoint, card);

    MainWindow window;
    window.setComposed(composed);
    window.show();
    QCOMPARE(window.size(), size);
    const auto* stack = window.findChild<QStackedWidget*>();
    QCOMPARE(stack->geometry(), QRect(card, QSize(720, 480)));
    QCOMPARE(window.testAttribute(Qt::WA_TranslucentBackground), composed);
    QCOMPARE(stack->graphicsEffect() != nullptr, composed);
    // The window's left edge beside the lower, white part of the card.
    const QRgb edge = window.grab().toImage().pixel(0, 440);
    if (composed)
        QCOMPARE(qAlpha(edge), 0);
    else
        QCOMPARE(edge, qRgb(255, 255, 255));
}

void TestMainWindow::closeRequests_data()
{
    QTest::addColumn<bool>("completionPage");
    QTest::addColumn<bool>("titleBar"); // else the finish button

    QTest::newRow("progress page, title bar") << false << true;
    QTest::newRow("completion page, title bar") << true << true;
    QTest::newRow("completion page, finish button") << true << false;
}

void TestMainWindow::closeRequests()
{
    QFETCH(bool, completionPage);
    QFETCH(bool, titleBar);

    QWidget* page = completionPage ? static_cast<QWidget*>(m_completed) : m_progress;
    auto* upper = page->findChild<UpperWidget*>();
    QSignalSpy upperSpy(upper, &UpperWidget::signalClose);
    QSignalSpy pageSpy(page, SIGNAL(signalClose()));
    QAbstractButton* button =
        titleBar ? upper->findChild<QAbstractButton*>()
                 : page->findChild<QAbstractButton*>(QStringLiteral("m_pCompletedBtn"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(upperSpy.count(), titleBar ? 1 : 0);
    QCOMPARE(pageSpy.count(), 1);
    QVERIFY(!m_window->isVisible());
}

void TestMainWindow::cancelQuestion_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("cancels");

    QTest::newRow("declined") << "m_pCancelBtn" << 0;
    QTest::newRow("accepted") << "m_pConfirmBtn" << 1;
}

void TestMainWindow::cancelQuestion()
{
    QFETCH(QString, answer);
    QFETCH(int, cancels);

    QSignalSpy cancelSpy(m_progress, &InstallingPage::signalCancelInstall);
    QString question;
    QTimer::singleShot(0, this, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        question = dialog->findChild<QLabel*>(QStringLiteral("m_pContentLabel"))->text();
        dialog->findChild<QAbstractButton*>(answer)->click();
    });
    QTest::mouseClick(m_progress->findChild<QAbstractButton*>(QStringLiteral("m_pCancelBtn")),
                      Qt::LeftButton);
    QCOMPARE(question, QStringLiteral("ConfirmUninstallOemAjtmnj"));
    QCOMPARE(cancelSpy.count(), cancels);
    QVERIFY(m_window->isVisible());
}

void TestMainWindow::dragByTitle_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QPoint>("grab"); // in the title bar, away from its button

    QTest::newRow("progress page") << "progress" << QPoint(200, 30);
    QTest::newRow("completion page") << "completion" << QPoint(5, 5);
    QTest::newRow("dialog") << "dialog" << QPoint(40, 16);
}

// A left-button drag on the title keeps the grabbed point under the mouse;
// after the release the mouse moves alone.
void TestMainWindow::dragByTitle()
{
    QFETCH(QString, window);
    QFETCH(QPoint, grab);

    std::unique_ptr<Ulmora::CModalTipDialog> dialog;
    QWidget* dragged = m_window;
    QWidget* page = m_progress;
    if (window == QLatin1String("completion")) {
        m_window->onFinishedUnInstall();
        page = m_completed;
    } else if (window == QLatin1String("dialog")) {
        dialog = std::make_unique<Ulmora::CModalTipDialog>(nullptr);
        dialog->show();
        dragged = page = dialog.get();
    }
    QVERIFY(QTest::qWaitForWindowExposed(dragged));
    auto* title = page->findChild<Ulmora::CFancyTitle*>();
    QVERIFY(title && title->isVisible());
    dragged->move(300, 200);
    const QPoint start = dragged->pos();

    const auto send = [title](QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, title->mapFromGlobal(global), global, button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(title, &event);
    };
    const QPoint pressed = title->mapToGlobal(grab);
    send(QEvent::MouseButtonPress, pressed, Qt::LeftButton);
    for (const QPoint& by : {QPoint(37, 21), QPoint(-150, 90), QPoint(0, -180)}) {
        send(QEvent::MouseMove, pressed + by, Qt::LeftButton);
        QCOMPARE(dragged->pos(), start + by);
        QCOMPARE(title->mapToGlobal(grab), pressed + by);
    }
    send(QEvent::MouseButtonRelease, pressed + QPoint(0, -180), Qt::NoButton);
    send(QEvent::MouseMove, pressed + QPoint(60, 60), Qt::NoButton);
    QCOMPARE(dragged->pos(), start + QPoint(0, -180));
}

void TestMainWindow::unshownStartsNothing()
{
    MainWindow unshown;
    QVERIFY(unshown.findChildren<QThread*>().isEmpty());
}

// The window opens in the middle of the screen the confirmation was on, not
// where a new window goes without a window manager (the top left corner),
// whatever its size.
void TestMainWindow::opensInTheMiddle_data()
{
    QTest::addColumn<bool>("composed");
    QTest::addColumn<bool>("screenGiven");
    QTest::newRow("composed, the question's screen") << true << true;
    QTest::newRow("the card alone, the question's screen") << false << true;
    QTest::newRow("no question: the screen under the pointer") << true << false;
}

void TestMainWindow::opensInTheMiddle()
{
    QFETCH(bool, composed);
    QFETCH(bool, screenGiven);
    QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    MainWindow window;
    window.setComposed(composed);
    if (screenGiven)
        window.setHomeScreen(screen);
    window.show();
    const QPoint middle = screen->availableGeometry().center();
    QVERIFY2((window.frameGeometry().center() - middle).manhattanLength() <= 1,
             qPrintable(QStringLiteral("%1,%2 not %3,%4")
                            .arg(window.frameGeometry().center().x())
                            .arg(window.frameGeometry().center().y())
                            .arg(middle.x())
                            .arg(middle.y())));
    QVERIFY(window.pos() != QPoint(0, 0));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
