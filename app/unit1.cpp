#include "app/unit1.hpp"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/captions.hpp"
#include "app/logos.hpp"
#include "app/preview.hpp"
#include "app/unit2.hpp"
#include "c64/files.hpp"
#include "intake/crop.hpp"
#include "intake/picture.hpp"

namespace zimbor {

// Everything the window keeps between handlers: the picture with its crop, and what the
// conversion leaves behind (about 1.2 MB together, hence on the heap).
struct TForm1::Work {
    PictureCrop crop;
    ConversionState conversion;
};

namespace {

// The space between a preview and its frame.
constexpr int kPreviewMargin = 8;
// The side of the colour swatches beside the tone sliders.
constexpr int kSwatchSide = 14;
// The tone sliders' least width: wide enough that a pixel of travel is a step of about two.
constexpr int kSliderWidth = 256;

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::filesystem::path ToPath(const QString& name) {
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

QString FromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// A scroll area that asks for the whole of its content, so that the window opens at the size
// of its controls and shows scroll bars only on a screen too small for them.
class FittingScrollArea final : public QScrollArea {
  public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

// The conversion's reports, shown in the window's controls. The run lets no event loop in, so
// whatever must be seen during it is repainted here at once.
class FormReporter final : public Reporter {
  public:
    explicit FormReporter(TForm1& form) : form_(form) {}

    void SetStatus(std::string_view text) override { form_.SetStatusText(FromUtf8(text)); }
    void RepaintStatus() override { form_.StatusBar1->repaint(); }
    // The progress bar repaints itself when its position changes visibly.
    void SetProgress(int position) override { form_.ProgressBar1->setValue(position); }
    void ShowPlane(Preview which, const Plane& plane) override {
        TImagePreview* preview = form_.PreviewOf(which);
        preview->ShowPlane(plane);
        preview->repaint();
    }
    void ClearPreviews() override { form_.ClearPreviews(); }
    void SetPixelErrorText(std::string_view text) override {
        form_.Label8->setText(FromUtf8(text));
    }

  private:
    TForm1& form_;
};

QFrame* FramedPanel(QWidget* parent, const char* name) {
    auto* panel = Named(new QFrame(parent), name);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    return panel;
}

// A framed preview: the image with a margin around it.
TImagePreview* PreviewIn(QFrame* panel, const char* name) {
    auto* image = Named(new TImagePreview(panel), name);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(kPreviewMargin, kPreviewMargin, kPreviewMargin, kPreviewMargin);
    layout->addWidget(image);
    panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return image;
}

QLabel* Caption(const QString& text, QWidget* parent, const char* name) {
    auto* label = Named(new QLabel(text, parent), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame* Swatch(QColor colour, QWidget* parent, const char* name) {
    auto* swatch = Named(new QFrame(parent), name);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch->setFixedSize(kSwatchSide, kSwatchSide);
    swatch->setAutoFillBackground(true);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
    return swatch;
}

QSlider* ToneSlider(QWidget* parent, const char* name) {
    auto* slider = Named(new QSlider(Qt::Horizontal, parent), name);
    slider->setRange(kSliderMin, kSliderMax);
    slider->setValue(0);
    slider->setMinimumWidth(kSliderWidth);
    return slider;
}

}  // namespace

TForm1::TForm1(std::unique_ptr<WindowDialogs> dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)), work_(std::make_unique<Work>()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kMainWindowCaption));
    setWindowIcon(QIcon(QPixmap::fromImage(AboutLogo())));
    setAcceptDrops(true);

    BuildMenu();

    scrollArea_ = new FittingScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setWidget(BuildContent());
    setCentralWidget(scrollArea_);

    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    statusPanel_ = Caption(QString(), StatusBar1, "StatusPanel");
    StatusBar1->addWidget(statusPanel_, 1);
    setStatusBar(StatusBar1);

    OpenDialog1.mode = FileDialog::Mode::Open;
    OpenDialog1.filters = {QStringLiteral("Pictures (*.jpg *.jpeg *.bmp *.png)"),
                           QStringLiteral("All files (*)")};
    SaveDialog1.mode = FileDialog::Mode::Save;

    Form2 = new TForm2(this);
    Form2->hide();

    FitToContent();
}

TForm1::~TForm1() = default;

void TForm1::BuildMenu() {
    MainMenu1 = Named(menuBar(), "MainMenu1");

    File1 = Named(MainMenu1->addMenu(QStringLiteral("&File")), "File1");
    Open1 = Named(File1->addAction(QStringLiteral("&Open")), "Open1");
    SavePrg1 = Named(File1->addAction(QStringLiteral("&Save Prg")), "SavePrg1");
    SaveRaw1 = Named(File1->addAction(QStringLiteral("Save &Raw")), "SaveRaw1");
    File1->addSeparator();
    Exit1 = Named(File1->addAction(QStringLiteral("&Exit")), "Exit1");

    View1 = Named(MainMenu1->addMenu(QStringLiteral("&View")), "View1");
    zoomGroup_ = new QActionGroup(this);
    QAction** zooms[] = {&Zoom1, &Zoom2, &Zoom3};
    const char* names[] = {"Zoom1", "Zoom2", "Zoom3"};
    for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
        const auto i = static_cast<std::size_t>(zoom - kMinZoom);
        QAction* action = Named(View1->addAction(QStringLiteral("&%1x").arg(zoom)), names[i]);
        action->setCheckable(true);
        action->setChecked(zoom == kMinZoom);
        zoomGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, zoom] { SetZoom(zoom); });
        *zooms[i] = action;
    }

    About1 = Named(MainMenu1->addAction(QStringLiteral("&About")), "About1");

    connect(Open1, &QAction::triggered, this, &TForm1::Open1Click);
    connect(SavePrg1, &QAction::triggered, this, &TForm1::SavePrg1Click);
    connect(SaveRaw1, &QAction::triggered, this, &TForm1::SaveRaw1Click);
    connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);
}

