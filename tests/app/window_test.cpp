// The window, driven through its controls on the offscreen platform. The file dialogs and the
// message boxes are answered by a script; the conversion's results are checked against runs of
// the core on the crop that Image1 shows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "app/dialogs.hpp"
#include "app/preview.hpp"
#include "app/unit1.hpp"
#include "app/unit2.hpp"
#include "c64/files.hpp"
#include "fli/process.hpp"
#include "intake/picture.hpp"

namespace zimbor {
namespace {

// Answers the window's dialogs from a script and writes down what it was asked.
class ScriptedDialogs final : public WindowDialogs {
  public:
    // The next file dialogs' answers: a path, or nullopt for Cancel.
    std::deque<std::optional<QString>> answers;
    bool replaceAnswer = true;

    std::vector<FileDialog> shown;  // each file dialog as it was when shown
    QStringList replaceQuestions;
    QStringList errors;

    bool Execute(QWidget* /*parent*/, FileDialog& dialog) override {
        shown.push_back(dialog);
        if (answers.empty()) return false;
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        if (!answer) return false;
        dialog.fileName = *answer;
        return true;
    }
    bool ConfirmReplace(QWidget* /*parent*/, const QString& path) override {
        replaceQuestions.push_back(path);
        return replaceAnswer;
    }
    void ShowError(QWidget* /*parent*/, const QString& message) override {
        errors.push_back(message);
    }
};

// A shown main window with scripted dialogs.
struct Window {
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TForm1> form;

    Window() {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        form = std::make_unique<TForm1>(std::move(scripted));
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) qFatal("the window was never exposed");
    }
    TForm1* operator->() const { return form.get(); }

    // "&Open" with the dialog answering the path.
    void Open(const QString& path) {
        dialogs->answers.push_back(path);
        form->Open1->trigger();
    }
    void Pan(int horizontal, int vertical) {
        form->ScrollBar1->setValue(horizontal);
        form->ScrollBar2->setValue(vertical);
    }
    void Choose(DitherMode mode) {
        QRadioButton* buttons[] = {form->RadioButton1, form->RadioButton2, form->RadioButton3,
                                   form->RadioButton4};
        buttons[static_cast<int>(mode)]->setChecked(true);
    }
};

QString ExamplePath(const char* name) {
    return QStringLiteral(ZIMBOR_EXAMPLES_DIR "/") + QString::fromLatin1(name);
}

// A picture whose every pixel says where it is: red and green are x and y modulo 256, blue
// holds their high bits; the seed tells two pictures apart.
QImage Pattern(int width, int height, int seed = 0) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int high = ((x >> 8) << 4) | (y >> 8);
            image.setPixel(x, y, qRgb((x + seed) & 0xFF, (y + 3 * seed) & 0xFF, high ^ seed));
        }
    }
    return image;
}

QString SavePattern(const QTemporaryDir& dir, const QString& name, const QImage& image) {
    const QString path = dir.filePath(name);
    if (!image.save(path)) qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <std::size_t N>
QByteArray AsBytes(const std::array<std::uint8_t, N>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(N));
}

constexpr QRgb kBlack = 0xFF000000u;

// What a preview shows against what it should: empty when equal, else the first difference.
QString Difference(const TImagePreview* preview, const std::function<QRgb(int, int)>& expected) {
    const QImage& shown = preview->Picture();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (shown.pixel(x, y) != expected(x, y)) {
                return QStringLiteral("%1 at (%2, %3): %4, expected %5")
                    .arg(preview->objectName())
                    .arg(x)
                    .arg(y)
                    .arg(shown.pixel(x, y), 8, 16)
                    .arg(expected(x, y), 8, 16);
            }
        }
    }
    return {};
}

QString ShowsPlane(const TImagePreview* preview, const Plane& plane) {
    return Difference(
        preview, [&](int x, int y) { return kBlack | static_cast<QRgb>(plane[PixelSlot(x, y)]); });
}

QString ShowsBlack(const TImagePreview* preview) {
    return Difference(preview, [](int, int) { return kBlack; });
}

// The crop that Image1 shows, as the conversion reads it.
CanvasImage ShownCrop(const TForm1& form) {
    CanvasImage crop{};
    const QImage& shown = form.Image1->Picture();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) crop[PixelSlot(x, y)] = SwapRedBlue(shown.pixel(x, y));
    }
    return crop;
}

// A conversion of the shown crop by the core alone.
std::unique_ptr<ConversionState> Reference(const TForm1& form, const Settings& settings) {
    auto state = std::make_unique<ConversionState>();
    NullReporter quiet;
    Process(ShownCrop(form), settings, *state, quiet);
    return state;
}

// Counts the paint events of a widget and, for a label, the text each one showed.
class PaintRecorder final : public QObject {
  public:
    explicit PaintRecorder(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    int paints = 0;
    QStringList texts;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            ++paints;
            if (const auto* label = qobject_cast<QLabel*>(widget_)) texts.append(label->text());
        }
        return false;
    }

  private:
    QWidget* widget_;
};

// The controls' settings, kept so that a test can put them back and compare.
struct ControlSettings {
    std::array<int, 5> tone{};
    std::array<bool, 4> modes{};
    std::array<bool, 3> checks{};  // CheckBox2, CheckBox3, CheckBox4
    int background = 0;
    friend bool operator==(const ControlSettings&, const ControlSettings&) = default;
};

