#include "ui/options_dialog.h"

#include "app/disc_opening.h"
#include "app/output_format.h"
#include "platform/files/program_folder.h"
#include "ui/folder_dialog.h"
#include "ui/output_format_list.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

namespace corvath::ui {

namespace {

const QStringList kConstantBitRates = {"48", "56", "64", "80", "96", "128", "192", "256", "320"};
const QStringList kVbrBitRates = {" 32 kbit/s", " 40 kbit/s", " 48 kbit/s", " 56 kbit/s",
                                  " 64 kbit/s", " 80 kbit/s", " 96 kbit/s", "112 kbit/s",
                                  "128 kbit/s", "160 kbit/s", "192 kbit/s", "224 kbit/s",
                                  "256 kbit/s", "320 kbit/s"};
const QStringList kOggBitRates = {" Default",   " 45 kbit/s", " 48 kbit/s", " 56 kbit/s",
                                  " 64 kbit/s", " 80 kbit/s", " 96 kbit/s", "112 kbit/s",
                                  "128 kbit/s", "144 kbit/s", "160 kbit/s", "192 kbit/s",
                                  "224 kbit/s", "256 kbit/s", "320 kbit/s"};
const QStringList kStereoModes = {"Stereo", "Joint Stereo", "Dual Channels", "Mono"};
constexpr int kWavItem = static_cast<int>(OutputFormat::WAV);
constexpr int kMinBitRateDefaultItem = 8;  // "128 kbit/s"
constexpr int kMaxBitRateDefaultItem = 13; // "320 kbit/s"

template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QComboBox* NewComboBox(const char* name, const QStringList& items, bool editable)
{
    auto* box = Named(new QComboBox, name);
    box->addItems(items);
    box->setEditable(editable);
    // Enter must not add what was typed as a new item: the item index is what gets stored.
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QStringList Numbers(int first, int last)
{
    QStringList numbers;
    for (int n = first; n <= last; ++n)
        numbers << QString::number(n);
    return numbers;
}

// A track bar for the processor use, between "Less" and "More".
QWidget* CpuUsage(QSlider*& slider, const char* name)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    slider = Named(new QSlider(Qt::Horizontal), name);
    slider->setRange(1, 3);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setAccessibleName("CPU Usage");
    layout->addWidget(new QLabel("Less"));
    layout->addWidget(slider, 1);
    layout->addWidget(new QLabel("More"));
    return row;
}

QGroupBox* Group(const QString& title, QLayout* layout)
{
    auto* group = new QGroupBox(title);
    group->setLayout(layout);
    return group;
}

QFormLayout* Form(std::initializer_list<std::pair<const char*, QWidget*>> rows)
{
    auto* form = new QFormLayout;
    for (const auto& [label, field] : rows)
        form->addRow(label, field);
    return form;
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// A VBR bit-rate text as stored: its first three characters, trimmed, as an integer.
std::optional<int32_t> BitRateOf(const QString& text, QString& number)
{
    number = text.left(3).trimmed();
    bool isNumber = false;
    const int32_t value = number.toInt(&isNumber);
    return isNumber ? std::optional(value) : std::nullopt;
}

} // namespace

TfrmOptions::TfrmOptions(TOptionsSetting& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), WMAOut1_(MakeComponent<TWMAOut>())
{
    setObjectName("frmOptions");
    setWindowTitle("Options");
    PageControl1_ = Named(new QTabWidget, "PageControl1");
    PageControl1_->addTab(CreateOutputPage(), "Output");
    PageControl1_->addTab(CreateLamePage(), "LAME");
    PageControl1_->addTab(CreateOggPage(), "OGG");
    PageControl1_->addTab(CreateWmaPage(), "WMA");
    PageControl1_->addTab(CreateFlacPage(), "FLAC");
    PageControl1_->addTab(CreateApePage(), "APE");
    PageControl1_->addTab(CreateRipPage(), "Rip");

    auto* buttons = new QDialogButtonBox;
    auto* btOk = Named(buttons->addButton("OK", QDialogButtonBox::AcceptRole), "btOk");
    auto* btCancel = Named(buttons->addButton("Cancel", QDialogButtonBox::RejectRole), "btCancel");
    btOk->setDefault(true);
    connect(btOk, &QPushButton::clicked, this, &TfrmOptions::Ok);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1_);
    layout->addWidget(buttons);