QWidget* TForm1::BuildContent() {
    content_ = Named(new QWidget(scrollArea_), "Content");
    QWidget* content = content_;
    auto* layout = new QVBoxLayout(content);
    // The content never shrinks below what its controls need; the scroll area scrolls instead.
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    titlelogo = Named(new QLabel(content), "titlelogo");
    titlelogo->setPixmap(QPixmap::fromImage(TitleLogo()));
    titlelogo->setFixedSize(kTitleLogoWidth, kTitleLogoHeight);
    layout->addWidget(titlelogo, 0, Qt::AlignLeft);

    layout->addWidget(BuildPreviewRow(), 0, Qt::AlignLeft);
    layout->addWidget(BuildControlRow(), 0, Qt::AlignLeft);

    ProgressBar1 = Named(new QProgressBar(content), "ProgressBar1");
    ProgressBar1->setRange(0, kHeight);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    layout->addWidget(ProgressBar1);
    layout->addStretch(1);
    return content;
}

QWidget* TForm1::BuildPreviewRow() {
    auto* row = Named(new QWidget(content_), "PreviewRow");
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);

    Panel1 = FramedPanel(row, "Panel1");
    Image1 = PreviewIn(Panel1, "Image1");
    Image1->SetPannable(true);
    connect(Image1, &TImagePreview::Dragged, this, &TForm1::PanBy);
    connect(Image1, &TImagePreview::Wheeled, this, &TForm1::PanBy);

    // The pan: both scroll bars run from a negative minimum to 0, the picture's top-left corner.
    ScrollBar1 = Named(new QScrollBar(Qt::Horizontal, row), "ScrollBar1");
    ScrollBar2 = Named(new QScrollBar(Qt::Vertical, row), "ScrollBar2");
    for (QScrollBar* bar : {ScrollBar1, ScrollBar2}) {
        bar->setRange(0, 0);
        bar->setValue(0);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        bar->setEnabled(false);
    }
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
    connect(ScrollBar2, &QScrollBar::valueChanged, this, &TForm1::ScrollBar2Change);

    Panel2 = FramedPanel(row, "Panel2");
    Image2 = PreviewIn(Panel2, "Image2");
    Panel5 = FramedPanel(row, "Panel5");
    Image4 = PreviewIn(Panel5, "Image4");
    Panel6 = FramedPanel(row, "Panel6");
    Image5 = PreviewIn(Panel6, "Image5");
    Panel4 = FramedPanel(row, "Panel4");
    Image3 = PreviewIn(Panel4, "Image3");
    Label1 = Caption(QStringLiteral("Image converted to C64 Cols"), row, "Label1");
    Label2 = Caption(QStringLiteral("HI-res FLI Layer"), row, "Label2");
    Label3 = Caption(QStringLiteral("Sprite Overlay"), row, "Label3");
    Label4 = Caption(QStringLiteral("Final Processed C64 Image"), row, "Label4");

    // Crop | vertical pan | mapped | hires layer | sprite layer | final; captions below.
    grid->addWidget(Panel1, 0, 0);
    grid->addWidget(ScrollBar1, 1, 0);
    grid->addWidget(ScrollBar2, 0, 1);
    int column = 2;
    for (auto [panel, label] : {std::pair{Panel2, Label1}, std::pair{Panel5, Label2},
                                std::pair{Panel6, Label3}, std::pair{Panel4, Label4}}) {
        grid->addWidget(panel, 0, column, Qt::AlignHCenter);
        grid->addWidget(label, 1, column, Qt::AlignHCenter | Qt::AlignTop);
        ++column;
    }
    return row;
}