ControlSettings ReadControls(const TForm1& form) {
    return ControlSettings{
        {form.TrackBar1->value(), form.TrackBar2->value(), form.TrackBar3->value(),
         form.TrackBar4->value(), form.TrackBar5->value()},
        {form.RadioButton1->isChecked(), form.RadioButton2->isChecked(),
         form.RadioButton3->isChecked(), form.RadioButton4->isChecked()},
        {form.CheckBox2->isChecked(), form.CheckBox3->isChecked(), form.CheckBox4->isChecked()},
        form.ComboBox1->currentIndex()};
}

const ControlSettings kDefaults{
    {0, 0, 0, 0, 0}, {false, false, true, false}, {true, false, false}, 0};

// Sets every control away from its default; the settings the core should then receive.
Settings SetOtherSettings(Window& w) {
    w->TrackBar1->setValue(20);
    w->TrackBar2->setValue(-10);
    w->TrackBar3->setValue(5);
    w->TrackBar4->setValue(8);
    w->TrackBar5->setValue(15);
    w.Choose(DitherMode::Custom);
    w->CheckBox2->setChecked(false);
    w->CheckBox4->setChecked(true);
    w->ComboBox1->setCurrentIndex(6);  // "Blue"
    return Settings{.tone = {.red = 20, .green = -10, .blue = 5, .brightness = 8, .contrast = 15},
                    .dither = DitherMode::Custom,
                    .yuvDistance = false,
                    .skipYuvReduction = true,
                    .previewOnly = false,
                    .background = 6};
}

// Checks the texts a label was painted with against the stages' texts in their order: each
// painted text is a later stage's than the one before, and every stage marked as repainting
// its text was painted. Empty when so, else what went wrong.
QString PaintedInOrder(const QStringList& painted,
                       const std::vector<std::pair<QString, bool>>& stages) {
    std::size_t next = 0;
    std::vector<bool> seen(stages.size(), false);
    for (const QString& text : painted) {
        if (next > 0 && stages[next - 1].first == text) continue;  // painted again
        while (next < stages.size() && stages[next].first != text) ++next;
        if (next == stages.size()) return QStringLiteral("out of order or unknown: ") + text;
        seen[next++] = true;
    }
    for (std::size_t i = 0; i < stages.size(); ++i) {
        if (stages[i].second && !seen[i])
            return QStringLiteral("never painted: ") + stages[i].first;
    }
    return {};
}

QString StatusPanelText(const TForm1& form) {
    return form.StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel"))->text();
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startUpState();
    void aboutWindowClosesWithOk();
    void exitClosesTheWindow();
    void openShowsThePicture_data();
    void openShowsThePicture();
    void unrecognisedFileChangesNothing();
    void decoderErrorShowsItsMessage_data();
    void decoderErrorShowsItsMessage();
    void panningStopsAtTheEnds();
    void smallerPictureKeepsTheEarlierPixels();
    void dragAndWheelPanThroughTheScrollBars();
    void dropAndCommandLineOpenAPicture();
    void zoomRepeatsPixelsAndKeepsTheLayout();
    void processShowsTheConversion_data();
    void processShowsTheConversion();
    void processPaintsAsItGoesWithoutAnEventLoop();
    void defaultsResetOnlyTheSettings();
    void savesDoNothingBeforeAFullConversion();
    void saveWritesTheLastFullConversion();
    void saveAsksBeforeReplacing();
    void failedSaveShowsAMessageAndLeavesNothing_data();
    void failedSaveShowsAMessageAndLeavesNothing();
    void savedFilesEqualTheCommandLines();
};

