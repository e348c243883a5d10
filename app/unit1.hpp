// The main window: every control the user works with, the handlers of the menu and the buttons,
// and the Process driver, which reads the settings from the controls and runs the conversion.
// The window is a shell: the picture, its crop and everything a conversion leaves behind live
// in one object it owns, and the work is done by the intake, the core and the file writers.
#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "app/dialogs.hpp"
#include "colour/report.hpp"
#include "fli/process.hpp"

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;
class QSlider;
class QStatusBar;

namespace zimbor {

class TForm2;
class TImagePreview;

class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm1(std::unique_ptr<WindowDialogs> dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers, named after their controls. Each one shows an error that escapes it in a
    // message box and leaves the window as far as it got.
    void Exit1Click();
    void Open1Click();
    void ScrollBar1Change();
    void ScrollBar2Change();
    void Button1Click();  // "Process"
    void SaveRaw1Click();
    void SavePrg1Click();
    void About1Click();
    void Button2Click();  // "Defaults"

    // Opens a picture as "&Open" does once its dialog has returned the name: used by the
    // dialog, the command line and a file dropped on the window.
    void OpenPicture(const QString& path);

    // Paints the mapped, hires, sprite and final previews black and blanks the pixel-error label.
    void ClearPreviews();

    // The settings of a run, as the controls stand now.
    Settings ReadSettings() const;

    // The text of the status bar's only panel.
    QString StatusText() const;
    void SetStatusText(const QString& text);

    // Whether a full conversion has finished since start-up (the saves do nothing before).
    bool ConversionDone() const;

    // The previews' enlargement, 1 to 3; the window fits itself to the new size.
    void SetZoom(int zoom);
    int Zoom() const;

    // The preview that shows a plane of the conversion.
    TImagePreview* PreviewOf(Preview which) const;

    // Menu.
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;  // "&File"
    QAction* Open1 = nullptr;
    QAction* SavePrg1 = nullptr;
    QAction* SaveRaw1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* View1 = nullptr;  // "&View": the previews' zoom
    QAction* Zoom1 = nullptr;
    QAction* Zoom2 = nullptr;
    QAction* Zoom3 = nullptr;
    QAction* About1 = nullptr;

    QLabel* titlelogo = nullptr;

    // The previews, each framed, with its caption below.
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel4 = nullptr;
    QFrame* Panel5 = nullptr;
    QFrame* Panel6 = nullptr;
    TImagePreview* Image1 = nullptr;  // the crop
    TImagePreview* Image2 = nullptr;  // MappedImage
    TImagePreview* Image3 = nullptr;  // FinalImage
    TImagePreview* Image4 = nullptr;  // HiresLayer
    TImagePreview* Image5 = nullptr;  // SpriteLayer
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;  // horizontal pan, 0 or negative
    QScrollBar* ScrollBar2 = nullptr;  // vertical pan, 0 or negative

    QPushButton* Button1 = nullptr;  // "Process"
    QFrame* Panel3 = nullptr;        // the dither mode group
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QFrame* Panel7 = nullptr;
    QCheckBox* CheckBox2 = nullptr;  // "YUV Distance"
    QCheckBox* CheckBox4 = nullptr;  // "Skip YUV Color reduction"
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;  // the pixel error percentage
    QFrame* Panel8 = nullptr;
    QCheckBox* CheckBox3 = nullptr;  // "Preview Only"
    QPushButton* Button2 = nullptr;  // "Defaults"
    QLabel* Label9 = nullptr;
    QComboBox* ComboBox1 = nullptr;  // background colour
    QFrame* Panel9 = nullptr;        // the tone sliders
    QSlider* TrackBar1 = nullptr;    // red
    QSlider* TrackBar2 = nullptr;    // green
    QSlider* TrackBar3 = nullptr;    // blue
    QSlider* TrackBar4 = nullptr;    // brightness
    QSlider* TrackBar5 = nullptr;    // contrast
    QFrame* Panel10 = nullptr;       // red swatch
    QFrame* Panel11 = nullptr;       // green swatch
    QFrame* Panel12 = nullptr;       // blue swatch
    QLabel* Label5 = nullptr;        // "B"
    QLabel* Label6 = nullptr;        // "C"
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    TForm2* Form2 = nullptr;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct Work;

    void BuildMenu();
    QWidget* BuildContent();
    QWidget* BuildPreviewRow();
    QWidget* BuildControlRow();
    void FitToContent();

    // Runs a handler's body; an exception that escapes it is shown in a message box.
    template <typename Body>
    void Guarded(Body&& body);
    void Save(const QString& filter, std::string_view extension, bool program);
    void ShowCrop();
    void PanBy(QPoint delta);

    std::unique_ptr<WindowDialogs> dialogs_;
    std::unique_ptr<Work> work_;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* content_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QActionGroup* zoomGroup_ = nullptr;
};

}  // namespace zimbor