    LoadControls();
    PageControl1_->setCurrentIndex(0);
    resize(sizeHint().expandedTo(QSize(456, 312)));
}

TfrmOptions::~TfrmOptions() = default;

QWidget* TfrmOptions::CreateOutputPage()
{
    editOutputDir_ = Named(new QLineEdit, "editOutputDir");
    editOutputDir_->setAccessibleName("Output folder");
    auto* btBrowser = Named(new QPushButton("Browse"), "btBrowser");
    connect(btBrowser, &QPushButton::clicked, this, &TfrmOptions::Browse);
    ckbKeepWav_ = Named(new QCheckBox("Delete WAV file after processing"), "ckbKeepWav");
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(editOutputDir_, 1);
    folderRow->addWidget(btBrowser);
    auto* folder = new QVBoxLayout;
    folder->addLayout(folderRow);
    folder->addWidget(ckbKeepWav_);

    cbOutputFormat_ = Named(new QComboBox, "cbOutputFormat");
    for (const OutputFormatInfo& format : kOutputFormats)
        cbOutputFormat_->addItem(QString::fromUtf8(
            format.shownName.data(), static_cast<qsizetype>(format.shownName.size())));
    // Keeping the WAV files means nothing when WAV is what is made.
    connect(cbOutputFormat_, &QComboBox::currentIndexChanged, this,
            [this](int index) { ckbKeepWav_->setEnabled(index != kWavItem); });
    ckNormalize_ = Named(new QCheckBox("Normalize"), "ckNormalize");
    SpinEdit1_ = Named(new QSpinBox, "SpinEdit1");
    SpinEdit1_->setRange(0, 100);
    SpinEdit1_->setAccessibleName("Normalize percent");
    // Changed by its arrows only.
    SpinEdit1_->findChild<QLineEdit*>()->setReadOnly(true);
    SpinEdit1_->setEnabled(false);
    connect(ckNormalize_, &QCheckBox::toggled, SpinEdit1_, &QWidget::setEnabled);
    auto* normalize = new QHBoxLayout;
    normalize->addWidget(ckNormalize_);
    normalize->addWidget(SpinEdit1_);
    normalize->addWidget(new QLabel("%"));
    normalize->addStretch();
    auto* format = Form({{"Format：", cbOutputFormat_}});
    format->addRow(normalize);

    cbCDList_ = NewComboBox("cbCDList", {}, true);
    cbCDList_->setAccessibleName("Device");

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Group("Output folder", folder));
    layout->addWidget(Group("Output format", format));
    layout->addLayout(Form({{"Device：", cbCDList_}}));
    layout->addStretch();
    return page;
}

