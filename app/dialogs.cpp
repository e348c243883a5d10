#include "app/dialogs.hpp"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "app/captions.hpp"

namespace zimbor {
namespace {

class QtDialogs final : public WindowDialogs {
  public:
    bool Execute(QWidget* parent, FileDialog& request) override {
        QFileDialog dialog(parent);
        const bool save = request.mode == FileDialog::Mode::Save;
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The extension is appended after the dialog, so the window asks about the final name
        // itself rather than letting the dialog ask about the typed one.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilters(request.filters);
        if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted) return false;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty()) return false;
        request.fileName = chosen.first();
        return true;
    }

    bool ConfirmReplace(QWidget* parent, const QString& path) override {
        const QString text = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                 .arg(QDir::toNativeSeparators(path));
        return QMessageBox::question(parent, QString::fromUtf8(kApplicationName), text,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

    void ShowError(QWidget* parent, const QString& message) override {
        QMessageBox::critical(parent, QString::fromUtf8(kApplicationName), message);
    }
};

}  // namespace

std::unique_ptr<WindowDialogs> MakeQtDialogs() {
    return std::make_unique<QtDialogs>();
}

}  // namespace zimbor
