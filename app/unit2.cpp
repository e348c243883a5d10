#include "app/unit2.hpp"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/captions.hpp"
#include "app/logos.hpp"

namespace zimbor {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap::fromImage(AboutLogo()));
    Image1->setFixedSize(kAboutLogoSide, kAboutLogoSide);

    Label1 = new QLabel(QStringLiteral("Velmora Converter"), this);
    QFont nameFont = Label1->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.2);
    Label1->setFont(nameFont);

    Label3 = new QLabel(QStringLiteral("Update 3 - 17/02/09"), this);

    Label2 = new QLabel(QString::fromUtf8(kCopyrightNotice), this);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (QLabel* label : {Image1, Label1, Label3, Label2}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        layout->addWidget(label, 0, Qt::AlignHCenter);
    }
    layout->addSpacing(4);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);

    Image1->setObjectName(QStringLiteral("Image1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Label3->setObjectName(QStringLiteral("Label3"));
}

}  // namespace zimbor
