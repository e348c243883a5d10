// Takes the README's picture of the window: opens a picture, pans to a crop, presses "Process"
// and grabs the window from the screen. Needs a real display (xcb), e.g. under xvfb-run:
//   zimbor_window_screenshot PICTURE OUTPUT.png [X Y [ZOOM]]
// X and Y are the crop's top-left corner in the picture.
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

#include "app/dialogs.hpp"
#include "app/unit1.hpp"

namespace {

// Lets the window manager (if any) and the X server show the window before it is grabbed.
void Settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3 && arguments.size() != 5 && arguments.size() != 6) {
        std::fputs("usage: zimbor_window_screenshot PICTURE OUTPUT.png [X Y [ZOOM]]\n", stderr);
        return 2;
    }
    zimbor::TForm1 form(zimbor::MakeQtDialogs());
    form.move(0, 0);
    form.show();
    form.OpenPicture(QFileInfo(arguments.at(1)).absoluteFilePath());
    if (arguments.size() >= 5) {
        form.ScrollBar1->setValue(-arguments.at(3).toInt());
        form.ScrollBar2->setValue(-arguments.at(4).toInt());
    }
    if (arguments.size() == 6) form.SetZoom(arguments.at(5).toInt());
    form.Button1->click();
    Settle(500);

    const QPixmap shot = form.screen()->grabWindow(form.winId());
    if (shot.isNull() || !shot.save(arguments.at(2))) {
        std::fputs("could not grab or save the window\n", stderr);
        return 1;
    }
    return 0;
}