QWidget* TForm1::BuildControlRow() {
    auto* row = Named(new QWidget(content_), "ControlRow");
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    Button1 = Named(new QPushButton(QStringLiteral("Process"), row), "Button1");
    Button1->setEnabled(false);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    layout->addWidget(Button1, 0, Qt::AlignTop);

    // The dither modes: one parent, so exactly one of them is checked.
    Panel3 = FramedPanel(row, "Panel3");
    auto* modes = new QVBoxLayout(Panel3);
    RadioButton1 = Named(new QRadioButton(QStringLiteral("Custom Dither"), Panel3), "RadioButton1");
    RadioButton2 =
        Named(new QRadioButton(QStringLiteral("Forced Ordered"), Panel3), "RadioButton2");
    RadioButton3 =
        Named(new QRadioButton(QStringLiteral("Selective Ordered"), Panel3), "RadioButton3");
    RadioButton4 = Named(new QRadioButton(QStringLiteral("None"), Panel3), "RadioButton4");
    RadioButton3->setChecked(true);
    for (QRadioButton* button : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) {
        modes->addWidget(button);
    }
    layout->addWidget(Panel3, 0, Qt::AlignTop);

    // The distances, with the pixel error of the last conversion below them.
    auto* distances = new QVBoxLayout;
    Panel7 = FramedPanel(row, "Panel7");
    auto* checks = new QVBoxLayout(Panel7);
    CheckBox2 = Named(new QCheckBox(QStringLiteral("YUV Distance"), Panel7), "CheckBox2");
    CheckBox2->setChecked(true);
    CheckBox4 =
        Named(new QCheckBox(QStringLiteral("Skip YUV Color reduction"), Panel7), "CheckBox4");
    checks->addWidget(CheckBox2);
    checks->addWidget(CheckBox4);
    distances->addWidget(Panel7);
    auto* error = new QHBoxLayout;
    Label7 = Caption(QStringLiteral("Pixel error amount %"), row, "Label7");
    Label8 = Caption(QString(), row, "Label8");
    Label8->setMinimumWidth(Label8->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    error->addWidget(Label7);
    error->addWidget(Label8);
    error->addStretch(1);
    distances->addLayout(error);
    distances->addStretch(1);
    layout->addLayout(distances);

    // Preview only, the defaults and the background colour.
    Panel8 = FramedPanel(row, "Panel8");
    auto* ending = new QVBoxLayout(Panel8);
    CheckBox3 = Named(new QCheckBox(QStringLiteral("Preview Only"), Panel8), "CheckBox3");
    Button2 = Named(new QPushButton(QStringLiteral("Defaults"), Panel8), "Button2");
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    auto* background = new QHBoxLayout;
    Label9 = Caption(QStringLiteral("BG Col"), Panel8, "Label9");
    ComboBox1 = Named(new QComboBox(Panel8), "ComboBox1");
    ComboBox1->setEditable(false);
    for (std::string_view name : C64ColourNames) ComboBox1->addItem(FromUtf8(name));
    ComboBox1->setCurrentIndex(0);
    Label9->setBuddy(ComboBox1);
    background->addWidget(Label9);
    background->addWidget(ComboBox1, 1);
    ending->addWidget(CheckBox3);
    ending->addWidget(Button2);
    ending->addLayout(background);
    layout->addWidget(Panel8, 0, Qt::AlignTop);

    // The tone sliders: red, green, blue with their swatches, brightness "B", contrast "C".
    Panel9 = FramedPanel(row, "Panel9");
    auto* tone = new QGridLayout(Panel9);
    tone->setVerticalSpacing(2);
    TrackBar1 = ToneSlider(Panel9, "TrackBar1");
    TrackBar2 = ToneSlider(Panel9, "TrackBar2");
    TrackBar3 = ToneSlider(Panel9, "TrackBar3");
    TrackBar4 = ToneSlider(Panel9, "TrackBar4");
    TrackBar5 = ToneSlider(Panel9, "TrackBar5");
    Panel10 = Swatch(QColor(255, 0, 0), Panel9, "Panel10");
    Panel11 = Swatch(QColor(0, 128, 0), Panel9, "Panel11");
    Panel12 = Swatch(QColor(0, 0, 255), Panel9, "Panel12");
    Label5 = Caption(QStringLiteral("B"), Panel9, "Label5");
    Label6 = Caption(QStringLiteral("C"), Panel9, "Label6");
    const std::pair<QWidget*, QSlider*> rows[] = {{Panel10, TrackBar1},
                                                  {Panel11, TrackBar2},
                                                  {Panel12, TrackBar3},
                                                  {Label5, TrackBar4},
                                                  {Label6, TrackBar5}};
    int line = 0;
    for (auto [marker, slider] : rows) {
        tone->addWidget(marker, line, 0, Qt::AlignCenter);
        tone->addWidget(slider, line, 1);
        ++line;
    }
    layout->addWidget(Panel9, 1, Qt::AlignTop);
    return row;
}

void TForm1::FitToContent() {
    // Settle the layouts from the innermost out, so that the sizes asked for below are those of
    // the new zoom rather than the last one.
    const QList<QWidget*> inside = content_->findChildren<QWidget*>();
    for (auto child = inside.crbegin(); child != inside.crend(); ++child) {
        if (QLayout* layout = (*child)->layout()) layout->activate();
    }
    content_->layout()->activate();
    scrollArea_->updateGeometry();
    layout()->invalidate();
    QSize wanted = sizeHint();
    if (const QScreen* where = screen()) {
        // Where the screen cuts the window short, the scroll bar that appears takes room from
        // the other direction, so that direction asks for it too.
        const QSize available = where->availableGeometry().size();
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        if (wanted.width() > available.width()) wanted.rheight() += bar;
        if (wanted.height() > available.height()) wanted.rwidth() += bar;
        wanted = wanted.boundedTo(available);
    }
    resize(wanted);
}

template <typename Body>
void TForm1::Guarded(Body&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        dialogs_->ShowError(this, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        dialogs_->ShowError(this, QString());
    }
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::Open1Click() {
    // The pattern goes into the file name box before every Open, so the dialog never offers
    // the previous picture's name.
    OpenDialog1.fileName = QStringLiteral("*.jpg;*.bmp");
    bool chosen = false;
    Guarded([&] { chosen = dialogs_->Execute(this, OpenDialog1); });
    if (chosen) OpenPicture(OpenDialog1.fileName);
}

void TForm1::OpenPicture(const QString& path) {
    Guarded([&] {
        const std::filesystem::path file = ToPath(path);
        // A file that is neither JPEG, BMP nor PNG is passed over without a word.
        const PictureFormat format = RecognisePictureFile(file);
        if (format == PictureFormat::Unrecognised) return;
        ProgressBar1->setValue(0);
        // A decoder error leaves here, with everything but the progress bar as it was.
        SourcePicture picture = LoadPicture(file, format);

        work_->crop.Load(std::move(picture));
        ShowCrop();
        ScrollBar1->setEnabled(true);
        ScrollBar2->setEnabled(true);
        // A bar that moves back to 0 here redraws the new picture through its change handler;
        // every such draw lies within the one at (0, 0), so the crop ends as just drawn.
        for (QScrollBar* bar : {ScrollBar1, ScrollBar2}) {
            bar->setValue(0);
            bar->setRange(0, 0);
        }
        ScrollBar1->setMinimum(work_->crop.Horizontal().min);
        ScrollBar2->setMinimum(work_->crop.Vertical().min);
        ProgressBar1->setValue(0);
        Button1->setEnabled(true);
        SetStatusText(FromUtf8(status::kLoadedPrefix) + path);
        ClearPreviews();
    });
}

void TForm1::ScrollBar1Change() {
    Guarded([&] {
        work_->crop.Pan(ScrollBar1->value(), ScrollBar2->value());
        ShowCrop();
    });
}

void TForm1::ScrollBar2Change() {
    ScrollBar1Change();
}

void TForm1::Button1Click() {
    Guarded([&] {
        FormReporter reporter(*this);
        Process(work_->crop.Working(), ReadSettings(), work_->conversion, reporter);
    });
}

void TForm1::SavePrg1Click() {
    Save(QStringLiteral("C64 prg file (*.prg)"), kProgramExtension, true);
}

void TForm1::SaveRaw1Click() {
    Save(QStringLiteral("Raw Data file (*.raw)"), kRawExtension, false);
}

void TForm1::Save(const QString& filter, std::string_view extension, bool program) {
    Guarded([&] {
        const ConversionState& conversion = work_->conversion;
        // Before the first full conversion there is nothing to save, and nothing is said.
        if (!conversion.conversionDone) return;
        SaveDialog1.filters = QStringList{filter};
        if (!dialogs_->Execute(this, SaveDialog1)) return;

        const std::filesystem::path target = WithExtension(ToPath(SaveDialog1.fileName), extension);
        std::error_code ignored;
        if (std::filesystem::exists(target, ignored) &&
            !dialogs_->ConfirmReplace(this, FromPath(target))) {
            return;
        }
        if (program) {
            const ProgramBuffer bytes =
                BuildProgramBuffer(conversion.displayerTemplate, conversion.memory);
            SaveFileAtomically(target, bytes);
        } else {
            SaveFileAtomically(target, conversion.rawBuffer);
        }
    });
}

void TForm1::About1Click() {
    Form2->exec();
}

void TForm1::Button2Click() {
    for (QSlider* slider : {TrackBar1, TrackBar2, TrackBar3, TrackBar4, TrackBar5}) {
        slider->setValue(0);
    }
    CheckBox2->setChecked(true);
    CheckBox3->setChecked(false);
    CheckBox4->setChecked(false);
    RadioButton3->setChecked(true);
    ComboBox1->setCurrentIndex(0);
}

void TForm1::ClearPreviews() {
    for (TImagePreview* preview : {Image2, Image3, Image4, Image5}) {
        preview->Clear();
        preview->repaint();
    }
    Label8->setText(FromUtf8(status::kBlankPixelError));
}

Settings TForm1::ReadSettings() const {
    Settings settings;
    settings.tone = Tone{.red = TrackBar1->value(),
                         .green = TrackBar2->value(),
                         .blue = TrackBar3->value(),
                         .brightness = TrackBar4->value(),
                         .contrast = TrackBar5->value()};
    if (RadioButton1->isChecked()) settings.dither = DitherMode::Custom;
    if (RadioButton2->isChecked()) settings.dither = DitherMode::Forced;
    if (RadioButton3->isChecked()) settings.dither = DitherMode::Selective;
    if (RadioButton4->isChecked()) settings.dither = DitherMode::None;
    settings.yuvDistance = CheckBox2->isChecked();
    settings.skipYuvReduction = CheckBox4->isChecked();
    settings.previewOnly = CheckBox3->isChecked();
    settings.background = ComboBox1->currentIndex();
    return settings;
}

QString TForm1::StatusText() const {
    return statusPanel_->text();
}

void TForm1::SetStatusText(const QString& text) {
    statusPanel_->setText(text);
}

bool TForm1::ConversionDone() const {
    return work_->conversion.conversionDone;
}

void TForm1::SetZoom(int zoom) {
    for (TImagePreview* preview : {Image1, Image2, Image3, Image4, Image5}) preview->SetZoom(zoom);
    const int now = Image1->Zoom();
    Zoom1->setChecked(now == 1);
    Zoom2->setChecked(now == 2);
    Zoom3->setChecked(now == 3);
    FitToContent();
}

int TForm1::Zoom() const {
    return Image1->Zoom();
}

TImagePreview* TForm1::PreviewOf(Preview which) const {
    switch (which) {
        case Preview::Mapped:
            return Image2;
        case Preview::Final:
            return Image3;
        case Preview::Sprite:
            return Image5;
        case Preview::Hires:
            return Image4;
    }
    return Image2;
}

void TForm1::ShowCrop() {
    Image1->ShowCanvas(work_->crop.Working());
}

void TForm1::PanBy(QPoint delta) {
    // Through the scroll bars, which clamp and redraw as when the user moves them.
    ScrollBar1->setValue(ScrollBar1->value() + delta.x());
    ScrollBar2->setValue(ScrollBar2->value() + delta.y());
}

namespace {

// The one local file a drag carries, or an empty string.
QString DroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
    return urls.first().toLocalFile();
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    OpenPicture(file);
}

}  // namespace zimbor
