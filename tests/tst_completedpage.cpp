// First: the QWidget overloads of QTest's functions, also where the build
// does not define QT_WIDGETS_LIB (the Windows syntax check).
#include <QtTest/qtest_widgets.h>

#include "common/librarysheet.h"

#include "config/appconfigmanager.h"
#include "engine/installprocessmgr.h"
#include "ui/mainwindow.h"
#include "ui/uninstallcompletedpage.h"
#include "ui/upperwidget.h"
#include "uilib/cfancytitle.h"
#include "uilib/ulmora.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTranslator>
#include <QtTest>

#include <algorithm>

using namespace appinstaller;

namespace
{

// A language of the build's translations (none: the source texts) with the
// library's sheet, and the system's font made larger ("Make text bigger"),
// for as long as it lives.
struct Look {
    Look(const QString& language, qreal fontScale) : systemFont(QApplication::font())
    {
        if (!language.isEmpty()) {
            loaded = translator.load(QStringLiteral("uninstaller_") + language,
                                     QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/../bin/translations"));
            qApp->installTranslator(&translator);
            qApp->setStyleSheet(librarySheet());
        }
        QFont font = systemFont;
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * fontScale);
        else
            font.setPixelSize(qRound(font.pixelSize() * fontScale));
        QApplication::setFont(font);
    }
    ~Look()
    {
        QApplication::setFont(systemFont);
        qApp->removeTranslator(&translator);
        qApp->setStyleSheet(QString());
    }
    QTranslator translator;
    const QFont systemFont;
    bool loaded = true;
};

const QChar kWordJoiner(0x2060);

// Without the isolation of each name, which shows nothing.
QString unisolated(QString text)
{
    return text.remove(QChar(0x2068)).remove(QChar(0x2069));
}

// What a reader of the note's rich text sees, with a line break where the
// label's width ends each line when width is given.
QString readText(const QString& html, const QFont& font = QFont(), int width = -1)
{
    QTextDocument document;
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setHtml(html);
    QString text = document.toPlainText();
    if (width > 0) {
        document.setTextWidth(width);
        document.size(); // lays it out
        QStringList lines;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            for (int i = 0; i < block.layout()->lineCount(); ++i) {
                const QTextLine line = block.layout()->lineAt(i);
                lines << block.text().mid(line.textStart(), line.textLength());
            }
        text = lines.join(QLatin1Char('\n'));
    }
    return unisolated(text.remove(kWordJoiner).replace(QChar(QChar::Nbsp), QLatin1Char(' ')));
}

// The page's text in the installed language.
QString pageText(const char* text, const char* comment = nullptr)
{
    return QCoreApplication::translate("appinstaller::UnInstallCompletedPage", text, comment);
}

// The headline: complete unless something stays that no restart removes.
QString expectedHeadline(const QVector<LeftoverItem>& record)
{
    const bool incomplete = std::any_of(record.begin(), record.end(), [](const LeftoverItem& item) {
        return !item.bScheduled && item.reason != LeftoverReason::NotListed &&
               item.reason != LeftoverReason::NotOnlyShortcuts &&
               item.reason != LeftoverReason::Lookalike;
    });
    return incomplete ? pageText("Uninstall incomplete")
                      : QCoreApplication::translate("UnInstallCompletedUI", "Uninstalled");
}

} // namespace

Q_DECLARE_METATYPE(QVector<LeftoverItem>)

// The completion page in its window, offscreen, with no removal started.
class TestCompletedPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { delete m_window; }
    void leftovers_data();
    void leftovers();
    void noteLayout_data();
    void noteLayout();
    void sharpImages();
    void trialRunHeadline();
    void trialRunNote_data();
    void trialRunNote();
    void namesCannotReorder_data();
    void detailsDialog_data();
    void detailsDialog();
    void namesCannotReorder();

private:
    void checkFullList(const QVector<LeftoverItem>& record, const QString& note,
                       const QString& language, qreal fontScale);

    MainWindow* m_window = nullptr;
    UnInstallCompletedPage* m_completed = nullptr;
};

