// The entry point: the application, the main window, and a picture named on the command line.
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <exception>

#include "app/captions.hpp"
#include "app/dialogs.hpp"
#include "app/unit1.hpp"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zimbor::kApplicationName));
    try {
        zimbor::TForm1 form1(zimbor::MakeQtDialogs());
        form1.show();
        // zimbor PICTURE opens the picture as "&Open" would.
        const QStringList arguments = QApplication::arguments();
        if (arguments.size() > 1) form1.OpenPicture(QFileInfo(arguments.at(1)).absoluteFilePath());
        QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString::fromUtf8(zimbor::kApplicationName),
                              QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QString::fromUtf8(zimbor::kApplicationName), QString());
    }
    return 0;
}
