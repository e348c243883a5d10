// The window's modal questions: the file dialogs and the message boxes. The window calls them
// through this interface only, so that the tests can answer them without a user.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

namespace zimbor {

// What a file dialog shows, and what it returns. The window keeps one per dialog: the open
// dialog gets its file name set before every Open; the save dialog, shared by both saves, keeps
// the name chosen last.
struct FileDialog {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString fileName;     // the name in the file name box; after Execute, the full path chosen
    QStringList filters;  // name filters, e.g. "C64 prg file (*.prg)"
};

class WindowDialogs {
  public:
    virtual ~WindowDialogs() = default;
    // Shows the dialog modally. True when the user confirmed a name, which is then in fileName;
    // false when cancelled, with the dialog left as it was.
    virtual bool Execute(QWidget* parent, FileDialog& dialog) = 0;
    // Asks whether the existing file may be replaced; true for yes.
    virtual bool ConfirmReplace(QWidget* parent, const QString& path) = 0;
    // Shows an error in a message box and returns when the user has closed it.
    virtual void ShowError(QWidget* parent, const QString& message) = 0;
};

// The real dialogs: QFileDialog and QMessageBox.
std::unique_ptr<WindowDialogs> MakeQtDialogs();

}  // namespace zimbor
