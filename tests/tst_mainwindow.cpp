// First: the QWidget overloads of QTest's functions, also where the build
// does not define QT_WIDGETS_LIB (the Windows syntax check).
#include <QtTest/qtest_widgets.h>

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
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace appinstaller;

namespace
{
// The component library's application-wide sheet, as the program loads it.
QString librarySheet()
{
    QString sheet;
    Ulmora::InitResource(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/../bin/rcc/guiresource.rcc"),
                         sheet, false);
    return sheet;
}
} // namespace

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
    void buttonsUnderLibrarySheet_data();
    void buttonsUnderLibrarySheet();
    void images_data();
    void images();
    void progress_data();
    void progress();
    void pixels();
    void closeRequests_data();
    void closeRequests();
    void cancelQuestion_data();
    void cancelQuestion();
    void leftovers_data();
    void leftovers();
    void dragByTitle_data();
    void dragByTitle();
    void unshownStartsNothing();

private:
    MainWindow* m_window = nullptr;
    InstallingPage* m_progress = nullptr;
    UnInstallCompletedPage* m_completed = nullptr;
};

void TestMainWindow::init()
{
    m_window = new MainWindow;
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
    const QWidget* widget = m_progress->findChild<QWidget*>(name);
    if (!widget)
        widget = m_window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(QRect(widget->mapTo(m_window, QPoint(0, 0)), widget->size()), rect);
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
    QTest::newRow("close") << "common_close.svg" << QSize(24, 24) << 1;
    QTest::newRow("close @2x") << "common_close@2x.svg" << QSize(48, 48) << 1;
    QTest::newRow("success") << "common_feedback_success_lg.svg" << QSize(40, 40) << 1;
    QTest::newRow("success @2x") << "common_feedback_success_lg@2x.svg" << QSize(80, 80) << 1;
    QTest::newRow("warning") << "common_feedback_warning_lg.svg" << QSize(40, 40) << 1;
    QTest::newRow("info") << "common_feedback_info_sm.svg" << QSize(24, 24) << 1;
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

void TestMainWindow::leftovers_data()
{
    QTest::addColumn<QVector<LeftoverItem>>("record");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("notShown");
    QTest::addColumn<QString>("language"); // of the build's translations; none: the source texts
    QTest::addColumn<qreal>("fontScale");  // of the system's font, as "Make text bigger" sets it

    const QString a = QStringLiteral("/programs/Ferrovane");
    const QString b = QStringLiteral("/desktop/Ferrovane.lnk");
    QTest::newRow("empty") << QVector<LeftoverItem>{} << QStringList{} << "could not" << QString()
                           << 1.0;
    // The note shows paths as the system writes them.
    QTest::newRow("two paths") << QVector<LeftoverItem>{{a, false}, {b, false}}
                               << QStringList{QStringLiteral("could not be removed"),
                                              QDir::toNativeSeparators(a),
                                              QDir::toNativeSeparators(b)}
                               << "Windows restarts" << QString() << 1.0;
    // Long paths are shortened until everything fits below the button.
    QVector<LeftoverItem> seven;
    for (int i = 1; i <= 7; ++i)
        seven.append(
            {QStringLiteral("/programs/Ferrovane/lib/plugins/format%1.dll").arg(i), false});
    // Left for a reason of its own: said in words, the headline says so too.
    using R = appinstaller::LeftoverReason;
    QTest::newRow("shared folder")
        << QVector<LeftoverItem>{{a, false, R::Shared},
                                 {QStringLiteral("HKEY_LOCAL_MACHINE\\x"), false, R::EntryKept}}
        << QStringList{QStringLiteral("shared with another program"),
                       QDir::toNativeSeparators(QStringLiteral("/Ferrovane"))}
        << "HKEY" << QString() << 1.0;
    // Several reasons: each sentence shown is whole, the first one at least.
    const QVector<LeftoverItem> reasons{
        {a, false, R::Shared},
        {QStringLiteral("/programs/Ferrovane/data"), false, R::OtherFileSystem},
        {QStringLiteral("/menu/Ferrovane"), false, R::NotOnlyShortcuts},
        {b, false, R::NotRemoved},
        {QStringLiteral("HKEY_LOCAL_MACHINE\\x"), false, R::EntryKept}};
    QTest::newRow("several reasons")
        << reasons
        << QStringList{QStringLiteral("shared with another program"),
                       QDir::toNativeSeparators(QStringLiteral("/Ferrovane"))}
        << "HKEY" << QString() << 1.0;
    QTest::newRow("in use, removed at restart")
        << QVector<LeftoverItem>{{a, true, R::NotRemoved}}
        << QStringList{QStringLiteral("Windows restarts"), QDir::toNativeSeparators(a)}
        << "could not" << QString() << 1.0;
    // A long path keeps its last name whole; its folders give way.
    const QString deep = QStringLiteral("/programs/") +
                         QStringLiteral("very long folder name/").repeated(12) +
                         QStringLiteral("the file that stayed.dll");
    QTest::newRow("long path") << QVector<LeftoverItem>{{deep, false}}
                               << QStringList{QDir::toNativeSeparators(
                                                  QStringLiteral("/the file that stayed.dll")),
                                              QDir::toNativeSeparators(QStringLiteral("/programs"))}
                               << QDir::toNativeSeparators(deep) << QString() << 1.0;
    // Five are all named; from six on the rest are counted.
    QTest::newRow("five") << seven.mid(0, 5)
                          << QStringList{QStringLiteral("format1.dll"),
                                         QStringLiteral("format5.dll")}
                          << "more" << QString() << 1.0;
    QTest::newRow("six") << seven.mid(0, 6)
                         << QStringList{QStringLiteral("format5.dll"), QStringLiteral("and 1 more")}
                         << "format6.dll" << QString() << 1.0;
    QTest::newRow("seven") << seven
                           << QStringList{QStringLiteral("format1.dll"),
                                          QStringLiteral("format5.dll"),
                                          QStringLiteral("and 2 more")}
                           << "format6.dll" << QString() << 1.0;
    // The user's own files, kept where an install manifest narrowed the
    // removal, and a manifest that was not used: named, the removal complete.
    const QString folder = QStringLiteral("/programs/Ferrovane");
    const QVector<LeftoverItem> kept{
        {QStringLiteral("saves/slot1.sav"), false, R::NotListed, folder},
        {QStringLiteral("notes.txt"), false, R::NotListed, folder}};
    QTest::newRow("the user's files kept")
        << kept
        << QStringList{QStringLiteral("Kept 2 files"), QStringLiteral("did not install, in"),
                       QDir::toNativeSeparators(folder),
                       QDir::toNativeSeparators(QStringLiteral("saves/slot1.sav")),
                       QStringLiteral("notes.txt")}
        << "could not" << QStringLiteral("en") << 1.0;
    QTest::newRow("manifest not used, a line refused")
        << QVector<LeftoverItem>{{QStringLiteral("/app/InstallManifest.txt"), false,
                                  R::ManifestNotUsed},
                                 {QStringLiteral("7"), false, R::ManifestLineRefused,
                                  QStringLiteral("/app/InstallManifest.txt")}}
        << QStringList{QStringLiteral("Nothing was removed: the list of installed files cannot"),
                       QStringLiteral("that cannot be used: 7.")}
        << "incomplete" << QString() << 1.0;
    // A folder not proved, where the program was found instead: no promise
    // that another run finishes (the kept entry's sentence, checked below).
    QTest::newRow("not proved, the program elsewhere")
        << QVector<LeftoverItem>{{QStringLiteral("/tools"), false, R::NotProducts},
                                 {QStringLiteral("/tools/Ferrovane Desk"), false, R::Lookalike,
                                  QStringLiteral("/tools")},
                                 {QStringLiteral("HKEY_LOCAL_MACHINE\\x"), false, R::EntryKept}}
        << QStringList() << "can finish" << QStringLiteral("en") << 1.0;
    QTest::newRow("the user's files kept, zh")
        << kept << QStringList{QString::fromUtf8("已保留 2 个")} << "HKEY" << QStringLiteral("zh")
        << 1.0;
    // Whatever the language and the font, the note fits in whole lines and
    // what it leaves out is a click away.
    for (const char* language : {"en", "zh"})
        for (const qreal scale : {1.0, 1.5})
            for (const auto& [tag, record] :
                 {std::make_pair("seven", seven), std::make_pair("several reasons", reasons)})
                QTest::addRow("%s, %s, %gx", tag, language, scale)
                    << record << QStringList{} << "HKEY" << QString::fromLatin1(language) << scale;
}

void TestMainWindow::leftovers()
{
    QFETCH(QVector<LeftoverItem>, record);
    QFETCH(QStringList, shown);
    QFETCH(QString, notShown);
    QFETCH(QString, language);
    QFETCH(qreal, fontScale);

    // The window is made anew under the row's language, font and the
    // library's sheet, as the program makes it once these are set.
    QTranslator translator;
    if (!language.isEmpty()) {
        QVERIFY(translator.load(QStringLiteral("uninstaller_") + language,
                                QCoreApplication::applicationDirPath() +
                                    QStringLiteral("/../bin/translations")));
        qApp->installTranslator(&translator);
        qApp->setStyleSheet(librarySheet());
    }
    const QFont systemFont = QApplication::font();
    QFont font = systemFont;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * fontScale);
    else
        font.setPixelSize(qRound(font.pixelSize() * fontScale));
    QApplication::setFont(font);
    const auto restore = qScopeGuard([&] {
        QApplication::setFont(systemFont);
        qApp->removeTranslator(&translator);
        qApp->setStyleSheet(QString());
    });
    if (!language.isEmpty() || fontScale != 1.0) {
        delete m_window;
        init();
    }

    m_window->onFinishedUnInstall(); // nothing ran: the engine's record is empty
    QCOMPARE(m_window->findChild<QStackedWidget*>()->currentWidget(), m_completed);
    auto* label = m_completed->findChild<QLabel*>(QStringLiteral("m_pLeftoverLabel"));
    QVERIFY(!label->isVisible());
    const QWidget* button = m_completed->findChild<QWidget*>(QStringLiteral("m_pCompletedBtn"));
    const QRect buttonBefore = button->geometry();

    m_completed->showLeftovers(record);
    label->parentWidget()->layout()->activate();
    QCOMPARE(label->isVisible(), !record.isEmpty());
    for (const QString& text : shown)
        QVERIFY2(label->text().contains(text), qPrintable(label->text()));
    QVERIFY2(!label->text().contains(notShown), qPrintable(label->text()));
    // The headline: complete unless something stays that no restart removes.
    const auto* headline = m_completed->findChild<QLabel*>(QStringLiteral("m_pInstallInfoLabel"));
    const bool incomplete = std::any_of(record.begin(), record.end(), [](const LeftoverItem& item) {
        return !item.bScheduled && item.reason != LeftoverReason::NotListed &&
               item.reason != LeftoverReason::PreInstall &&
               item.reason != LeftoverReason::NotOnlyShortcuts &&
               item.reason != LeftoverReason::Lookalike;
    });
    QCOMPARE(headline->text(),
             incomplete ? QCoreApplication::translate("appinstaller::UnInstallCompletedPage",
                                                      "Uninstall incomplete")
                        : QCoreApplication::translate("UnInstallCompletedUI", "Uninstalled"));
    if (record.isEmpty()) {
        QCOMPARE(button->geometry(), buttonBefore);
        return;
    }
    QCOMPARE(button->height(), 32);
    QVERIFY(button->geometry().bottom() < label->geometry().top());
    // Whole lines: everything the note says fits its height.
    QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
    // UNINSTALLER_NOTE_SHOTS names a folder for pictures of the larger font.
    if (qEnvironmentVariableIsSet("UNINSTALLER_NOTE_SHOTS") && fontScale > 1)
        m_window->grab().save(QStringLiteral("%1/%2-%3-large.png")
                                  .arg(qEnvironmentVariable("UNINSTALLER_NOTE_SHOTS"), language,
                                       QString::fromLatin1(QTest::currentDataTag())
                                           .section(QLatin1Char(','), 0, 0)
                                           .replace(QLatin1Char(' '), QLatin1Char('-'))));

    // Every path reaches a screen reader and the details in full; the note
    // links to them whenever it leaves a path out or shortens it.
    const QString description = label->accessibleDescription();
    bool named = true;
    for (const LeftoverItem& item : record) {
        const QString path = QDir::toNativeSeparators(item.strPath);
        // The kept entry is a sentence of its own, without its path.
        const QString said =
            item.reason != LeftoverReason::EntryKept ? path
            : appinstaller::Outcome(record).laterRunMayFinish()
                ? QCoreApplication::translate("appinstaller::UnInstallCompletedPage",
                                              "The product stays listed as installed, so that "
                                              "running the uninstaller again can finish.")
                : QCoreApplication::translate(
                      "appinstaller::UnInstallCompletedPage",
                      "The product stays listed as installed. Running the uninstaller again "
                      "changes nothing until what is named here is dealt with.");
        QVERIFY2(description.contains(said), qPrintable(description));
        named = named && label->text().contains(said);
    }
    QCOMPARE(label->text().contains(QLatin1String("<a href")), !named);
    if (!named) {
        emit label->linkActivated(QStringLiteral("#details"));
        auto* details = m_completed->findChild<QDialog*>(QStringLiteral("m_pLeftoverDetails"));
        QVERIFY(details && details->isVisible());
        const QString list = details->findChild<QPlainTextEdit*>()->toPlainText();
        for (const LeftoverItem& item : record)
            QVERIFY2(list.split(QLatin1Char('\n')).contains(QDir::toNativeSeparators(item.strPath)),
                     qPrintable(list));
        if (qEnvironmentVariableIsSet("UNINSTALLER_NOTE_SHOTS") && fontScale > 1)
            details->grab().save(
                QStringLiteral("%1/%2-details.png")
                    .arg(qEnvironmentVariable("UNINSTALLER_NOTE_SHOTS"), language));
        details->close();
    }
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