void WindowTest::startUpState() {
    Window w;
    QCOMPARE(w->windowTitle(), QStringLiteral("Zimbor Converter - (c) 2026 The Zimbor developers"));

    // Every control under its name, with its caption.
    const std::pair<const char*, const char*> captions[] = {
        {"Open1", "&Open"},
        {"SavePrg1", "&Save Prg"},
        {"SaveRaw1", "Save &Raw"},
        {"Exit1", "&Exit"},
        {"About1", "&About"},
        {"Label1", "Image converted to C64 Cols"},
        {"Label2", "HI-res FLI Layer"},
        {"Label3", "Sprite Overlay"},
        {"Label4", "Final Processed C64 Image"},
        {"Button1", "Process"},
        {"RadioButton1", "Custom Dither"},
        {"RadioButton2", "Forced Ordered"},
        {"RadioButton3", "Selective Ordered"},
        {"RadioButton4", "None"},
        {"CheckBox2", "YUV Distance"},
        {"CheckBox4", "Skip YUV Color reduction"},
        {"CheckBox3", "Preview Only"},
        {"Button2", "Defaults"},
        {"Label5", "B"},
        {"Label6", "C"},
        {"Label7", "Pixel error amount %"},
        {"Label8", ""},
        {"Label9", "BG Col"},
    };
    for (const auto& [name, caption] : captions) {
        const QObject* control = w->findChild<QObject*>(QString::fromLatin1(name));
        QVERIFY2(control != nullptr, name);
        QCOMPARE(control->property("text").toString(), QString::fromLatin1(caption));
    }
    QCOMPARE(w->File1->title(), QStringLiteral("&File"));
    QCOMPARE(w->File1->actions().first(), w->Open1);
    QVERIFY(w->MainMenu1->actions().contains(w->About1));
    QVERIFY(w->findChild<QObject*>(QStringLiteral("titlelogo")) == w->titlelogo);

    // The named members are the named objects.
    const std::pair<const char*, QObject*> members[] = {
        {"Image1", w->Image1},         {"Image2", w->Image2},
        {"Image3", w->Image3},         {"Image4", w->Image4},
        {"Image5", w->Image5},         {"Panel1", w->Panel1},
        {"Panel9", w->Panel9},         {"ScrollBar1", w->ScrollBar1},
        {"ScrollBar2", w->ScrollBar2}, {"TrackBar5", w->TrackBar5},
        {"ComboBox1", w->ComboBox1},   {"ProgressBar1", w->ProgressBar1},
        {"StatusBar1", w->StatusBar1}, {"Panel10", w->Panel10},
        {"Panel12", w->Panel12},
    };
    for (const auto& [name, member] : members) {
        QCOMPARE(w->findChild<QObject*>(QString::fromLatin1(name)), member);
    }

    // The four modes share one parent: checking one unchecks the others.
    QCOMPARE(ReadControls(*w.form), kDefaults);
    w->RadioButton1->click();
    QVERIFY(!w->RadioButton3->isChecked());
    QCOMPARE(w->RadioButton1->parentWidget(), w->RadioButton4->parentWidget());

    for (QSlider* slider : {w->TrackBar1, w->TrackBar2, w->TrackBar3, w->TrackBar4, w->TrackBar5}) {
        QCOMPARE(slider->minimum(), -256);
        QCOMPARE(slider->maximum(), 256);
    }
    QVERIFY(!w->ComboBox1->isEditable());
    QStringList names;
    for (int i = 0; i < w->ComboBox1->count(); ++i) names << w->ComboBox1->itemText(i);
    QCOMPARE(names, QStringList({"Black", "White", "Red", "Cyan", "Purple", "Green", "Blue",
                                 "Yellow", "Orange", "Brown", "Pink", "D Grey", "M Grey", "L Green",
                                 "L Blue", "L Grey"}));
    QCOMPARE(w->ComboBox1->currentText(), QStringLiteral("Black"));

    QCOMPARE(w->ProgressBar1->minimum(), 0);
    QCOMPARE(w->ProgressBar1->maximum(), 168);
    QCOMPARE(w->ProgressBar1->value(), 0);
    QVERIFY(!w->Button1->isEnabled());
    QVERIFY(w->Button2->isEnabled());
    for (QScrollBar* bar : {w->ScrollBar1, w->ScrollBar2}) {
        QVERIFY(!bar->isEnabled());
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 0);
        QCOMPARE(bar->value(), 0);
    }
    QCOMPARE(w->ScrollBar1->orientation(), Qt::Horizontal);
    QCOMPARE(w->ScrollBar2->orientation(), Qt::Vertical);
    for (TImagePreview* image : {w->Image1, w->Image2, w->Image3, w->Image4, w->Image5}) {
        QCOMPARE(ShowsBlack(image), QString());
        QCOMPARE(image->size(), QSize(144, 168));
    }
    QCOMPARE(w->StatusText(), QString());
    QVERIFY(!w->ConversionDone());
    QVERIFY(w->Form2 != nullptr && !w->Form2->isVisible());
}

void WindowTest::aboutWindowClosesWithOk() {
    Window w;
    TForm2* about = w->Form2;
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(about->Label1->text(), QStringLiteral("Velmora Converter"));
    QCOMPARE(about->Label3->text(), QStringLiteral("Update 3 - 17/02/09"));
    QVERIFY(!about->Label2->text().isEmpty());
    QCOMPARE(about->Button1->text(), QStringLiteral("OK"));
    QCOMPARE(about->Image1->pixmap().size(), QSize(100, 100));

    // "&About" shows it modally; "OK" ends the modal loop with result 1.
    bool shownModal = false;
    QTimer::singleShot(0, about, [&] {
        shownModal = about->isVisible() && QApplication::activeModalWidget() == about;
        about->Button1->click();
    });
    w->About1->trigger();
    QVERIFY(shownModal);
    QCOMPARE(about->result(), int(QDialog::Accepted));
    QCOMPARE(int(QDialog::Accepted), 1);
    QVERIFY(!about->isVisible());
    QVERIFY(w->isVisible());
}

void WindowTest::exitClosesTheWindow() {
    Window w;
    w->Exit1->trigger();
    QVERIFY(!w->isVisible());
    QVERIFY(w.dialogs->shown.empty());
}

void WindowTest::openShowsThePicture_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("horizontalMin");
    QTest::addColumn<int>("verticalMin");
    QTest::newRow("BMP 1000 x 600") << "wide.bmp" << QSize(1000, 600) << -856 << -432;
    QTest::newRow("BMP exactly 144 x 168") << "exact.bmp" << QSize(144, 168) << 0 << 0;
    QTest::newRow("BMP 100 x 100") << "small.bmp" << QSize(100, 100) << 0 << 0;
    QTest::newRow("PNG 300 x 100") << "strip.png" << QSize(300, 100) << -156 << 0;
    QTest::newRow("JPEG 400 x 300") << "" << QSize(400, 300) << -256 << -132;
}

