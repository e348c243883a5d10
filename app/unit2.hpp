// The About window: the logo, the program's name and update, a notice and "OK".
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zimbor {

class TForm2 : public QDialog {
    Q_OBJECT

  public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;        // the 100 x 100 logo
    QLabel* Label1 = nullptr;        // "Velmora Converter"
    QLabel* Label2 = nullptr;        // the copyright notice
    QPushButton* Button1 = nullptr;  // "OK": closes the window with QDialog::Accepted
    QLabel* Label3 = nullptr;        // "Update 3 - 17/02/09"
};

}  // namespace zimbor