QWidget* TfrmOptions::CreateLamePage()
{
    rbCBR_ = Named(new QRadioButton("CBR(Constant Bit Rate)"), "rbCBR");
    cbConstantBitRate_ = NewComboBox("cbConstantBitRate", kConstantBitRates, false);
    rbVBR_ = Named(new QRadioButton("VBR(Variable Bit Rate)"), "rbVBR");
    ckbVBRHead_ = Named(new QCheckBox("Write MP3 VBR Header"), "ckbVBRHead");
    cbMinBitRate_ = NewComboBox("cbMinBitRate", kVbrBitRates, true);
    cbMaxBitRate_ = NewComboBox("cbMaxBitRate", kVbrBitRates, true);
    cbVBRQuality_ = NewComboBox("cbVBRQuality", Numbers(0, 9), true);
    // Only choosing VBR enables its controls; choosing CBR leaves them as they are.
    connect(rbVBR_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            EnableVbrControls(true);
    });

    auto* bitRate = new QVBoxLayout;
    auto* constant = new QHBoxLayout;
    constant->addWidget(rbCBR_);
    constant->addWidget(new QLabel("Bitrate"));
    constant->addWidget(cbConstantBitRate_);
    constant->addStretch();
    bitRate->addLayout(constant);
    bitRate->addWidget(rbVBR_);
    bitRate->addWidget(ckbVBRHead_);
    bitRate->addLayout(Form({{"Minimum bitrate:", cbMinBitRate_},
                             {"Maximum bitrate:", cbMaxBitRate_},
                             {"VBR Quality:", cbVBRQuality_}}));

    cbStereoMode_ = NewComboBox("cbStereoMode", kStereoModes, true);
    auto* channels = new QVBoxLayout;
    channels->addWidget(cbStereoMode_);
    auto* cpu = new QVBoxLayout;
    cpu->addWidget(CpuUsage(tbMP3Cpu_, "tbMP3Cpu"));
    auto* bDefault = Named(new QPushButton("&Default"), "bDefault");
    connect(bDefault, &QPushButton::clicked, this, &TfrmOptions::LameDefault);

    auto* side = new QVBoxLayout;
    side->addWidget(Group("Channels", channels));
    side->addWidget(Group("CPU Usage", cpu));
    side->addStretch();
    side->addWidget(bDefault, 0, Qt::AlignRight);
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(Group("Bit Rate", bitRate), 1);
    layout->addLayout(side);
    return page;
}

QWidget* TfrmOptions::CreateOggPage()
{
    cbUseCompress_ = Named(new QCheckBox("Use Quality setting"), "cbUseCompress");
    tbCompression_ = Named(new QSlider(Qt::Horizontal), "tbCompression");
    tbCompression_->setRange(30, 100);
    tbCompression_->setTickPosition(QSlider::NoTicks);
    tbCompression_->setAccessibleName("Quality");
    auto* quality = new QHBoxLayout;
    quality->addWidget(tbCompression_, 1);
    quality->addWidget(new QLabel("-> Highest quality"));

    cbOggNomBit_ = NewComboBox("cbOggNomBit", kOggBitRates, true);
    cbOggMaxBit_ = NewComboBox("cbOggMaxBit", kOggBitRates, true);
    cbOggMinBit_ = NewComboBox("cbOggMinBit", kOggBitRates, true);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(cbUseCompress_);
    layout->addLayout(quality);
    layout->addWidget(Group("Use Bitrate manager", Form({{"Nominal bitrate:", cbOggNomBit_},
                                                         {"Maximum bitrate:", cbOggMaxBit_},
                                                         {"Minimum bitrate:", cbOggMinBit_}})));
    layout->addStretch();
    return page;
}

QWidget* TfrmOptions::CreateWmaPage()
{
    lbCodecs_ = Named(new QListWidget, "lbCodecs");
    lbCodecs_->setAccessibleName("Codecs");
    for (const std::string& codec : WMAOut1_->Codecs())
        lbCodecs_->addItem(Text(codec));
    lbFormats_ = Named(new QListWidget, "lbFormats");
    lbFormats_->setAccessibleName("Formats");
    cbWMA_VBR_ = Named(new QCheckBox("VBR(Variable Bit Rate)"), "cbWMA_VBR");
    auto* bWMADefault = Named(new QPushButton("&Default"), "bWMADefault");

    // A codec or a VBR state of the user's choosing starts at the first of its formats.
    connect(lbCodecs_, &QListWidget::currentRowChanged, this,
            [this](int codec) { ListWmaFormats(codec, 0); });
    connect(cbWMA_VBR_, &QCheckBox::toggled, this, [this](bool vbr) {
        WMAOut1_->SetVBR(vbr);
        ListWmaFormats(lbCodecs_->currentRow(), 0);
    });
    connect(bWMADefault, &QPushButton::clicked, this, [this] { ShowWmaChoice(0, false, 0); });

    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->addWidget(new QLabel("Codecs"), 0, 0);
    layout->addWidget(lbCodecs_, 1, 0);
    layout->addWidget(new QLabel("Formats"), 0, 1);
    layout->addWidget(lbFormats_, 1, 1);
    layout->addWidget(cbWMA_VBR_, 2, 0);
    layout->addWidget(bWMADefault, 2, 1, Qt::AlignRight);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(0, 1);
    return page;
}