void WindowTest::openShowsThePicture() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(int, horizontalMin);
    QFETCH(int, verticalMin);
    QTemporaryDir dir;
    // The JPEG is the example photograph; what Image1 shows is the intake's decode of it.
    std::function<QRgb(int, int)> picture;
    QString path;
    if (file.isEmpty()) {
        path = ExamplePath("cat.jpg");
        const auto decoded = std::make_shared<SourcePicture>(
            LoadPicture(QFile::encodeName(path).toStdString(), PictureFormat::Jpeg));
        QCOMPARE(QSize(decoded->width, decoded->height), size);
        picture = [decoded](int x, int y) { return kBlack | SwapRedBlue(decoded->At(x, y)); };
    } else {
        const QImage image = Pattern(size.width(), size.height());
        path = SavePattern(dir, file, image);
        picture = [image](int x, int y) { return image.pixel(x, y); };
    }

    Window w;
    w.Open(path);

    QCOMPARE(w.dialogs->shown.size(), std::size_t{1});
    const FileDialog& asked = w.dialogs->shown.front();
    QCOMPARE(asked.mode, FileDialog::Mode::Open);
    QCOMPARE(asked.fileName, QStringLiteral("*.jpg;*.bmp"));
    QVERIFY(asked.filters.join(' ').contains(QStringLiteral("*.png")));
    QVERIFY(w.dialogs->errors.empty());

    // Drawn at (0, 0) over the black start-up crop.
    QCOMPARE(Difference(w->Image1,
                        [&](int x, int y) {
                            return x < size.width() && y < size.height() ? picture(x, y) : kBlack;
                        }),
             QString());
    QVERIFY(w->ScrollBar1->isEnabled() && w->ScrollBar2->isEnabled());
    QCOMPARE(w->ScrollBar1->minimum(), horizontalMin);
    QCOMPARE(w->ScrollBar2->minimum(), verticalMin);
    for (QScrollBar* bar : {w->ScrollBar1, w->ScrollBar2}) {
        QCOMPARE(bar->maximum(), 0);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->singleStep(), 1);
        QCOMPARE(bar->pageStep(), 1);
    }
    QVERIFY(w->Button1->isEnabled());
    QCOMPARE(w->StatusText(), QStringLiteral("Loaded ") + path);
    QCOMPARE(w->ProgressBar1->value(), 0);
    QCOMPARE(w->Label8->text(), QStringLiteral("  "));

    // Another Open: the dialog again starts from the pattern, and a cancel changes nothing.
    w.Pan(horizontalMin, verticalMin);
    const QImage before = w->Image1->Picture();
    w.dialogs->answers.push_back(std::nullopt);
    w->Open1->trigger();
    QCOMPARE(w.dialogs->shown.back().fileName, QStringLiteral("*.jpg;*.bmp"));
    QCOMPARE(w->Image1->Picture(), before);
    QCOMPARE(w->ScrollBar1->value(), horizontalMin);

    // The same file again takes the crop back to the top-left corner.
    w.Open(path);
    QCOMPARE(w->ScrollBar1->value(), 0);
    QCOMPARE(w->ScrollBar2->value(), 0);
    QCOMPARE(w->Image1->Picture().pixel(0, 0), picture(0, 0));
}

void WindowTest::unrecognisedFileChangesNothing() {
    QTemporaryDir dir;
    const QString good = SavePattern(dir, "good.bmp", Pattern(400, 400));
    Window w;
    w.Open(good);
    w.Pan(-10, -20);
    const QImage crop = w->Image1->Picture();

    // Text; a bitmap's first letter but too short for the test; a missing file; a folder.
    const QString files[] = {
        WriteBytes(dir, "notes.jpg", "just some text, no picture"),
        WriteBytes(dir, "short.bmp", "BM\0\0\0"),
        dir.filePath("missing.bmp"),
        dir.path(),
    };
    for (const QString& file : files) {
        w.Open(file);
        QVERIFY2(w.dialogs->errors.empty(), qPrintable(file));
        QCOMPARE(w->StatusText(), QStringLiteral("Loaded ") + good);
        QCOMPARE(w->Image1->Picture(), crop);
        QCOMPARE(w->ScrollBar1->value(), -10);
        QCOMPARE(w->ScrollBar2->value(), -20);
        QCOMPARE(w->ScrollBar1->minimum(), -256);
    }
}

void WindowTest::decoderErrorShowsItsMessage_data() {
    QTest::addColumn<QByteArray>("bytes");
    // The JFIF header of the example, cut off inside its tables.
    QTest::newRow("truncated JPEG") << ReadBytes(ExamplePath("cat.jpg")).left(100);
    QTest::newRow("broken BMP") << QByteArray("BM this is not a bitmap at all");
}

void WindowTest::decoderErrorShowsItsMessage() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString good = SavePattern(dir, "good.png", Pattern(300, 300, 9));
    const QString bad = WriteBytes(dir, "broken-picture", bytes);
    Window w;
    w.Open(good);
    w.Pan(-5, -7);
    const QImage crop = w->Image1->Picture();

    w.Open(bad);
    QCOMPARE(w.dialogs->errors.size(), 1);
    QVERIFY2(w.dialogs->errors.front().contains(QStringLiteral("broken-picture")),
             qPrintable(w.dialogs->errors.front()));
    QCOMPARE(w->ProgressBar1->value(), 0);
    QCOMPARE(w->StatusText(), QStringLiteral("Loaded ") + good);
    QCOMPARE(w->Image1->Picture(), crop);
    QCOMPARE(w->ScrollBar1->value(), -5);
    QCOMPARE(w->ScrollBar2->value(), -7);
    QCOMPARE(w->ScrollBar2->minimum(), -132);

    // The same on a fresh window: nothing is enabled by a failed Open.
    Window fresh;
    fresh.Open(bad);
    QCOMPARE(fresh.dialogs->errors.size(), 1);
    QVERIFY(!fresh->Button1->isEnabled());
    QVERIFY(!fresh->ScrollBar1->isEnabled());
    QCOMPARE(fresh->StatusText(), QString());
}