void TestCompletedPage::init()
{
    m_window = new MainWindow;
    // The designed window, whether or not this system composes it.
    m_window->setComposed(true);
    m_window->show();
    m_completed = m_window->findChild<UnInstallCompletedPage*>();
}

void TestCompletedPage::leftovers_data()
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
        seven.append({QStringLiteral("/programs/Ferrovane/lib/format%1.dll").arg(i), false});
    // Left for a reason of its own: said in words, the headline says so too.
    using R = appinstaller::LeftoverReason;
    QTest::newRow("shared folder")
        << QVector<LeftoverItem>{{a, false, R::Shared},
                                 {QStringLiteral("HKEY_LOCAL_MACHINE\\x"), false, R::EntryKept}}
        << QStringList{QStringLiteral("shared with another program"),
                       QDir::toNativeSeparators(QStringLiteral("/Ferrovane"))}
        << "HKEY" << QString() << 1.0;
    // The other product named, and what to do; "run again" only where that
    // would finish; a name that looks like markup shown as text.
    LeftoverItem sharedWith{a, false, R::Shared};
    sharedWith.sharedWith = {{QStringLiteral("Other <b>Tool</b>"), QStringLiteral("{X}")}};
    QTest::newRow("shared with a product named")
        << QVector<LeftoverItem>{sharedWith}
        << QStringList{QStringLiteral("Other <b>Tool</b> is installed in it too"),
                       QStringLiteral("first, then run this uninstaller again")}
        << "shared with another program" << QString() << 1.0;
    sharedWith.sharedWith = {{QString(), QStringLiteral("{0C5D7E21}")}};
    sharedWith.bUnproved = true;
    QTest::newRow("shared with an entry without a name, not the product's either")
        << QVector<LeftoverItem>{sharedWith}
        << QStringList{QStringLiteral("{0C5D7E21} is installed in it too")}
        << "run this uninstaller" << QString() << 1.0;
    // An entry that an earlier installation of this product left: its key
    // to delete, never "uninstall Ferrovane first".
    const QString kOldKey =
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\"
                       "CurrentVersion\\Uninstall\\{0C5D7E21-9B44-4F3A-8E61-2A7F5C0D9B13}");
    sharedWith.sharedWith = {
        {QStringLiteral("Ferrovane 2.1"), QStringLiteral("{0C5D7E21}"), kOldKey, true}};
    sharedWith.bUnproved = false;
    QTest::newRow("an earlier installation's entry records it")
        << QVector<LeftoverItem>{sharedWith}
        << QStringList{QStringLiteral("An old entry of this program keeps"),
                       QStringLiteral("Delete its registry key and run this uninstaller again: "
                                      "\u2026\\{0C5D7E21-9B44-4F3A-8E61-2A7F5C0D9B13}.")}
        << "Uninstall Ferrovane" << QString() << 1.0;
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
    // Installed into a folder of the user's, no manifest: nothing of it
    // went, why, and what to do, in both languages; no run again promised.
    const QVector<LeftoverItem> notOwn{
        {QStringLiteral("/tools"), false, R::NotOwnFolder},
        {QStringLiteral("HKEY_LOCAL_MACHINE\\x"), false, R::EntryKept}};
    QTest::newRow("not a folder of the product's own")
        << notOwn
        << QStringList{QStringLiteral("Nothing was removed from"),
                       QDir::toNativeSeparators(QStringLiteral("/tools")),
                       QStringLiteral("not the product's own folder"),
                       QStringLiteral("tells the product's files from yours"),
                       QStringLiteral("Remove them by hand.")}
        << "can finish" << QStringLiteral("en") << 1.0;
    QTest::newRow("not a folder of the product's own, zh")
        << notOwn
        << QStringList{QString::fromUtf8("不是本产品专用的文件夹"),
                       QString::fromUtf8("请手动删除本产品的文件")}
        << "can finish" << QStringLiteral("zh") << 1.0;
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