QWidget* TfrmOptions::CreateFlacPage()
{
    cbFlacCompression_ = NewComboBox("cbFlacCompression", Numbers(0, 8), true);
    cbFlacCompression_->setAccessibleName("Compression");
    auto* compression = new QHBoxLayout;
    compression->addWidget(cbFlacCompression_);
    compression->addStretch();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Group("Compression", compression));
    layout->addStretch();
    return page;
}

QWidget* TfrmOptions::CreateApePage()
{
    seAPECompression_ = Named(new QSpinBox, "seAPECompression");
    seAPECompression_->setRange(1000, 10000);
    seAPECompression_->setSingleStep(500);
    seAPECompression_->setAccessibleName("Compression");
    auto* compression = new QHBoxLayout;
    compression->addWidget(seAPECompression_);
    compression->addStretch();
    auto* cpu = new QVBoxLayout;
    cpu->addWidget(CpuUsage(tbAPECpuUsage_, "tbAPECpuUsage"));
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Group("Compression", compression));
    layout->addWidget(Group("CPU Usage", cpu));
    layout->addStretch();
    return page;
}

QWidget* TfrmOptions::CreateRipPage()
{
    seReadOffset_ = Named(new QSpinBox, "seReadOffset");
    seReadOffset_->setRange(-5880, 5880);
    seReadOffset_->setSuffix(" samples");
    seReadOffset_->setAccessibleName("Read offset");
    ckSecureReads_ =
        Named(new QCheckBox("&Secure reads (verify and re-read, slower)"), "ckSecureReads");
    auto* reading = Form({{"Read &offset:", seReadOffset_}});
    reading->addRow(ckSecureReads_);

    ckVerifyAccurateRip_ =
        Named(new QCheckBox("&Verify tracks with the AccurateRip database"), "ckVerifyAccurateRip");
    editAccurateRipServer_ = Named(new QLineEdit, "editAccurateRipServer");
    editAccurateRipServer_->setAccessibleName("AccurateRip database address");
    connect(ckVerifyAccurateRip_, &QCheckBox::toggled, editAccurateRipServer_,
            &QWidget::setEnabled);
    auto* verifying = new QFormLayout;
    verifying->addRow(ckVerifyAccurateRip_);
    verifying->addRow("&Address:", editAccurateRipServer_);

    ckWriteLog_ = Named(new QCheckBox("Write a rip &log"), "ckWriteLog");
    ckWriteCueSheet_ = Named(new QCheckBox("Write a &cue sheet"), "ckWriteCueSheet");
    auto* reports = new QVBoxLayout;
    reports->addWidget(ckWriteLog_);
    reports->addWidget(ckWriteCueSheet_);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Group("Reading", reading));
    layout->addWidget(Group("Verification", verifying));
    layout->addWidget(Group("Beside the ripped files", reports));
    layout->addStretch();
    return page;
}

