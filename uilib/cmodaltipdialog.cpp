#include "cmodaltipdialog.h"

#include "cfancytitle.h"
#include "cpushbutton.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QRegularExpression>
#include <QScreen>

namespace Ulmora
{

namespace
{

constexpr int kWidths[] = {360, 440}; // by ModalTipDialogSize
constexpr int kCornerRadius = 4;
constexpr int kIconSize = 20;
constexpr int kBodyMargin = 24; // left and right of the message
constexpr int kIconSpacing = 8;
// Between two characters: no line break there, and nothing drawn.
constexpr QChar kWordJoiner(0x2060);

// Runs of characters that must not break across lines: paths, GUIDs,
// commands' switches; a run holds no blank and no Chinese text.
const QRegularExpression& tokenPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("[^\\s\\p{Han}\\x{3000}-\\x{303F}\\x{FF00}-\\x{FFEF}]*"
                       "[-/\\\\{}][^\\s\\p{Han}\\x{3000}-\\x{303F}\\x{FF00}-\\x{FFEF}]*"));
    return pattern;
}

QString joined(const QString& token)
{
    QString whole;
    whole.reserve(2 * token.size());
    for (int i = 0; i < token.size(); ++i) {
        if (i > 0 && !token.at(i).isLowSurrogate())
            whole += kWordJoiner;
        whole += token.at(i);
    }
    return whole;
}

// text with its tokens kept whole: the lines break at its blanks (and
// between Chinese characters), never inside a path or a GUID; only a token
// wider than nMost pixels may break where the system breaks it.
QString keptWhole(const QString& text, const QFontMetrics& metrics, int nMost)
{
    QString shown;
    int iFrom = 0;
    for (auto it = tokenPattern().globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        shown += text.midRef(iFrom, match.capturedStart() - iFrom);
        const QString token = joined(match.captured());
        shown += metrics.horizontalAdvance(token) <= nMost ? token : match.captured();
        iFrom = match.capturedEnd();
    }
    return shown + text.midRef(iFrom);
}

QString iconPath(CModalTipDialog::ModalTipDialogModel model)
{
    switch (model) {
    case CModalTipDialog::Model_Warn:
        return QStringLiteral(":/Ulmora/Image/warn.svg");
    case CModalTipDialog::Model_Error:
        return QStringLiteral(":/Ulmora/Image/error.svg");
    case CModalTipDialog::Model_Question:
        return QStringLiteral(":/Ulmora/Image/question.svg");
    case CModalTipDialog::Model_Info:
        break;
    }
    return QStringLiteral(":/Ulmora/Image/info.svg");
}

} // namespace

CModalTipDialog::CModalTipDialog(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("ModalTipDialog"));
    // Opaque white even without the style sheet: without a compositor a
    // translucent window shows black.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* pCard = new CFrame(this);
    pCard->setObjectName(QStringLiteral("m_pCard"));
    auto* pOuterLayout = new QVBoxLayout(this);
    pOuterLayout->setContentsMargins(0, 0, 0, 0);
    // relayout() sets the size; the layout must not fight it.
    pOuterLayout->setSizeConstraint(QLayout::SetNoConstraint);
    pOuterLayout->addWidget(pCard);

    auto* pCardLayout = new QVBoxLayout(pCard);
    pCardLayout->setContentsMargins(0, 0, 0, 0);
    pCardLayout->setSpacing(0);
    pCardLayout->addWidget(buildTitle(pCard));
    pCardLayout->addLayout(buildBody(pCard));
    pCardLayout->addLayout(buildButtons(pCard));

    connect(m_pConfirmBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pCancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pCloseBtn, &QPushButton::clicked, this, &QDialog::reject);

    applyModel();
}

QWidget* CModalTipDialog::buildTitle(QWidget* pCard)
{
    auto* pTitle = new CFancyTitle(pCard);
    pTitle->setObjectName(QStringLiteral("m_pTitle"));
    m_pCloseBtn = new CPushButton(pTitle);
    m_pCloseBtn->setObjectName(QStringLiteral("m_pCloseBtn"));
    m_pCloseBtn->setFocusPolicy(Qt::NoFocus);
    m_pCloseBtn->setAutoDefault(false);
    m_pCloseBtn->setFixedSize(24, 24);
    const QString strClosePath = QStringLiteral(":/Ulmora/Image/close.svg");
    if (QFile::exists(strClosePath)) {
        m_pCloseBtn->setIcon(QIcon(strClosePath));
        m_pCloseBtn->setIconSize(QSize(12, 12));
    } else {
        m_pCloseBtn->setText(QString(QChar(0x00D7))); // multiplication sign
    }
    auto* pTitleLayout = new QHBoxLayout(pTitle);
    pTitleLayout->setContentsMargins(0, 0, 8, 0);
    pTitleLayout->addStretch();
    pTitleLayout->addWidget(m_pCloseBtn);
    return pTitle;
}