void TestCompletedPage::leftovers()
{
    QFETCH(QVector<LeftoverItem>, record);
    QFETCH(QStringList, shown);
    QFETCH(QString, notShown);
    QFETCH(QString, language);
    QFETCH(qreal, fontScale);

    const Look look(language, fontScale);
    QVERIFY(look.loaded);
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
    const QString note = readText(label->text());
    for (const QString& text : shown)
        QVERIFY2(note.contains(text), qPrintable(note));
    QVERIFY2(!note.contains(notShown), qPrintable(note));
    const auto* headline = m_completed->findChild<QLabel*>(QStringLiteral("m_pInstallInfoLabel"));
    QCOMPARE(headline->text(), expectedHeadline(record));
    QCOMPARE(button->geometry(), buttonBefore);
    if (record.isEmpty())
        return;
    QVERIFY(!button->geometry().intersects(label->geometry()));
    // Whole lines: everything the note says fits its height.
    QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
    // UNINSTALLER_NOTE_SHOTS names a folder for pictures of the larger font.
    if (qEnvironmentVariableIsSet("UNINSTALLER_NOTE_SHOTS") && fontScale > 1)
        m_window->grab().save(QStringLiteral("%1/%2-%3-large.png")
                                  .arg(qEnvironmentVariable("UNINSTALLER_NOTE_SHOTS"), language,
                                       QString::fromLatin1(QTest::currentDataTag())
                                           .section(QLatin1Char(','), 0, 0)
                                           .replace(QLatin1Char(' '), QLatin1Char('-'))));

    checkFullList(record, note, language, fontScale);
}

// Every path reaches a screen reader and the details in full; the note
// links to them whenever it leaves a path out or shortens it.
void TestCompletedPage::checkFullList(const QVector<LeftoverItem>& record, const QString& note,
                                      const QString& language, qreal fontScale)
{
    auto* label = m_completed->findChild<QLabel*>(QStringLiteral("m_pLeftoverLabel"));
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
        named = named && note.contains(said);
        // The key of an entry to delete by hand, whole, as the user types it.
        for (const appinstaller::SharingProduct& product : item.sharedWith) {
            if (!product.earlierEntry)
                continue;
            QVERIFY2(description.contains(product.key), qPrintable(description));
            named = named && note.contains(product.key);
        }
    }
    QCOMPARE(label->text().contains(QLatin1String("<a href")), !named);
    if (!named) {
        emit label->linkActivated(QStringLiteral("#details"));
        auto* details = m_completed->findChild<QDialog*>(QStringLiteral("m_pLeftoverDetails"));
        QVERIFY(details && details->isVisible());
        const QString list = unisolated(details->findChild<QPlainTextEdit*>()->toPlainText());
        for (const LeftoverItem& item : record) {
            QVERIFY2(list.split(QLatin1Char('\n')).contains(QDir::toNativeSeparators(item.strPath)),
                     qPrintable(list));
            for (const appinstaller::SharingProduct& product : item.sharedWith)
                QVERIFY2(!product.earlierEntry || list.contains(product.key), qPrintable(list));
        }
        if (qEnvironmentVariableIsSet("UNINSTALLER_NOTE_SHOTS") && fontScale > 1)
            details->grab().save(
                QStringLiteral("%1/%2-details.png")
                    .arg(qEnvironmentVariable("UNINSTALLER_NOTE_SHOTS"), language));
        details->close();
    }
}

