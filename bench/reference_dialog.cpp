// The floor for start-up time and memory: the smallest Qt Widgets program
// that shows one dialog with a label and a button. Return or the button
// closes it with exit code 0, Esc with 1.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Reference"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Do you want to remove the program?"), &dialog));
    auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(button);
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