void WindowTest::panningStopsAtTheEnds() {
    QTemporaryDir dir;
    const QImage picture = Pattern(1000, 600);
    Window w;
    w.Open(SavePattern(dir, "wide.bmp", picture));
    const auto shows = [&](int left, int top) {
        return Difference(w->Image1,
                          [&](int x, int y) { return picture.pixel(x + left, y + top); });
    };

    // Past the left and top ends: clamped, showing the bottom-right corner.
    w.Pan(-5000, -5000);
    QCOMPARE(w->ScrollBar1->value(), -856);
    QCOMPARE(w->ScrollBar2->value(), -432);
    QCOMPARE(shows(856, 432), QString());

    // An arrow step and a trough step each move the crop by one pixel.
    w->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    w->ScrollBar2->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(shows(855, 431), QString());

    // Past the other ends: back at the top-left corner.
    w.Pan(40, 40);
    QCOMPARE(w->ScrollBar1->value(), 0);
    QCOMPARE(w->ScrollBar2->value(), 0);
    QCOMPARE(shows(0, 0), QString());
    w->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(w->ScrollBar1->value(), 0);
}

void WindowTest::smallerPictureKeepsTheEarlierPixels() {
    QTemporaryDir dir;
    const QImage large = Pattern(1000, 600);
    const QImage small = Pattern(100, 100, 77);
    const QImage strip = Pattern(300, 100, 150);
    Window w;
    w.Open(SavePattern(dir, "large.bmp", large));
    w.Pan(-300, -200);

    // Where the small picture does not reach, the crop keeps the large one as panned, and the
    // conversion reads those pixels too.
    w.Open(SavePattern(dir, "small.bmp", small));
    const auto smallOverLarge = [&](int x, int y) {
        return x < 100 && y < 100 ? small.pixel(x, y) : large.pixel(x + 300, y + 200);
    };
    QCOMPARE(Difference(w->Image1, smallOverLarge), QString());
    QCOMPARE(w->ScrollBar1->minimum(), 0);
    QCOMPARE(w->ScrollBar2->minimum(), 0);

    // A strip pans sideways only; rows 100 to 167 keep what was there.
    w.Open(SavePattern(dir, "strip.png", strip));
    w.Pan(-156, -50);
    QCOMPARE(w->ScrollBar2->value(), 0);
    QCOMPARE(Difference(w->Image1,
                        [&](int x, int y) {
                            return y < 100 ? strip.pixel(x + 156, y) : smallOverLarge(x, y);
                        }),
             QString());
}

void WindowTest::dragAndWheelPanThroughTheScrollBars() {
    QTemporaryDir dir;
    Window w;
    w.Open(SavePattern(dir, "wide.bmp", Pattern(1000, 600)));
    w.Pan(-100, -100);
    w->SetZoom(2);
    QSignalSpy moved(w->ScrollBar1, &QScrollBar::valueChanged);

    // Dragging moves the picture with the mouse, in picture pixels: 21 x 11 screen pixels at
    // 2x are 10 x 5 picture pixels.
    const auto mouse = [&](QEvent::Type type, QPoint at) {
        const bool move = type == QEvent::MouseMove;
        QMouseEvent event(type, QPointF(at), w->Image1->mapToGlobal(QPointF(at)),
                          move ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w->Image1, &event);
    };
    mouse(QEvent::MouseButtonPress, QPoint(50, 50));
    mouse(QEvent::MouseMove, QPoint(61, 55));
    mouse(QEvent::MouseMove, QPoint(71, 61));
    mouse(QEvent::MouseButtonRelease, QPoint(71, 61));
    QCOMPARE(w->ScrollBar1->value(), -90);
    QCOMPARE(w->ScrollBar2->value(), -95);
    QCOMPARE(moved.count(), 2);

    // A wheel notch towards the user shows 8 pixels further down; with Shift, to the right.
    const auto wheel = [&](QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(10, 10), w->Image1->mapToGlobal(QPointF(10, 10)), QPoint(), angle,
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->Image1, &event);
    };
    wheel(QPoint(0, -120), Qt::NoModifier);
    QCOMPARE(w->ScrollBar2->value(), -103);
    wheel(QPoint(0, -120), Qt::ShiftModifier);
    QCOMPARE(w->ScrollBar1->value(), -98);
    // A touchpad's small turns add up: 7 and 8 units are one pixel.
    wheel(QPoint(0, 7), Qt::NoModifier);
    QCOMPARE(w->ScrollBar2->value(), -103);
    wheel(QPoint(0, 8), Qt::NoModifier);
    QCOMPARE(w->ScrollBar2->value(), -102);

    // A long drag stops at the end of the range, like the scroll bar.
    mouse(QEvent::MouseButtonPress, QPoint(0, 0));
    mouse(QEvent::MouseMove, QPoint(280, 330));
    mouse(QEvent::MouseButtonRelease, QPoint(280, 330));
    QCOMPARE(w->ScrollBar1->value(), 0);
    QCOMPARE(w->ScrollBar2->value(), 0);
    QCOMPARE(w->Image1->Picture().pixel(0, 0), Pattern(1, 1).pixel(0, 0));
}

