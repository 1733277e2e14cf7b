// First: the QWidget overloads of QTest's key functions, also where the build
// does not define QT_WIDGETS_LIB (the Windows syntax check).
#include <QtTest/qtest_widgets.h>

#include "uilib/cfile.h"
#include "uilib/cmodaltipdialog.h"
#include "uilib/ulmora.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>

using Ulmora::CModalTipDialog;

namespace
{

// The build's resource file: tests/ and bin/ are siblings.
QString guiResource()
{
    return QCoreApplication::applicationDirPath() + QLatin1String("/../bin/rcc/guiresource.rcc");
}

enum Answer { ReturnKey, EscapeKey, ConfirmClick, CancelClick, CloseClick, CloseWindow };

struct Seen {
    int model = -1;
    bool cancelVisible = false;
    QString confirmText;
};

// Answers the modal dialog that exec() is about to show.
void answerNextDialog(Answer answer, Seen* seen)
{
    QTimer::singleShot(0, [answer, seen] {
        auto* dialog = qobject_cast<CModalTipDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("ModalTipDialog"))
            return;
        auto* confirm = dialog->findChild<QAbstractButton*>(QStringLiteral("m_pConfirmBtn"));
        auto* cancel = dialog->findChild<QAbstractButton*>(QStringLiteral("m_pCancelBtn"));
        seen->model = dialog->dialogModel();
        seen->cancelVisible = cancel && cancel->isVisible();
        seen->confirmText = confirm->text();
        // Keys go where a person's would: to the focused button first.
        QWidget* focused = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        switch (answer) {
        case ReturnKey:
            QTest::keyClick(focused, Qt::Key_Return);
            break;
        case EscapeKey:
            QTest::keyClick(focused, Qt::Key_Escape);
            break;
        case ConfirmClick:
            confirm->click();
            break;
        case CancelClick:
            cancel->click();
            break;
        case CloseClick:
            dialog->findChild<QAbstractButton*>(QStringLiteral("m_pCloseBtn"))->click();
            break;
        case CloseWindow:
            dialog->close();
            break;
        }
        // An answer that was ignored fails the row instead of hanging it.
        QTimer::singleShot(2000, dialog, [dialog] { dialog->done(-1); });
    });
}

} // namespace

class TestModalTipDialog : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void sizeFollowsText_data();
    void sizeFollowsText();
    void tokensKeptWhole_data();
    void tokensKeptWhole();
    void focusShown_data();
    void focusShown();
    void initResource_data();
    void initResource();
    void readAllJoinsInOrder();
    void targetPathEndsWithSlash();
};

void TestModalTipDialog::answers_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("cancelVisible");
    QTest::addColumn<QString>("confirmText");

    const QString confirm = QStringLiteral("Confirm");
    const QString ok = QStringLiteral("OK");
    const int yes = QDialog::Accepted;
    const int no = QDialog::Rejected;
    QTest::newRow("question, Return") << 3 << int(ReturnKey) << yes << true << confirm;
    QTest::newRow("question, Esc") << 3 << int(EscapeKey) << no << true << confirm;
    QTest::newRow("question, confirm") << 3 << int(ConfirmClick) << yes << true << confirm;
    QTest::newRow("question, cancel") << 3 << int(CancelClick) << no << true << confirm;
    QTest::newRow("question, close button") << 3 << int(CloseClick) << no << true << confirm;
    QTest::newRow("question, window closed") << 3 << int(CloseWindow) << no << true << confirm;
    QTest::newRow("info, Return") << 0 << int(ReturnKey) << yes << false << ok;
    QTest::newRow("warn, OK") << 1 << int(ConfirmClick) << yes << false << ok;
    QTest::newRow("warn, close button") << 1 << int(CloseClick) << no << false << ok;
    QTest::newRow("error, Esc") << 2 << int(EscapeKey) << no << false << ok;
}

void TestModalTipDialog::answers()
{
    QFETCH(int, model);
    QFETCH(int, answer);
    QFETCH(int, expected);
    QFETCH(bool, cancelVisible);
    QFETCH(QString, confirmText);

    Seen seen;
    answerNextDialog(Answer(answer), &seen);
    const QString text = QStringLiteral("Remove the program?");
    // The warnings come through their own shortcut.
    const int result =
        model == CModalTipDialog::Model_Warn
            ? CModalTipDialog::ShowMessageWarn(text, CModalTipDialog::Size_Small, nullptr)
            : CModalTipDialog::ShowModalTipDialog(text, CModalTipDialog::ModalTipDialogModel(model),
                                                  CModalTipDialog::Size_Small, nullptr);
    QCOMPARE(seen.model, model);
    QCOMPARE(result, expected);
    QCOMPARE(seen.cancelVisible, cancelVisible);
    QCOMPARE(seen.confirmText, confirmText);
}