namespace
{

// count items left, with spaces and Chinese in their names: the install
// folder waiting for the restart with a file another program holds, then the
// user's files kept, then files that could not be removed.
QVector<LeftoverItem> longRecord(int count)
{
    using R = LeftoverReason;
    const QString top = QStringLiteral("/Program Files/Ferrovane Studio/铁风帆 游戏");
    LeftoverItem folder(top, true, R::NotRemoved);
    folder.holders = QStringList{QStringLiteral("docs/file one.dat: notepad.exe (process 4312)")};
    QVector<LeftoverItem> record{folder};
    if (count >= 3)
        record << LeftoverItem(QStringLiteral("My Saves/第一个 存档.sav"), false, R::NotListed, top)
               << LeftoverItem(QStringLiteral("notes for later.txt"), false, R::NotListed, top);
    for (int i = record.size(); i < count; ++i)
        record << LeftoverItem(
            QStringLiteral("/Program Files/Ferrovane Studio/插件 目录/format plugin %1/格式 %1.dll")
                .arg(i));
    return record;
}

// The last folder and the name of path, as the page writes them.
QString tail(const QString& path)
{
    return QDir::toNativeSeparators(path.section(QLatin1Char('/'), -2));
}

} // namespace

void TestCompletedPage::noteLayout_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<qreal>("fontScale");
    QTest::addColumn<int>("count");

    for (const char* language : {"en", "zh"})
        for (const qreal scale : {1.0, 1.5, 2.0})
            for (const int count : {1, 3, 50})
                QTest::addRow("%s, %gx, %d left", language, scale, count)
                    << QString::fromLatin1(language) << scale << count;
}

// Whatever the language, the font and the record: the button stays where the
// form puts it, the note stays inside the form's margins beside it, and no
// line breaks inside a name; who holds a file is said.
void TestCompletedPage::noteLayout()
{
    QFETCH(QString, language);
    QFETCH(qreal, fontScale);
    QFETCH(int, count);
    const Look look(language, fontScale);
    QVERIFY(look.loaded);
    delete m_window;
    init();
    m_window->onFinishedUnInstall();
    auto* label = m_completed->findChild<QLabel*>(QStringLiteral("m_pLeftoverLabel"));
    const QWidget* button = m_completed->findChild<QWidget*>(QStringLiteral("m_pCompletedBtn"));
    const QWidget* bottom = button->parentWidget();
    const QRect form = button->geometry();

    const QVector<LeftoverItem> record = longRecord(count);
    m_completed->showLeftovers(record);
    bottom->layout()->activate();
    QCOMPARE(button->geometry(), form);
    // Outside the form's layouts: beside the button and under the result
    // line, within the form's side margins, the card's foot kept clear.
    for (const QLayout* layout : m_completed->findChildren<QLayout*>())
        QCOMPARE(layout->indexOf(label), -1);
    const QRect note(label->mapTo(bottom, QPoint()), label->size());
    const QMargins margins = bottom->layout()->contentsMargins();
    const QWidget* result = m_completed->findChild<QWidget*>(QStringLiteral("m_pInstallInfoLabel"));
    QCOMPARE(note.left(), margins.left());
    QVERIFY(note.top() > result->geometry().bottom());
    QVERIFY(note.bottom() < bottom->height() - margins.bottom() / 2);
    QVERIFY(note.right() < form.left());
    QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));

    const QString whole = readText(label->text());
    const QString lines = readText(label->text(), label->font(), label->contentsRect().width());
    QStringList paths;
    for (const LeftoverItem& item : record)
        paths << item.strPath << item.strFolder;
    paths << QStringLiteral("docs/file one.dat");
    for (const QString& path : paths) {
        if (path.isEmpty() || !whole.contains(path.section(QLatin1Char('/'), -1)))
            continue;
        QVERIFY2(lines.contains(tail(path)), qPrintable(lines));
    }
    // Shortened by whole folders: "…" stands between separators.
    QVERIFY2(!whole.contains(QRegularExpression(QStringLiteral("[^/\\\\\\s]…|…[^/\\\\]"))),
             qPrintable(whole));
    // With the system's font, room for a sentence naming the first item.
    if (fontScale == 1.0)
        QVERIFY2(whole.contains(tail(record.first().strPath)), qPrintable(whole));

    const QString held = pageText("%1 is open in %2.")
                             .arg(QDir::toNativeSeparators(QStringLiteral("docs/file one.dat")),
                                  pageText("%1 (process %2)", "a program holding a file open")
                                      .arg(QStringLiteral("notepad.exe"), QStringLiteral("4312")));
    QVERIFY2(!whole.contains(QStringLiteral("file one.dat")) || whole.contains(held),
             qPrintable(whole + QLatin1Char('\n') + held));
    m_completed->showDetails();
    const auto* details = m_completed->findChild<QDialog*>(QStringLiteral("m_pLeftoverDetails"));
    const QString list = unisolated(details->findChild<QPlainTextEdit*>()->toPlainText());
    QVERIFY2(list.split(QLatin1Char('\n')).contains(held), qPrintable(list));
}