void WindowTest::dropAndCommandLineOpenAPicture() {
    QTemporaryDir dir;
    const QString path = SavePattern(dir, "dropped.png", Pattern(200, 200, 5));
    Window w;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.form.get(), &drop);
    QCOMPARE(w->StatusText(), QStringLiteral("Loaded ") + path);
    QCOMPARE(w->ScrollBar2->minimum(), -32);
    QVERIFY(w.dialogs->shown.empty());

    // Something that is not a local file is refused.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/picture.jpg"))});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(w.form.get(), &refused);
    QVERIFY(!refused.isAccepted());

    // The command line hands its picture to the same entry.
    Window other;
    other->OpenPicture(path);
    QCOMPARE(other->StatusText(), QStringLiteral("Loaded ") + path);
}

void WindowTest::zoomRepeatsPixelsAndKeepsTheLayout() {
    QTemporaryDir dir;
    const QImage picture = Pattern(144, 168, 33);
    Window w;
    w.Open(SavePattern(dir, "exact.bmp", picture));
    const QWidget* content = w->findChild<QWidget*>(QStringLiteral("Content"));

    for (int zoom : {2, 3, 1}) {
        (zoom == 1 ? w->Zoom1 : zoom == 2 ? w->Zoom2 : w->Zoom3)->trigger();
        QCOMPARE(w->Zoom(), zoom);
        QApplication::processEvents();

        // Every picture pixel becomes a zoom x zoom block of its own colour.
        QCOMPARE(w->Image1->size(), QSize(144 * zoom, 168 * zoom));
        const QImage shown = w->Image1->grab().toImage();
        for (const QPoint at : {QPoint(0, 0), QPoint(143, 167), QPoint(71, 90)}) {
            for (int dy = 0; dy < zoom; ++dy) {
                for (int dx = 0; dx < zoom; ++dx) {
                    QCOMPARE(shown.pixel(at.x() * zoom + dx, at.y() * zoom + dy),
                             picture.pixel(at));
                }
            }
        }

        // Nothing is squeezed below its least size or pushed out of its parent.
        for (const QWidget* child : content->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(content)) continue;
            const QString name = child->objectName() + QStringLiteral(" at zoom %1").arg(zoom);
            const QSize least = child->minimumSizeHint();
            QVERIFY2(child->width() >= least.width() && child->height() >= least.height(),
                     qPrintable(name));
            QVERIFY2(child->parentWidget()->rect().contains(child->geometry()), qPrintable(name));
        }
        QVERIFY(content->width() >= content->minimumSizeHint().width());
        // The window grows to show all of it, as far as the screen allows.
        const QSize available = w->screen()->availableGeometry().size();
        const QWidget* viewport = content->parentWidget();
        QVERIFY(viewport->width() >= content->minimumSizeHint().width() ||
                w->width() >= available.width());
        QVERIFY(viewport->height() >= content->minimumSizeHint().height() ||
                w->height() >= available.height());
    }
}

void WindowTest::processShowsTheConversion_data() {
    QTest::addColumn<DitherMode>("mode");
    QTest::addColumn<bool>("previewOnly");
    const std::pair<const char*, DitherMode> modes[] = {
        {"Custom Dither", DitherMode::Custom},
        {"Forced Ordered", DitherMode::Forced},
        {"Selective Ordered", DitherMode::Selective},
        {"None", DitherMode::None}};
    for (const auto& [name, mode] : modes) {
        QTest::newRow(name) << mode << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, Preview Only").arg(name))) << mode << true;
    }
}

void WindowTest::processShowsTheConversion() {
    QFETCH(DitherMode, mode);
    QFETCH(bool, previewOnly);
    Window w;
    w.Open(ExamplePath("cat.jpg"));
    w.Pan(-120, -60);

    // A preview-only run follows a full one, whose results it must blank but not lose.
    if (previewOnly) w->Button1->click();
    w.Choose(mode);
    w->CheckBox3->setChecked(previewOnly);
    w->TrackBar5->setValue(30);
    const Settings settings{.tone = {.contrast = 30}, .dither = mode, .previewOnly = previewOnly};
    const auto expected = Reference(*w.form, settings);

    w->Button1->click();
    const ColourPlanes& planes = expected->planes;
    QCOMPARE(ShowsPlane(w->Image2, planes.MappedImage), QString());
    QCOMPARE(w->ProgressBar1->value(), 0);
    QVERIFY(w.dialogs->errors.empty());
    if (previewOnly) {
        QCOMPARE(w->StatusText(), QStringLiteral("C64 color conversion only  "));
        for (TImagePreview* image : {w->Image3, w->Image4, w->Image5}) {
            QCOMPARE(ShowsBlack(image), QString());
        }
        QCOMPARE(w->Label8->text(), QStringLiteral("  "));
        QVERIFY(w->ConversionDone());
    } else {
        QCOMPARE(w->StatusText(), QStringLiteral("Processed                  "));
        QCOMPARE(ShowsPlane(w->Image3, planes.FinalImage), QString());
        QCOMPARE(ShowsPlane(w->Image4, planes.HiresLayer), QString());
        QCOMPARE(ShowsPlane(w->Image5, planes.SpriteLayer), QString());
        QCOMPARE(w->Label8->text(), QString::number(PixelErrorPercent(DifferingPixels(planes))));
        QVERIFY(w->ConversionDone());
    }
    QCOMPARE(StatusPanelText(*w.form), w->StatusText());
}