QLayout* CModalTipDialog::buildBody(QWidget* pCard)
{
    m_pIconLabel = new QLabel(pCard);
    m_pIconLabel->setObjectName(QStringLiteral("m_pIconLabel"));
    m_pIconLabel->setFixedSize(kIconSize, kIconSize);
    m_pContentLabel = new QLabel(pCard);
    m_pContentLabel->setObjectName(QStringLiteral("m_pContentLabel"));
    m_pContentLabel->setWordWrap(true);
    m_pContentLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Plain text, to be copied: a GUID, a path, a command.
    m_pContentLabel->setTextFormat(Qt::PlainText);
    m_pContentLabel->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                             Qt::TextSelectableByKeyboard);
    m_pContentLabel->setCursor(Qt::IBeamCursor);
    // What is copied of it is the text without the marks that keep its
    // tokens whole: the copy shortcut and the menu copy it so at once; a
    // selection the system takes by itself (X11's primary selection) is
    // cleaned once it changes.
    m_pContentLabel->installEventFilter(this);
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
        const auto clean = [this, mode] {
            QClipboard* pClipboard = QGuiApplication::clipboard();
            const QString strCopied = pClipboard->text(mode);
            if (strCopied.contains(kWordJoiner) && strCopied == m_pContentLabel->selectedText())
                pClipboard->setText(QString(strCopied).remove(kWordJoiner), mode);
        };
        connect(QGuiApplication::clipboard(),
                mode == QClipboard::Clipboard ? &QClipboard::dataChanged
                                              : &QClipboard::selectionChanged,
                this, clean);
    }
    auto* pBodyLayout = new QHBoxLayout;
    pBodyLayout->setContentsMargins(kBodyMargin, 4, kBodyMargin, 0);
    pBodyLayout->setSpacing(kIconSpacing);
    pBodyLayout->addWidget(m_pIconLabel, 0, Qt::AlignTop);
    pBodyLayout->addWidget(m_pContentLabel, 1);
    return pBodyLayout;
}

bool CModalTipDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pContentLabel)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                copySelection();
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        QMenu menu(m_pContentLabel);
        QAction* pCopy = menu.addAction(tr("Copy"), this, &CModalTipDialog::copySelection);
        pCopy->setEnabled(m_pContentLabel->hasSelectedText());
        menu.addAction(tr("Select All"), this, [this] {
            m_pContentLabel->setSelection(0, m_pContentLabel->text().size());
        });
        menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CModalTipDialog::copySelection() const
{
    if (m_pContentLabel->hasSelectedText())
        QGuiApplication::clipboard()->setText(m_pContentLabel->selectedText().remove(kWordJoiner));
}

QLayout* CModalTipDialog::buildButtons(QWidget* pCard)
{
    m_pCancelBtn = new CSecondCommandButton(pCard);
    m_pCancelBtn->setObjectName(QStringLiteral("m_pCancelBtn"));
    m_pConfirmBtn = new CCommandButton(pCard);
    m_pConfirmBtn->setObjectName(QStringLiteral("m_pConfirmBtn"));
    m_pConfirmBtn->setDefault(true); // QDialog also gives it the focus
    // The dialog's own sizes for its buttons; the sheet sets none.
    m_pCancelBtn->setMinimumSize(102, 32);
    m_pConfirmBtn->setMinimumSize(104, 32);
    auto* pButtonLayout = new QHBoxLayout;
    pButtonLayout->setContentsMargins(24, 24, 24, 20);
    pButtonLayout->setSpacing(12);
    pButtonLayout->addStretch();
    pButtonLayout->addWidget(m_pCancelBtn);
    pButtonLayout->addWidget(m_pConfirmBtn);
    return pButtonLayout;
}