void TfrmOptions::LoadControls()
{
    const TCommonOptions& common = settings_.CommonOptions;
    editOutputDir_->setText(Text(common.OutputFolder));
    cbOutputFormat_->setCurrentIndex(common.OutputFormat);
    ckbKeepWav_->setChecked(!common.IsKeepWav);
    ckNormalize_->setChecked(common.IsNormalize);
    SpinEdit1_->setValue(common.NormalizePercent);

    const TMp3Options& mp3 = settings_.Mp3Options;
    rbVBR_->setChecked(mp3.IsSelectVBR);
    rbCBR_->setChecked(!mp3.IsSelectVBR);
    ckbVBRHead_->setChecked(mp3.IsVBRHead);
    cbMinBitRate_->setEditText(QString::number(mp3.BitRate) + " kbit/s");
    cbMaxBitRate_->setEditText(QString::number(mp3.MaxBitRate) + " kbit/s");
    cbVBRQuality_->setCurrentIndex(mp3.VBRQuality);
    cbStereoMode_->setCurrentIndex(mp3.StereoMode);
    tbMP3Cpu_->setValue(mp3.CPU);
    cbConstantBitRate_->setCurrentIndex(
        cbConstantBitRate_->findText(QString::number(mp3.ConstantBitRate), Qt::MatchExactly));
    if (!rbVBR_->isChecked())
        EnableVbrControls(false);

    const TOggOptions& ogg = settings_.OggOptions;
    cbUseCompress_->setChecked(ogg.IsUseCompress);
    tbCompression_->setValue(ogg.CompressPosition);
    cbOggMaxBit_->setCurrentIndex(ogg.MaxBitRate);
    cbOggNomBit_->setCurrentIndex(ogg.NomalBitRate);
    cbOggMinBit_->setCurrentIndex(ogg.MinBitRate);

    const TWMAOptions& wma = settings_.WMAOptions;
    ShowWmaChoice(wma.CodecIndex, wma.VBR, wma.FormatIndex);
    cbFlacCompression_->setCurrentIndex(settings_.FLACOptions.Compression);
    seAPECompression_->setValue(settings_.APEOptions.Compression);
    tbAPECpuUsage_->setValue(settings_.APEOptions.CPU);

    const TRipOptions& rip = settings_.RipOptions;
    seReadOffset_->setValue(rip.ReadOffset);
    ckSecureReads_->setChecked(rip.SecureReads);
    ckVerifyAccurateRip_->setChecked(rip.VerifyAccurateRip);
    editAccurateRipServer_->setText(Text(rip.AccurateRipServer));
    editAccurateRipServer_->setEnabled(rip.VerifyAccurateRip);
    ckWriteLog_->setChecked(rip.WriteLog);
    ckWriteCueSheet_->setChecked(rip.WriteCueSheet);

    const int32_t index = settings_.CDOptions.Index;
    driveAtOpening_ = index == -1 ? 0 : index;
    cbCDList_->clear();
    for (const std::string& drive : DriveChoices())
        cbCDList_->addItem(Text(drive));
    if (driveAtOpening_ < cbCDList_->count())
        cbCDList_->setCurrentIndex(driveAtOpening_);
}