void WindowTest::processPaintsAsItGoesWithoutAnEventLoop() {
    Window w;
    w.Open(ExamplePath("cat.jpg"));
    QApplication::processEvents();
    PaintRecorder finalPaints(w->Image3);
    PaintRecorder statusPaints(w->StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel")));
    PaintRecorder progressPaints(w->ProgressBar1);

    // Anything posted before the run is delivered only after it: no event loop runs inside.
    bool delivered = false;
    QTimer::singleShot(0, w.form.get(), [&] { delivered = true; });
    QMetaObject::invokeMethod(
        w.form.get(), [&] { delivered = true; }, Qt::QueuedConnection);
    w->Button1->click();
    QVERIFY(!delivered);

    // The final preview after each of the 16 trials and after the final pass; the status bar
    // at least each time the conversion asks, showing the text of the moment.
    QCOMPARE(finalPaints.paints, 17);
    const auto expected = Reference(*w.form, Settings{});
    const int overlay = expected->displayerTemplate[kOverlayColourByte];
    std::vector<std::pair<QString, bool>> texts = {
        {QStringLiteral("Seperating R,G,B channels                  "), false},
        {QStringLiteral("Ordered Dithering image using C64 colors      "), false},
        {QStringLiteral("Mapping to closest c64 colors"), false}};
    for (int n = 0; n < 16; ++n) {
        texts.emplace_back(QStringLiteral("HIFLI Conversion overlay error check %1").arg(n), true);
    }
    texts.emplace_back(
        QStringLiteral("Rendering HiFli Image using Sprite overlay col %1").arg(overlay), true);
    QCOMPARE(PaintedInOrder(statusPaints.texts, texts), QString());
    QVERIFY(progressPaints.paints > 17);

    QApplication::processEvents();
    QVERIFY(delivered);
    QCOMPARE(w->StatusText(), QStringLiteral("Processed                  "));
}

void WindowTest::defaultsResetOnlyTheSettings() {
    Window w;
    w.Open(ExamplePath("cat.jpg"));
    const Settings other = SetOtherSettings(w);
    QCOMPARE(w->ReadSettings().tone.contrast, other.tone.contrast);
    w->Button1->click();
    w->CheckBox3->setChecked(true);
    QVERIFY(ReadControls(*w.form) != kDefaults);

    const QImage previews[] = {w->Image1->Picture(), w->Image2->Picture(), w->Image3->Picture(),
                               w->Image4->Picture(), w->Image5->Picture()};
    const QString label = w->Label8->text();
    const QString status = w->StatusText();

    w->Button2->click();
    QCOMPARE(ReadControls(*w.form), kDefaults);
    QVERIFY(!w->RadioButton1->isChecked());
    const Settings read = w->ReadSettings();
    QCOMPARE(read.dither, DitherMode::Selective);
    QVERIFY(read.yuvDistance && !read.skipYuvReduction && !read.previewOnly);
    QCOMPARE(read.background, 0);

    const QImage after[] = {w->Image1->Picture(), w->Image2->Picture(), w->Image3->Picture(),
                            w->Image4->Picture(), w->Image5->Picture()};
    for (std::size_t i = 0; i < std::size(previews); ++i) QCOMPARE(after[i], previews[i]);
    QCOMPARE(w->Label8->text(), label);
    QCOMPARE(w->StatusText(), status);
    QVERIFY(w->ConversionDone());
}

void WindowTest::savesDoNothingBeforeAFullConversion() {
    QTemporaryDir dir;
    Window w;
    const auto trySaves = [&] {
        w.dialogs->answers = {dir.filePath("pic"), dir.filePath("pic")};
        w->SavePrg1->trigger();
        w->SaveRaw1->trigger();
    };
    // At start-up, with a picture, and after a preview-only run: no dialog, no message, no file.
    trySaves();
    w.Open(ExamplePath("cat.jpg"));
    w.dialogs->shown.clear();
    trySaves();
    w->CheckBox3->setChecked(true);
    w->Button1->click();
    trySaves();
    QVERIFY(!w->ConversionDone());
    QVERIFY(w.dialogs->shown.empty());
    QVERIFY(w.dialogs->errors.empty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void WindowTest::saveWritesTheLastFullConversion() {
    QTemporaryDir dir;
    Window w;
    w.Open(ExamplePath("cat.jpg"));
    w.Pan(-200, -100);
    w->ComboBox1->setCurrentIndex(15);  // "L Grey"
    w->Button1->click();
    const auto first = Reference(*w.form, Settings{.background = 15});

    // Another picture and a preview-only run of it change nothing that is saved.
    w.Open(SavePattern(dir, "other.png", Pattern(200, 200, 3)));
    QCOMPARE(ShowsBlack(w->Image3), QString());
    QCOMPARE(w->Label8->text(), QStringLiteral("  "));
    QCOMPARE(w->ComboBox1->currentIndex(), 15);
    w->CheckBox3->setChecked(true);
    w->Button1->click();

    w.dialogs->answers = {dir.filePath("pic"), dir.filePath("pic")};
    w->SavePrg1->trigger();
    w->SaveRaw1->trigger();
    QVERIFY(w.dialogs->errors.empty());
    QCOMPARE(w.dialogs->shown.size(), std::size_t{4});  // two Opens, two saves
    const FileDialog& prg = w.dialogs->shown[2];
    const FileDialog& raw = w.dialogs->shown[3];
    QCOMPARE(prg.mode, FileDialog::Mode::Save);
    QCOMPARE(prg.filters, QStringList{QStringLiteral("C64 prg file (*.prg)")});
    QCOMPARE(raw.filters, QStringList{QStringLiteral("Raw Data file (*.raw)")});
    // The save dialog is shared and offers the name chosen last.
    QCOMPARE(raw.fileName, dir.filePath("pic"));

    const QByteArray program = ReadBytes(dir.filePath("pic.prg"));
    QCOMPARE(program, AsBytes(BuildProgramBuffer(first->displayerTemplate, first->memory)));
    QCOMPARE(program.at(26), char(15));
    const QByteArray bank = ReadBytes(dir.filePath("pic.raw"));
    QCOMPARE(bank, AsBytes(first->rawBuffer));
    QCOMPARE(program.mid(14338), bank);
    QVERIFY(w.dialogs->replaceQuestions.empty());
}

void WindowTest::saveAsksBeforeReplacing() {
    QTemporaryDir dir;
    const QString existing = WriteBytes(dir, "pic.prg", "old");
    Window w;
    w.Open(ExamplePath("cat.jpg"));
    w->Button1->click();

    // Typing pic or picking pic.prg both name the existing file, which is kept on "No" ...
    w.dialogs->replaceAnswer = false;
    w.dialogs->answers = {dir.filePath("pic"), existing};
    w->SavePrg1->trigger();
    w->SavePrg1->trigger();
    QCOMPARE(w.dialogs->replaceQuestions, QStringList({existing, existing}));
    QCOMPARE(ReadBytes(existing), QByteArray("old"));

    // ... and replaced on "Yes".
    w.dialogs->replaceAnswer = true;
    w.dialogs->answers = {existing};
    w->SavePrg1->trigger();
    QCOMPARE(ReadBytes(existing).size(), qsizetype(kProgramFileSize));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("pic.prg")});

    // Cancelling writes nothing and asks nothing.
    w.dialogs->answers = {std::nullopt};
    w->SaveRaw1->trigger();
    QCOMPARE(w.dialogs->replaceQuestions.size(), 3);
    QVERIFY(w.dialogs->errors.empty());
}

void WindowTest::failedSaveShowsAMessageAndLeavesNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << "no-such-folder/pic";
    QTest::newRow("a folder of that name") << "taken";
}