void TestModalTipDialog::sizeFollowsText_data()
{
    QTest::addColumn<bool>("styled");
    QTest::newRow("without style sheet") << false;
    QTest::newRow("with style sheet") << true;
}

void TestModalTipDialog::sizeFollowsText()
{
    QFETCH(bool, styled);
    QString sheet;
    if (styled)
        QVERIFY(Ulmora::InitResource(guiResource(), sheet, false));
    qApp->setStyleSheet(sheet);

    const QString shortText = QStringLiteral("Remove?");
    const QString longText =
        QStringLiteral("Remove the program and all of its files? ").repeated(8);
    CModalTipDialog smallShort, smallLong, largeLong;
    smallShort.setContentText(shortText);
    smallLong.setContentText(longText);
    largeLong.setContentText(longText);
    largeLong.setDialogSize(CModalTipDialog::Size_Large);

    QVERIFY(smallLong.width() < largeLong.width());
    QCOMPARE(smallLong.width(), smallShort.width());
    QVERIFY(smallLong.height() > largeLong.height());
    QVERIFY(largeLong.height() > smallShort.height());
    for (CModalTipDialog* dialog : {&smallLong, &largeLong}) {
        dialog->show();
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("m_pContentLabel"));
        QVERIFY(label->wordWrap());
        // All the wrapped lines fit.
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        QVERIFY(label->geometry().right() < dialog->width());
    }
    qApp->setStyleSheet(QString());
}

// A warning's text can be selected and copied as it was given, and its
// lines break at blanks only: a GUID, a path or a command's switch stays on
// one line, inside the card, which widens where one would not fit.
void TestModalTipDialog::tokensKeptWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    const QString guid = QStringLiteral("{8F3A6C21-1B2C-4D5E-9F00-AABBCCDDEEFF}");
    QTest::newRow("Windows Installer, small")
        << QStringLiteral("Ferrovane was installed by Windows Installer, which keeps its own "
                          "record of its files. Remove it with msiexec /x %1 or in Apps & "
                          "features.")
               .arg(guid)
        << 0;
    QTest::newRow("Windows Installer, Chinese")
        << QStringLiteral(
               "Ferrovane 由 Windows Installer 安装，其文件由 Windows Installer 自行记录。"
               "请运行 msiexec /x %1 或在“应用和功能”中卸载。")
               .arg(guid)
        << 0;
    QTest::newRow("a path with folders of dashes")
        << QStringLiteral("The log cannot be written: C:\\Users\\a-user\\AppData\\Local\\"
                          "Temp\\ferrovane-uninstall\\2026-12-09-log.txt is not writable.")
        << 1;
    QTest::newRow("a path wider than the card")
        << QStringLiteral("Cannot read /opt/ferrovane-desk/an-unusually-long-folder/"
                          "another-one/AppConfig.xml")
        << 0;
}

void TestModalTipDialog::tokensKeptWhole()
{
    QFETCH(QString, text);
    QFETCH(int, size);
    CModalTipDialog dialog;
    dialog.setDialogModel(CModalTipDialog::Model_Warn);
    dialog.setDialogSize(size);
    dialog.setContentText(text);
    dialog.show();
    QCOMPARE(dialog.contentText(), text);
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("m_pContentLabel"));
    QVERIFY(label->textInteractionFlags() & Qt::TextSelectableByMouse);
    QVERIFY(label->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    QVERIFY(dialog.width() <= dialog.screen()->availableGeometry().width());
    QVERIFY(label->geometry().right() < dialog.width());
    QVERIFY(label->height() >= label->heightForWidth(label->width()));

    // The lines as the label breaks them.
    QTextLayout layout(label->text(), label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->contentsRect().width());
        QVERIFY2(line.naturalTextWidth() <= label->contentsRect().width(),
                 qPrintable(label->text().mid(line.textStart(), line.textLength())));
        lines << label->text().mid(line.textStart(), line.textLength()).remove(QChar(0x2060));
    }
    layout.endLayout();
    const QRegularExpression token(QStringLiteral("\\S*[-/\\\\{}]\\S*"));
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QString whole = it.next().captured().section(QStringLiteral("或"), 0, 0);
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [&whole](const QString& line) { return line.contains(whole); }),
                 qPrintable(whole + QStringLiteral(" in:\n") + lines.join(QLatin1Char('\n'))));
    }

    // Copied with the copy shortcut, it is the text as given, at once.
    label->setSelection(0, label->text().size());
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
}