void TfrmOptions::EnableVbrControls(bool enabled)
{
    const std::array<QWidget*, 4> controls{ckbVBRHead_, cbMinBitRate_, cbMaxBitRate_,
                                           cbVBRQuality_};
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

void TfrmOptions::ShowWmaChoice(int codec, bool vbr, int format)
{
    const QSignalBlocker codecs(lbCodecs_);
    const QSignalBlocker vbrBox(cbWMA_VBR_);
    lbCodecs_->setCurrentRow(codec);
    cbWMA_VBR_->setChecked(vbr);
    WMAOut1_->SetVBR(vbr);
    ListWmaFormats(codec, format);
}

void TfrmOptions::ListWmaFormats(int codec, int selected)
{
    lbFormats_->clear();
    for (const std::string& format : WMAOut1_->Formats(codec))
        lbFormats_->addItem(Text(format));
    lbFormats_->setCurrentRow(selected);
}

bool TfrmOptions::StoreControls()
{
    TCommonOptions& common = settings_.CommonOptions;
    common.IsKeepWav = !ckbKeepWav_->isChecked();
    common.OutputFormat = cbOutputFormat_->currentIndex();
    common.OutputFolder = editOutputDir_->text().toStdString();
    common.IsNormalize = ckNormalize_->isChecked();
    common.NormalizePercent = std::clamp(SpinEdit1_->value(), 0, 100);

    TMp3Options& mp3 = settings_.Mp3Options;
    mp3.IsSelectVBR = rbVBR_->isChecked();
    mp3.IsVBRHead = ckbVBRHead_->isChecked();
    for (auto [box, setting] :
         {std::pair{cbMinBitRate_, &mp3.BitRate}, std::pair{cbMaxBitRate_, &mp3.MaxBitRate}}) {
        QString number;
        const std::optional<int32_t> kbps = BitRateOf(box->currentText(), number);
        if (!kbps) {
            QMessageBox::critical(this, "Corvath",
                                  QString("'%1' is not a valid integer value").arg(number));
            return false;
        }
        *setting = *kbps;
    }
    mp3.VBRQuality = cbVBRQuality_->currentIndex();
    mp3.StereoMode = cbStereoMode_->currentIndex();
    mp3.CPU = tbMP3Cpu_->value();
    if (cbConstantBitRate_->currentIndex() >= 0)
        mp3.ConstantBitRate = cbConstantBitRate_->currentText().toInt();

    TOggOptions& ogg = settings_.OggOptions;
    ogg.IsUseCompress = cbUseCompress_->isChecked();
    ogg.CompressPosition = tbCompression_->value();
    ogg.MaxBitRate = cbOggMaxBit_->currentIndex();
    ogg.NomalBitRate = cbOggNomBit_->currentIndex();
    ogg.MinBitRate = cbOggMinBit_->currentIndex();

    settings_.WMAOptions = {lbCodecs_->currentRow(), lbFormats_->currentRow(),
                            cbWMA_VBR_->isChecked()};
    settings_.FLACOptions.Compression = cbFlacCompression_->currentIndex();
    settings_.APEOptions.Compression = std::clamp(seAPECompression_->value(), 1000, 10000);
    settings_.APEOptions.CPU = tbAPECpuUsage_->value();
    settings_.CDOptions.Index = cbCDList_->currentIndex();

    TRipOptions& rip = settings_.RipOptions;
    rip.ReadOffset = seReadOffset_->value();
    rip.SecureReads = ckSecureReads_->isChecked();
    rip.VerifyAccurateRip = ckVerifyAccurateRip_->isChecked();
    rip.AccurateRipServer = editAccurateRipServer_->text().trimmed().toStdString();
    rip.WriteLog = ckWriteLog_->isChecked();
    rip.WriteCueSheet = ckWriteCueSheet_->isChecked();
    return true;
}

void TfrmOptions::Ok()
{
    const QString folder = editOutputDir_->text();
    std::error_code unreadable;
    if (!std::filesystem::is_directory(folder.toStdString(), unreadable)) {
        QMessageBox::critical(this, "Corvath", folder + "," + "the output folder does not exist.");
        if (PageControl1_->currentIndex() == 0)
            editOutputDir_->setFocus();
        return;
    }
    if (!StoreControls())
        return;
    driveChanged_ = cbCDList_->count() > 0 && cbCDList_->currentIndex() != driveAtOpening_;
    accept();
}

void TfrmOptions::Browse()
{
    QString path = Text(ProgramFolder());
    if (BrowseForFolder("Please select the folder to save the audio file", QString(), path))
        editOutputDir_->setText(path);
}

void TfrmOptions::LameDefault()
{
    rbCBR_->setChecked(true);
    ckbVBRHead_->setChecked(false);
    cbMinBitRate_->setCurrentIndex(kMinBitRateDefaultItem);
    cbMaxBitRate_->setCurrentIndex(kMaxBitRateDefaultItem);
    cbVBRQuality_->setCurrentIndex(4);
    cbStereoMode_->setCurrentIndex(1);
    tbMP3Cpu_->setValue(3);
}

} // namespace corvath::ui