void WindowTest::failedSaveShowsAMessageAndLeavesNothing() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.raw")));
    Window w;
    w.Open(ExamplePath("cat.jpg"));
    w->Button1->click();

    w.dialogs->answers = {dir.filePath(name)};
    w->SaveRaw1->trigger();
    QCOMPARE(w.dialogs->errors.size(), 1);
    QVERIFY2(w.dialogs->errors.front().contains(QStringLiteral("raw")),
             qPrintable(w.dialogs->errors.front()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("taken.raw")});
    QVERIFY(QDir(dir.filePath("taken.raw")).isEmpty());
    // The window goes on: the next save works.
    w.dialogs->answers = {dir.filePath("pic")};
    w->SaveRaw1->trigger();
    QCOMPARE(ReadBytes(dir.filePath("pic.raw")).size(), qsizetype(16384));
}

void WindowTest::savedFilesEqualTheCommandLines() {
#ifndef ZIMBOR_CONVERT
    QSKIP("zimbor-convert is not built");
#else
    QTemporaryDir dir;
    const QString picture = ExamplePath("cat.jpg");
    Window w;
    w.Open(picture);
    w.Pan(-123, -45);
    SetOtherSettings(w);
    w->Button1->click();
    w.dialogs->answers = {dir.filePath("window"), dir.filePath("window")};
    w->SavePrg1->trigger();
    w->SaveRaw1->trigger();
    QVERIFY(w.dialogs->errors.empty());

    QProcess convert;
    convert.start(QStringLiteral(ZIMBOR_CONVERT), {picture,        "--x",
                                                   "123",          "--y",
                                                   "45",           "--red",
                                                   "20",           "--green=-10",
                                                   "--blue",       "5",
                                                   "--brightness", "8",
                                                   "--contrast",   "15",
                                                   "--dither",     "custom",
                                                   "--rgb",        "--skip-yuv-reduction",
                                                   "--bg",         "6",
                                                   "-o",           dir.filePath("line.prg"),
                                                   "--raw",        dir.filePath("line.raw")});
    QVERIFY(convert.waitForFinished(120000));
    QVERIFY2(convert.exitStatus() == QProcess::NormalExit && convert.exitCode() == 0,
             convert.readAllStandardError().constData());

    const QByteArray program = ReadBytes(dir.filePath("window.prg"));
    QCOMPARE(program.size(), qsizetype(kProgramFileSize));
    QCOMPARE(program, ReadBytes(dir.filePath("line.prg")));
    QCOMPARE(ReadBytes(dir.filePath("window.raw")), ReadBytes(dir.filePath("line.raw")));
#endif
}

}  // namespace zimbor

QTEST_MAIN(zimbor::WindowTest)
#include "window_test.moc"