// On a display scaled to 200 % (QT_SCALE_FACTOR=2) the banner is its @2x
// file pixel for pixel, not the small one enlarged; at 100 % the small one.
void TestCompletedPage::sharpImages()
{
    const qreal ratio = m_window->devicePixelRatioF();
    if (ratio != 1.0 && ratio != 2.0)
        QSKIP("pixel for pixel at 100 % and 200 % only");
    m_window->onFinishedUnInstall();
    const QImage shown = m_completed->findChild<UpperWidget*>()->grab().toImage();
    QCOMPARE(shown.size(), QSize(720, 320) * ratio);
    const QImage file(ratio > 1 ? QStringLiteral(":/Uninstall/Images/Background@2x.png")
                                : QStringLiteral(":/Uninstall/Images/Background.png"));
    QCOMPARE(file.size(), shown.size());
    // Below the title bar, away from the rounded corners.
    int worst = 0;
    for (int y = int(80 * ratio); y < int(310 * ratio); ++y)
        for (int x = int(20 * ratio); x < int(700 * ratio); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = file.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
}

// A trial run's page says nothing was removed, whatever would have stayed;
// the next real run's page is a real one again.
void TestCompletedPage::trialRunNote_data()
{
    using R = appinstaller::LeftoverReason;
    QTest::addColumn<QVector<LeftoverItem>>("record");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("shown");
    LeftoverItem shared{QStringLiteral("/programs/Ferrovane"), false, R::Shared};
    shared.sharedWith = {{QStringLiteral("Other Tool"), QStringLiteral("{X}")}};
    QTest::newRow("nothing would stay") << QVector<LeftoverItem>{} << "en"
                                        << QStringList{QStringLiteral("Would remove 1204 items")};
    QTest::newRow("another product inside")
        << QVector<LeftoverItem>{shared} << "en"
        << QStringList{QStringLiteral("Would remove 1204 items"),
                       QStringLiteral("Would stay because Other Tool is installed in it too")};
    QTest::newRow("the user's files")
        << QVector<LeftoverItem>{{QStringLiteral("notes.txt"), false, R::NotListed,
                                  QStringLiteral("/programs/Ferrovane")}}
        << "en" << QStringList{QStringLiteral("Would keep 1 file")};
    QTest::newRow("another product inside, zh")
        << QVector<LeftoverItem>{shared} << "zh"
        << QStringList{QStringLiteral("将删除 1204 项"),
                       QStringLiteral("将保留，因为 Other Tool 也安装在其中")};
}

// A trial run's note: what would go (count and size), what would stay and
// why in the conditional, never in the past tense, and where the log is.
void TestCompletedPage::trialRunNote()
{
    QFETCH(QVector<LeftoverItem>, record);
    QFETCH(QString, language);
    QFETCH(QStringList, shown);
    const Look look(language, 1.0);
    QVERIFY(look.loaded);
    QLocale::setDefault(
        QLocale(language == QLatin1String("zh") ? QLocale::Chinese : QLocale::English));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    delete m_window;
    init();
    m_window->onFinishedUnInstall();
    m_completed->setTrialRun(true);
    m_completed->setWouldGo({1204, 5 * 1024 * 1024});
    m_completed->setLogPath(QStringLiteral("/var/log/trial run.log"));
    m_completed->showLeftovers(record);
    const auto* label = m_completed->findChild<QLabel*>(QStringLiteral("m_pLeftoverLabel"));
    QVERIFY(label->isVisible());
    const QString note = readText(label->text());
    for (const QString& text : shown)
        QVERIFY2(note.contains(text), qPrintable(note));
    QVERIFY2(note.contains(QLocale().formattedDataSize(5 * 1024 * 1024)), qPrintable(note));
    QVERIFY2(note.contains(QLatin1String("trial run.log")), qPrintable(note));
    for (const char* past : {"Left because", "Kept ", "stayed", "已保留", "未删除"})
        QVERIFY2(!note.contains(QString::fromUtf8(past)), qPrintable(note));
    m_completed->setTrialRun(false);
    m_completed->setLogPath(QString());
}

void TestCompletedPage::trialRunHeadline()
{
    const auto* headline = m_completed->findChild<QLabel*>(QStringLiteral("m_pInstallInfoLabel"));
    InstallProcessMgr::getInstance()->setDryRun(true);
    m_window->onFinishedUnInstall();
    InstallProcessMgr::getInstance()->setDryRun(false);
    QCOMPARE(headline->text(), pageText("Trial run: nothing was removed"));
    m_window->onFinishedUnInstall();
    QCOMPARE(headline->text(), expectedHeadline({}));
}

// A right-to-left override (or an isolate mark) in a name reorders nothing
// of the page's own words, in the note and in the details: every letter
// outside the names' isolation stands left of the next one.
void TestCompletedPage::namesCannotReorder_data()
{
    using R = appinstaller::LeftoverReason;
    QTest::addColumn<QVector<LeftoverItem>>("record");
    const QString rlo(QChar(0x202E));
    LeftoverItem shared{QStringLiteral("/programs/Ferrovane"), false, R::Shared};
    shared.sharedWith = {{rlo + QStringLiteral("Other Tool"), QStringLiteral("{X}")}};
    QTest::newRow("another product's name") << QVector<LeftoverItem>{shared};
    QTest::newRow("a path") << QVector<LeftoverItem>{
        {QStringLiteral("/programs/Ferrovane/") + rlo + QStringLiteral("tad.evas"), false}};
    QTest::newRow("a path closing the isolation first") << QVector<LeftoverItem>{
        {QStringLiteral("/programs/a") + QChar(0x2069) + rlo + QStringLiteral("b"), false}};
    LeftoverItem held{QStringLiteral("/programs/Ferrovane"), true, R::NotRemoved};
    held.holders =
        QStringList{QStringLiteral("a.dat: ") + rlo + QStringLiteral("exe.dapeton (process 7)")};
    QTest::newRow("a program holding a file") << QVector<LeftoverItem>{held};
}

void TestCompletedPage::namesCannotReorder()
{
    QFETCH(QVector<LeftoverItem>, record);
    m_window->onFinishedUnInstall();
    m_completed->showLeftovers(record);
    const auto* label = m_completed->findChild<QLabel*>(QStringLiteral("m_pLeftoverLabel"));
    QTextDocument note;
    note.setHtml(label->text());
    m_completed->showDetails();
    const auto* details = m_completed->findChild<QDialog*>(QStringLiteral("m_pLeftoverDetails"));
    QStringList paragraphs = note.toPlainText().split(QLatin1Char('\n'));
    // The details' first line is the sentence; the paths follow one a line.
    paragraphs << details->findChild<QPlainTextEdit*>()->toPlainText().section(QLatin1Char('\n'), 0,
                                                                               0);
    for (const QString& text : qAsConst(paragraphs)) {
        QTextLayout layout(text, label->font());
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(100000);
        layout.endLayout();
        int depth = 0;
        qreal lastX = -1;
        for (int i = 0; i < text.size(); ++i) {
            const ushort c = text.at(i).unicode();
            if (c >= 0x2066 && c <= 0x2068)
                ++depth;
            else if (c == 0x2069)
                --depth;
            else if (depth == 0 && text.at(i).isLetter()) {
                const qreal x = line.cursorToX(i);
                QVERIFY2(x > lastX, qPrintable(QStringLiteral("at %1 of: %2").arg(i).arg(text)));
                lastX = x;
            }
        }
        QCOMPARE(depth, 0);
    }
}

// The list of what stayed: headed by what it lists, names in natural order
// within each reason, a card like the program's other dialogs, no caret and
// no scroll bar across its lines.
void TestCompletedPage::detailsDialog_data()
{
    using R = appinstaller::LeftoverReason;
    QTest::addColumn<QVector<LeftoverItem>>("record");
    QTest::addColumn<bool>("trial");
    QTest::addColumn<QString>("heading");
    const QString top = QStringLiteral("/programs/Ferrovane");
    QVector<LeftoverItem> users;
    for (const char* name : {"file 10.txt", "file 2.txt", "File 11.txt", "file 1.txt"})
        users << LeftoverItem(QString::fromLatin1(name), false, R::NotListed, top);
    QTest::newRow("the user's files kept")
        << users << false << "Your files, which %1 did not install, were kept:";
    QVector<LeftoverItem> left;
    for (const char* name : {"/programs/Ferrovane/lib10.dll", "/programs/Ferrovane/lib2.dll",
                             "/programs/Ferrovane/lib11.dll", "/programs/Ferrovane/lib1.dll"})
        left << LeftoverItem(QString::fromLatin1(name));
    QTest::newRow("the product's files left") << left << false << "What stayed, and why:";
    QTest::newRow("a trial run") << left << true << "What a real uninstall would leave, and why:";
}

void TestCompletedPage::detailsDialog()
{
    QFETCH(QVector<LeftoverItem>, record);
    QFETCH(bool, trial);
    QFETCH(QString, heading);
    m_window->onFinishedUnInstall();
    m_completed->setTrialRun(trial);
    m_completed->showLeftovers(record);
    m_completed->showDetails();
    auto* details = m_completed->findChild<QDialog*>(QStringLiteral("m_pLeftoverDetails"));
    QVERIFY(details && details->isVisible());
    QVERIFY(details->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(details->findChild<Ulmora::CFancyTitle*>());
    QCOMPARE(unisolated(details->findChild<QLabel*>(QStringLiteral("m_pIntroLabel"))->text()),
             heading.contains(QLatin1String("%1"))
                 ? pageText(qPrintable(heading))
                       .arg(QString::fromStdString(
                           appinstaller::AppConfigManager::getInstance()->getSoftwareNameEN()))
                 : pageText(qPrintable(heading)));
    auto* list = details->findChild<QPlainTextEdit*>();
    QCOMPARE(list->cursorWidth(), 0);
    // Selected with the mouse, copied with the button or the keyboard; no
    // caret (nor its direction mark, which names in isolation would draw).
    QVERIFY(!(list->textInteractionFlags() & Qt::TextSelectableByKeyboard));
    QVERIFY(list->textInteractionFlags() & Qt::TextSelectableByMouse);
    QVERIFY(!list->horizontalScrollBar()->isVisible());
    QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QStringList paths;
    for (const QString& line : list->toPlainText().split(QLatin1Char('\n')))
        if (line.contains(QLatin1String(".txt")) || line.contains(QLatin1String(".dll")))
            paths << QDir::fromNativeSeparators(line).section(QLatin1Char('/'), -1);
    const QStringList natural =
        paths.first().endsWith(QLatin1String(".txt"))
            ? QString::fromLatin1("file 1.txt|file 2.txt|file 10.txt|File 11.txt")
                  .split(QLatin1Char('|'))
            : QString::fromLatin1("lib1.dll|lib2.dll|lib10.dll|lib11.dll").split(QLatin1Char('|'));
    QCOMPARE(paths, natural);
    details->close();
    m_completed->setTrialRun(false);
}

QTEST_MAIN(TestCompletedPage)
#include "tst_completedpage.moc"