void TestModalTipDialog::focusShown_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("shown");

    const int tab = Qt::TabFocusReason;
    QTest::newRow("confirm, Tab") << "m_pConfirmBtn" << tab << true;
    QTest::newRow("confirm, Shift+Tab") << "m_pConfirmBtn" << int(Qt::BacktabFocusReason) << true;
    QTest::newRow("confirm, mouse") << "m_pConfirmBtn" << int(Qt::MouseFocusReason) << false;
    QTest::newRow("confirm, window activated")
        << "m_pConfirmBtn" << int(Qt::ActiveWindowFocusReason) << false;
    QTest::newRow("cancel, Tab") << "m_pCancelBtn" << tab << true;
    QTest::newRow("cancel, mouse") << "m_pCancelBtn" << int(Qt::MouseFocusReason) << false;
}

// Under the library's sheet, a button focused from the keyboard shows it,
// and focus that came otherwise changes nothing: no dotted rectangle, which
// the Windows style draws by itself.
void TestModalTipDialog::focusShown()
{
    QFETCH(QString, button);
    QFETCH(int, reason);
    QFETCH(bool, shown);
    QString sheet;
    QVERIFY(Ulmora::InitResource(guiResource(), sheet, false));
    qApp->setStyleSheet(sheet);
    const auto restore = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    const std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
    QVERIFY(windows);

    CModalTipDialog dialog;
    dialog.setDialogModel(CModalTipDialog::Model_Question);
    auto* target = dialog.findChild<QPushButton*>(button);
    auto* other = dialog.findChild<QPushButton*>(
        QLatin1String(button == QLatin1String("m_pConfirmBtn") ? "m_pCancelBtn" : "m_pConfirmBtn"));
    target->setStyle(windows.get());
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    other->setFocus(Qt::OtherFocusReason);
    const QImage unfocused = target->grab().toImage();
    target->setFocus(Qt::FocusReason(reason));
    QVERIFY(target->hasFocus());
    QCOMPARE(target->grab().toImage() != unfocused, shown);
}

void TestModalTipDialog::initResource_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("expected");

    const QString rcc = guiResource();
    QTest::newRow("replace") << rcc << false << true;
    QTest::newRow("append") << rcc << true << true;
    QTest::newRow("missing file") << rcc + QStringLiteral(".missing") << true << false;
}

void TestModalTipDialog::initResource()
{
    QFETCH(QString, path);
    QFETCH(bool, append);
    QFETCH(bool, expected);

    const QString before = QStringLiteral("QWidget { color: blue; }");
    QString sheet = before;
    QCOMPARE(Ulmora::InitResource(path, sheet, append), expected);
    if (!expected) {
        QCOMPARE(sheet, before);
        return;
    }
    QFile file(QStringLiteral(":/Ulmora/Qss/Ulmora.qss"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString fromRcc = QString::fromUtf8(file.readAll());
    QVERIFY(fromRcc.contains(QLatin1String("Ulmora--CCommandButton")));
    QVERIFY(sheet.endsWith(fromRcc));
    QCOMPARE(sheet.startsWith(before), append);
}

void TestModalTipDialog::readAllJoinsInOrder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QList<QPair<QString, QByteArray>> files = {{QStringLiteral("a.qss"), "\xc3\xa4 a\n"},
                                                     {QStringLiteral("b.qss"), "b\n"}};
    for (const auto& entry : files) {
        QFile file(dir.filePath(entry.first));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(entry.second);
    }
    const QStringList names = {QStringLiteral("b.qss"), QStringLiteral("missing.qss"),
                               QStringLiteral("a.qss")};
    QCOMPARE(Ulmora::CFile::ReadAll(names, dir.path() + QLatin1Char('/')),
             QStringLiteral("b\n\u00e4 a\n"));
}

void TestModalTipDialog::targetPathEndsWithSlash()
{
    QCOMPARE(Ulmora::GetTargetPath(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

QTEST_MAIN(TestModalTipDialog)
#include "tst_modaltipdialog.moc"
