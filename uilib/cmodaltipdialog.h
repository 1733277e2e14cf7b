#pragma once

// A modal tip: a white card with a message and one or two buttons. Enter
// confirms, Esc and closing the window decline. The message can be selected
// and copied; its lines break at blanks, never inside a path, a GUID or a
// command's switch, and the card widens for the widest of them.

#include <QDialog>

class QLabel;
class QLayout;
class QPushButton;

namespace Ulmora
{

class CModalTipDialog : public QDialog
{
    Q_OBJECT

public:
    enum ModalTipDialogModel {
        Model_Info = 0,     // one button
        Model_Warn = 1,     // one button, warning look
        Model_Error = 2,    // one button, error look
        Model_Question = 3, // confirm and cancel
    };
    Q_ENUM(ModalTipDialogModel)

    enum ModalTipDialogSize {
        Size_Small = 0,
        Size_Large = 1,
    };
    Q_ENUM(ModalTipDialogSize)

    explicit CModalTipDialog(QWidget* parent = nullptr);

    void setDialogModel(ModalTipDialogModel model);
    void setDialogModel(int model);
    void setContentText(QString strText);
    void setDialogSize(ModalTipDialogSize size);
    void setDialogSize(int size);

    ModalTipDialogModel dialogModel() const;
    ModalTipDialogSize dialogSize() const;
    QString contentText() const;

    // exec() of a dialog of that model: non-zero when the user confirmed.
    static int ShowModalTipDialog(const QString& strText, ModalTipDialogModel model,
                                  ModalTipDialogSize size, QWidget* parent);
    // A one-button warning; returns once it is dismissed.
    static int ShowMessageWarn(const QString& strText, ModalTipDialogSize size, QWidget* parent);

private:
    // Object names, for style sheets and tests: "ModalTipDialog",
    // "m_pContentLabel", "m_pConfirmBtn", "m_pCancelBtn", "m_pCloseBtn".
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The message's copy (its shortcut and its menu) hands over the text as
    // given, without the marks that keep its tokens whole.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void copySelection() const;

    // The parts of the card, made in the constructor.
    QWidget* buildTitle(QWidget* pCard);
    QLayout* buildBody(QWidget* pCard);
    QLayout* buildButtons(QWidget* pCard);
    void applyModel();
    void relayout();

    ModalTipDialogModel m_model = Model_Info;
    ModalTipDialogSize m_size = Size_Small;
    QLabel* m_pIconLabel = nullptr;
    QLabel* m_pContentLabel = nullptr;
    QPushButton* m_pConfirmBtn = nullptr;
    QPushButton* m_pCancelBtn = nullptr; // hidden but for Model_Question
    QPushButton* m_pCloseBtn = nullptr;
    QString m_strText; // as given; the label shows it with its tokens kept whole
};

} // namespace Ulmora