void CModalTipDialog::setDialogModel(ModalTipDialogModel model)
{
    m_model = model;
    applyModel();
    relayout();
}

void CModalTipDialog::setDialogModel(int model)
{
    setDialogModel(static_cast<ModalTipDialogModel>(qBound(0, model, int(Model_Question))));
}

void CModalTipDialog::setContentText(QString strText)
{
    setWindowTitle(strText);
    m_strText = strText;
    relayout();
}

void CModalTipDialog::setDialogSize(ModalTipDialogSize size)
{
    m_size = size;
    relayout();
}

void CModalTipDialog::setDialogSize(int size)
{
    setDialogSize(size == Size_Large ? Size_Large : Size_Small);
}

CModalTipDialog::ModalTipDialogModel CModalTipDialog::dialogModel() const
{
    return m_model;
}

CModalTipDialog::ModalTipDialogSize CModalTipDialog::dialogSize() const
{
    return m_size;
}

QString CModalTipDialog::contentText() const
{
    return m_strText;
}

int CModalTipDialog::ShowModalTipDialog(const QString& strText, ModalTipDialogModel model,
                                        ModalTipDialogSize size, QWidget* parent)
{
    // On the heap: the parent may be destroyed while exec() runs, and would
    // then delete the dialog itself.
    QPointer<CModalTipDialog> pDialog = new CModalTipDialog(parent);
    pDialog->setDialogModel(model);
    pDialog->setDialogSize(size);
    pDialog->setContentText(strText);
    const int nResult = pDialog->exec();
    delete pDialog.data();
    return nResult;
}

int CModalTipDialog::ShowMessageWarn(const QString& strText, ModalTipDialogSize size,
                                     QWidget* parent)
{
    return ShowModalTipDialog(strText, Model_Warn, size, parent);
}

void CModalTipDialog::showEvent(QShowEvent* event)
{
    // The application's style sheet may have changed the fonts since.
    relayout();
    QDialog::showEvent(event);
    // The message can be selected, but the keyboard starts on the answer.
    m_pConfirmBtn->setFocus(Qt::OtherFocusReason);
}

void CModalTipDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // Rounded corners without translucency, which needs a compositor.
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void CModalTipDialog::applyModel()
{
    const bool bQuestion = m_model == Model_Question;
    m_pConfirmBtn->setText(bQuestion ? tr("Confirm") : tr("OK"));
    m_pCancelBtn->setText(tr("Cancel"));
    m_pCancelBtn->setVisible(bQuestion);

    const QString strIconPath = iconPath(m_model);
    const QPixmap pixmap = QFile::exists(strIconPath)
                               ? QIcon(strIconPath).pixmap(QSize(kIconSize, kIconSize))
                               : QPixmap();
    m_pIconLabel->setPixmap(pixmap);
    m_pIconLabel->setVisible(!pixmap.isNull());
}

void CModalTipDialog::relayout()
{
    // The height follows the wrapped text, which depends on the font the
    // style sheet gives the label.
    ensurePolished();
    m_pContentLabel->ensurePolished();
    // Wide enough for the widest token, which does not break; within the
    // screen, where only a token wider than it may.
    const QFontMetrics metrics = m_pContentLabel->fontMetrics();
    const int nChrome = 2 * kBodyMargin +
                        (m_pIconLabel->isVisibleTo(this) ? kIconSize + kIconSpacing : 0) +
                        2 * m_pContentLabel->margin() + 2;
    const QScreen* pScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    const int nMost = pScreen ? pScreen->availableGeometry().width() - 2 * kBodyMargin : 1 << 16;
    int nToken = 0;
    for (auto it = tokenPattern().globalMatch(m_strText); it.hasNext();) {
        const int nWidth = metrics.horizontalAdvance(joined(it.next().captured()));
        if (nWidth <= nMost - nChrome)
            nToken = qMax(nToken, nWidth);
    }
    m_pContentLabel->setText(keptWhole(m_strText, metrics, nMost - nChrome));
    const int nWidth = qMax(kWidths[m_size], nToken + nChrome);
    const QLayout* pLayout = layout();
    const int nHeight = pLayout->hasHeightForWidth() ? pLayout->totalHeightForWidth(nWidth)
                                                     : pLayout->totalSizeHint().height();
    setFixedSize(nWidth, nHeight);
}

} // namespace Ulmora
