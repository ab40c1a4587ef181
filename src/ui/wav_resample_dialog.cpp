#include "ui/wav_resample_dialog.h"

#include "audio/model/au_exception.h"
#include "ui/progress_dialog_parts.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <exception>
#include <stdexcept>

namespace corvath::ui {

/// A file's name in the room the layout gives it: elided in the middle when too long, the
/// whole name in its tooltip. It asks for room for a usual name in its font, so long names
/// never widen the window.
class FileNameLabel : public QLabel {
public:
    explicit FileNameLabel(QWidget* parent) : QLabel(parent)
    {
        setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    QSize sizeHint() const override
    {
        constexpr int kUsualNameChars = 24;
        return {fontMetrics().averageCharWidth() * kUsualNameChars, QLabel::sizeHint().height()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

    void SetName(const QString& name)
    {
        name_ = name;
        setToolTip(name);
        Elide();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    void Elide() { setText(fontMetrics().elidedText(name_, Qt::ElideMiddle, width())); }

    QString name_;
};

namespace {

// Names a control for the tests and for assistive technology.
template <typename Widget>
Widget* Named(Widget* widget, const char* name, const QString& accessibleName)
{
    widget->setObjectName(name);
    widget->setAccessibleName(accessibleName);
    return widget;
}

// Starts at its minimum, which is each spin edit's default here.
QSpinBox* SpinEdit(const char* name, const QString& accessibleName, int minimum, int maximum,
                   int step, QWidget* parent)
{
    auto* edit = Named(new QSpinBox(parent), name, accessibleName);
    edit->setRange(minimum, maximum);
    edit->setSingleStep(step);
    return edit;
}

QPushButton* Button(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QFormLayout* Form(QGroupBox* group)
{
    auto* form = new QFormLayout(group);
    form->setLabelAlignment(Qt::AlignRight);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return form;
}

QString CodingName(TWavType type)
{
    switch (type) {
    case wtPCM:
        return "Raw PCM";
    case wtDVIADPCM:
        return "DVI IMA ADPCM";
    case wtMSADPCM:
        return "Microsoft ADPCM";
    case wtACM:
        return "ACM";
    case wtUnsupported:
        break;
    }
    return "Unsupported";
}

// The text as a whole number; a text that is none fails as an integer conversion does.
int IntegerOf(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
    return value;
}

} // namespace

TfrmWavResample::FileDialogs TfrmWavResample::SystemFileDialogs()
{
    return {[](QWidget* parent, const QString& title, const QString& filter) {
                QFileDialog dialog(parent, title, QString(), filter);
                dialog.setFileMode(QFileDialog::ExistingFile);
                dialog.setDefaultSuffix("wav");
                return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0)
                                                          : QString();
            },
            [](QWidget* parent, const QString& title, const QString& filter) {
                return QFileDialog::getSaveFileName(parent, title, QString(), filter);
            }};
}

TfrmWavResample::TfrmWavResample(QWidget* parent, FileDialogs dialogs)
    : QDialog(parent), dialogs_(std::move(dialogs)), WaveIn1_(MakeComponent<TWaveIn>()),
      Resampler1_(MakeComponent<TResampler>()), AudioConverter1_(MakeComponent<TAudioConverter>()),
      WaveOut1_(MakeComponent<TWaveOut>()), WMAOut1_(MakeComponent<TWMAOut>())
{
    Resampler1_->SetInput(WaveIn1_.get());
    Resampler1_->SetQuality(rqBest);
    Resampler1_->SetOutSampleRate(44100);
    AudioConverter1_->SetInput(Resampler1_.get());
    AudioConverter1_->SetMode(msmMonoToBoth);
    WaveOut1_->SetWavType(wtPCM);
    WMAOut1_->SetDesiredBitrate(256);
    WMAOut1_->SetLossless(false);
    WMAOut1_->SetVBR(false);
    WMAOut1_->SetVBRQuality(0);
    for (TAuOutput* sink : Sinks()) {
        sink->SetInput(AudioConverter1_.get());
        sink->SetOnProgress([this](TAuOutput* sender) { WaveOut1Progress(*sender); });
        sink->SetOnDone([this](TAuOutput* sender) { WaveOut1Done(*sender); });
    }

    setObjectName("frmWavResample");
    setWindowTitle("Wave Converter");
    QGroupBox* input = InputGroup();
    QGroupBox* output = OutputGroup();

    Button1_ = Button("&Input File...", "Button1", this);
    Button2_ = Button("&Output File...", "Button2", this);
    Button3_ = Button("&Start Convert", "Button3", this);
    Button4_ = Button("&Close", "Button4", this);
    Button3_->setDefault(true);
    ProgressBar1_ = CaptionedProgressBar(this);

    auto* groups = new QHBoxLayout;
    groups->addWidget(input, 1);
    groups->addWidget(output, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1_);
    buttons->addWidget(Button2_);
    buttons->addStretch();
    buttons->addWidget(Button3_);
    buttons->addWidget(Button4_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addSpacing(6);
    layout->addWidget(ProgressBar1_);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    // Top to bottom, left to right, as the controls stand.
    setTabOrder(seChannels_, eSampleRate_);
    setTabOrder(eSampleRate_, seBits_);
    setTabOrder(seBits_, cbEncoding_);
    setTabOrder(cbEncoding_, Button1_);
    setTabOrder(Button1_, Button2_);
    setTabOrder(Button2_, Button3_);
    setTabOrder(Button3_, Button4_);
    Button1_->setFocus();

    // What a command raises is shown to the user, as the program reports any failed command.
    const auto onClick = [this](QPushButton* button, void (TfrmWavResample::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception& failure) {
                QMessageBox::critical(this, "Corvath", QString::fromStdString(failure.what()));
            }
        });
    };
    onClick(Button1_, &TfrmWavResample::Button1Click);
    onClick(Button2_, &TfrmWavResample::Button2Click);
    onClick(Button3_, &TfrmWavResample::Button3Click);
    onClick(Button4_, &TfrmWavResample::Button4Click);
}

QGroupBox* TfrmWavResample::InputGroup()
{
    auto* group = new QGroupBox("Input File Parameters", this);
    group->setObjectName("gbInput");
    lInFileName_ = Named(new FileNameLabel(group), "lInFileName", "Input file name");
    lInChannels_ = ValueLabel("lInChannels", "Input channels", group);
    lInSampleRate_ = ValueLabel("lInSampleRate", "Input sample rate", group);
    lInBits_ = ValueLabel("lInBits", "Input bits per sample", group);
    lInEncoding_ = ValueLabel("lInEncoding", "Input encoding", group);
    QFormLayout* form = Form(group);
    form->addRow("File Name", lInFileName_);
    form->addRow("Channels:", lInChannels_);
    form->addRow("Sample Rate:", lInSampleRate_);
    form->addRow("Bits Per Sample:", lInBits_);
    form->addRow("Encoding", lInEncoding_);
    return group;
}

QGroupBox* TfrmWavResample::OutputGroup()
{
    auto* group = new QGroupBox(" Output File Parameters ", this);
    group->setObjectName("gbOutput");
    lOutFileName_ = Named(new FileNameLabel(group), "lOutFileName", "Output file name");
    seChannels_ = SpinEdit("seChannels", "Output channels", 1, 2, 1, group);
    eSampleRate_ = Named(new QLineEdit("22050", group), "eSampleRate", "Output sample rate");
    seBits_ = SpinEdit("seBits", "Output bits per sample", 8, 24, 8, group);
    cbEncoding_ = Named(new QComboBox(group), "cbEncoding", "Output encoding");
    cbEncoding_->addItems({"RAW PCM", "DVI IMA ADPCM"});
    QFormLayout* form = Form(group);
    form->addRow("File Name", lOutFileName_);
    form->addRow("C&hannels:", seChannels_);
    form->addRow("Sample &Rate:", eSampleRate_);
    form->addRow("&Bits Per Sample:", seBits_);
    form->addRow("&Encoding", cbEncoding_);
    return group;
}

// The sinks go first (members in reverse), each stopping its worker before the chain goes.
TfrmWavResample::~TfrmWavResample() = default;

void TfrmWavResample::done(int result)
{
    for (TAuOutput* sink : Sinks())
        sink->StopOutput(false);
    QDialog::done(result);
}

void TfrmWavResample::Button1Click()
{
    const QString path = dialogs_.open(this, "Open", "Wave Files (*.wav)");
    if (path.isEmpty())
        return;
    WaveIn1_->SetFileName(path.toStdString());
    if (!WaveIn1_->IsValid())
        return;
    lInFileName_->SetName(QFileInfo(path).fileName());
    lInChannels_->setText(QString::number(WaveIn1_->GetChannels()));
    lInSampleRate_->setText(QString::number(WaveIn1_->GetSampleRate()));
    lInBits_->setText(QString::number(WaveIn1_->GetBitsPerSample()));
    lInEncoding_->setText(CodingName(WaveIn1_->WavType()));
}

void TfrmWavResample::Button2Click()
{
    const QString path =
        dialogs_.save(this, "Save As", "Wave Files (*.wav);;Windows Media Files (*.wma)");
    if (path.isEmpty())
        return;
    // "song.WAV" is a WAV file too: WMA data under that name would fool every player.
    const QFileInfo file(path);
    if (file.suffix().compare("wav", Qt::CaseInsensitive) == 0)
        sink_ = WaveOut1_.get();
    else
        sink_ = WMAOut1_.get();
    sink_->SetFileName(path.toStdString());
    lOutFileName_->SetName(file.fileName());
}

void TfrmWavResample::Button3Click()
{
    if (sink_ == nullptr || sink_->FileName().empty())
        throw EAuException("The output file name is not set!");
    AudioConverter1_->SetOutBitsPerSample(0);
    AudioConverter1_->SetOutChannels(0);
    const auto channels = static_cast<uint32_t>(seChannels_->value());
    const int rate = IntegerOf(eSampleRate_->text());
    const auto bits = static_cast<uint32_t>(seBits_->value());
    if (!WaveIn1_->IsValid())
        return;
    if (bits != WaveIn1_->GetBitsPerSample())
        AudioConverter1_->SetOutBitsPerSample(bits);
    if (channels != WaveIn1_->GetChannels())
        AudioConverter1_->SetOutChannels(channels);
    // Negative rates wrap to out-of-range ones, which the resampler turns into 44100.
    Resampler1_->SetOutSampleRate(static_cast<uint32_t>(rate));
    WaveOut1_->SetWavType(cbEncoding_->currentIndex() == 0 ? wtPCM : wtDVIADPCM);
    // The sink's events reach this thread only after this handler, so the window may follow
    // the start instead of preceding it: a sink that refuses to start leaves the window idle.
    sink_->Start();
    stopAsked_ = false;
    SetConverting(true);
    setWindowTitle("Converting...");
}

void TfrmWavResample::Button4Click()
{
    for (TAuOutput* sink : Sinks()) {
        if (sink->IsBusy()) {
            stopAsked_ = true;
            sink->StopOutput(true);
        }
    }
}

void TfrmWavResample::WaveOut1Progress(TAuOutput& sender)
{
    ProgressBar1_->setValue(sender.PercentDone());
}

void TfrmWavResample::WaveOut1Done(TAuOutput& sender)
{
    SetConverting(false);
    // The sink forgets the stop once its run has ended, before this event comes.
    if (!sender.LastError().empty())
        setWindowTitle(QString::fromStdString(sender.LastError()));
    else
        setWindowTitle(stopAsked_ ? "Stopped." : "Success!");
}

std::array<TAuOutput*, 2> TfrmWavResample::Sinks() const
{
    return {WaveOut1_.get(), WMAOut1_.get()};
}

// The running conversion reads the input file and names the output file when it ends, so
// neither can change meanwhile.
void TfrmWavResample::SetConverting(bool converting)
{
    Button1_->setEnabled(!converting);
    Button2_->setEnabled(!converting);
    Button3_->setEnabled(!converting);
}

} // namespace corvath::ui
