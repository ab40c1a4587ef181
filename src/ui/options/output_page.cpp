#include "ui/options/output_page.h"

#include "app/conversion_lanes.h"
#include "app/disc_opening.h"
#include "app/file_name_pattern.h"
#include "app/formats_written.h"
#include "platform/files/program_folder.h"
#include "ui/folder_dialog.h"
#include "ui/options/page_widgets.h"
#include "ui/output_format_list.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <utility>

namespace corvath::ui {

namespace {

constexpr int kWavItem = static_cast<int>(OutputFormat::WAV);

// Patterns libraries are often laid out by; any other can be typed.
const QStringList kPatternPresets = {
    "%title%",
    "%track% %title%",
    "%artist% - %title%",
    "%albumartist%/%album%/%track% %title%",
    "%albumartist%/%album%/%disc%-%track% %title%",
};

// What the preview names when there is no track to show.
TrackRecord ExampleTrack()
{
    TrackRecord track;
    track.title = "Title";
    track.trackNumber = 1;
    track.trackTotal = 12;
    track.artist = "Artist";
    track.album = "Album";
    track.date = "2024";
    track.genre = "Rock";
    return track;
}

} // namespace

OutputPage::OutputPage(TrackRecord sample)
    : sample_(sample.title.empty() ? ExampleTrack() : std::move(sample))
{
    editOutputDir_ = Named(new QLineEdit, "editOutputDir");
    editOutputDir_->setAccessibleName("Output folder");
    auto* btBrowser = Named(new QPushButton("&Browse"), "btBrowser");
    connect(btBrowser, &QPushButton::clicked, this, &OutputPage::Browse);
    ckbKeepWav_ = Named(new QCheckBox("Delete &WAV file after processing"), "ckbKeepWav");
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(editOutputDir_, 1);
    folderRow->addWidget(btBrowser);
    auto* folder = new QVBoxLayout;
    folder->addLayout(folderRow);
    folder->addWidget(ckbKeepWav_);

    cbOutputFormat_ = Named(new QComboBox, "cbOutputFormat");
    AddOutputFormats(*cbOutputFormat_);
    // Keeping the WAV files means nothing when WAV is what is made.
    connect(cbOutputFormat_, &QComboBox::currentIndexChanged, this,
            [this](int index) { ckbKeepWav_->setEnabled(index != kWavItem); });
    ckNormalize_ = Named(new QCheckBox("&Normalize"), "ckNormalize");
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
    auto* format = Form({{"For&mat：", cbOutputFormat_}});
    format->addRow(normalize);
    cbFileNames_ = NewComboBox("cbFileNames", kPatternPresets, true);
    cbFileNames_->setAccessibleName("File names");
    cbFileNames_->setToolTip("%artist% %albumartist% %album% %year% %genre% %track% "
                             "%tracktotal% %disc% %disctotal% %title%; / makes folders");
    lPreview_ = Named(new QLabel, "lPreview");
    lPreview_->setTextFormat(Qt::PlainText);
    lPreview_->setWordWrap(true);
    format->addRow("&File names:", cbFileNames_);
    format->addRow(QString(), lPreview_);
    format->addRow("Also write:", AlsoWriteRow());
    cbReplayGain_ =
        NewComboBox("cbReplayGain", {"Off", "Track gain", "Track and album gain"}, false);
    cbReplayGain_->setAccessibleName("ReplayGain");
    cbReplayGain_->setToolTip("Loudness tags that players use to play every file equally loud; "
                              "the album gain is over the tracks of one rip");
    format->addRow("&ReplayGain:", cbReplayGain_);
    connect(cbFileNames_, &QComboBox::currentTextChanged, this, &OutputPage::ShowPreview);
    connect(cbOutputFormat_, &QComboBox::currentIndexChanged, this, &OutputPage::MainFormatChanged);

    cbCDList_ = NewComboBox("cbCDList", {}, true);
    cbCDList_->setAccessibleName("Device");
    connect(cbCDList_, &QComboBox::currentIndexChanged, this,
            [this](int index) { drivePicked_ = index >= 0; });

    seFilesAtOnce_ = Named(new QSpinBox, "seFilesAtOnce");
    seFilesAtOnce_->setRange(1, kMostConversionLanes);
    seFilesAtOnce_->setAccessibleName("Files converted at once");
    seFilesAtOnce_->setToolTip("How many files the converters of the File menu work on at the "
                               "same time; at first one per processor");
    seFilesAtOnce_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group("Output fol&der", folder));
    layout->addWidget(Group("Output forma&t", format));
    layout->addLayout(
        Form({{"D&evice：", cbCDList_}, {"Files converted at &once:", seFilesAtOnce_}}));
    layout->addStretch();
}

QLayout* OutputPage::AlsoWriteRow()
{
    auto* row = new QHBoxLayout;
    for (const OutputFormatInfo& format : OutputFormats()) {
        if (format.format == OutputFormat::WAV)
            continue;
        const QString name = QString::fromUtf8(format.name.data(), format.name.size());
        auto* box = Named(new QCheckBox(name), ("ckAlso" + name).toStdString().c_str());
        box->setAccessibleName("Also write " + name);
        connect(box, &QCheckBox::toggled, this, &OutputPage::ShowPreview);
        row->addWidget(box);
        alsoWrite_.push_back({format.format, box});
    }
    row->addStretch();
    return row;
}

// The main format is written anyway: its box has nothing to add.
void OutputPage::MainFormatChanged()
{
    const OutputFormat main = FormatOfSetting(cbOutputFormat_->currentIndex());
    for (const auto& [format, box] : alsoWrite_) {
        box->setEnabled(format != main);
        if (format == main)
            box->setChecked(false);
    }
    ShowPreview();
}

std::vector<OutputFormat> OutputPage::AlsoWritten() const
{
    std::vector<OutputFormat> formats;
    for (const auto& [format, box] : alsoWrite_) {
        if (box->isChecked())
            formats.push_back(format);
    }
    return formats;
}

void OutputPage::Load(const TOptionsSetting& settings)
{
    const TCommonOptions& common = settings.CommonOptions;
    editOutputDir_->setText(QString::fromStdString(common.OutputFolder));
    cbOutputFormat_->setCurrentIndex(common.OutputFormat);
    ckbKeepWav_->setChecked(!common.IsKeepWav);
    ckNormalize_->setChecked(common.IsNormalize);
    SpinEdit1_->setValue(common.NormalizePercent);
    cbFileNames_->setCurrentText(QString::fromStdString(common.FileNamePattern));
    cbReplayGain_->setCurrentIndex(static_cast<int>(ReplayGainModeOf(common.ReplayGain)));
    const std::vector<OutputFormat> also =
        AlsoWrittenFormats(common.AlsoWrite, FormatOfSetting(common.OutputFormat));
    for (const auto& [format, box] : alsoWrite_)
        box->setChecked(std::ranges::find(also, format) != also.end());
    MainFormatChanged();
    filesAtOnceAtOpening_ = common.FilesAtOnce;
    seFilesAtOnce_->setValue(ConversionLanes(common.FilesAtOnce));

    const int32_t index = settings.CDOptions.Index;
    driveAtOpening_ = index == -1 ? 0 : index;
    drivePicked_ = false;
    {
        // Qt selects the first item as it is added: no pick of the user's.
        const QSignalBlocker quiet(cbCDList_);
        cbCDList_->clear();
        for (const std::string& drive : DriveChoices())
            cbCDList_->addItem(QString::fromStdString(drive));
        cbCDList_->setCurrentIndex(driveAtOpening_ < cbCDList_->count() ? driveAtOpening_ : -1);
    }
}

bool OutputPage::Store(TOptionsSetting& settings)
{
    TCommonOptions& common = settings.CommonOptions;
    common.IsKeepWav = !ckbKeepWav_->isChecked();
    common.OutputFormat = cbOutputFormat_->currentIndex();
    common.OutputFolder = editOutputDir_->text().toStdString();
    common.IsNormalize = ckNormalize_->isChecked();
    common.NormalizePercent = std::clamp(SpinEdit1_->value(), 0, 100);
    common.FileNamePattern = cbFileNames_->currentText().toStdString();
    common.AlsoWrite = ExtensionList(AlsoWritten());
    common.ReplayGain = cbReplayGain_->currentIndex();
    // Left as it was, "one per processor" keeps following the machine the settings move to.
    if (seFilesAtOnce_->value() != ConversionLanes(filesAtOnceAtOpening_))
        common.FilesAtOnce = seFilesAtOnce_->value();
    return true;
}

void OutputPage::StoreDrive(TOptionsSetting& settings) const
{
    if (drivePicked_)
        settings.CDOptions.Index = cbCDList_->currentIndex();
}

QString OutputPage::Folder() const
{
    return editOutputDir_->text();
}

void OutputPage::FocusFolder()
{
    editOutputDir_->setFocus();
}

QString OutputPage::PatternProblem() const
{
    return QString::fromStdString(
        FileNamePatternProblem(cbFileNames_->currentText().toStdString()));
}

void OutputPage::FocusPattern()
{
    cbFileNames_->setFocus();
}

void OutputPage::ShowPreview()
{
    const std::string pattern = cbFileNames_->currentText().toStdString();
    if (const QString problem = PatternProblem(); !problem.isEmpty()) {
        lPreview_->setText(problem);
        return;
    }
    const OutputFormatInfo& format = InfoOf(FormatOfSetting(cbOutputFormat_->currentIndex()));
    const std::string extension(format.extension);
    // Several formats each go below a folder of their own.
    const std::string folder = AlsoWritten().empty() ? "" : std::string(format.name) + "/";
    lPreview_->setText(QString::fromStdString(
        folder + PatternedName(pattern, sample_, extension.size() + 1) + "." + extension));
}

bool OutputPage::DriveChanged() const
{
    return drivePicked_ && cbCDList_->currentIndex() != driveAtOpening_;
}

void OutputPage::Browse()
{
    QString path = QString::fromStdString(ProgramFolder());
    if (BrowseForFolder("Please select the folder to save the audio file", QString(), path))
        editOutputDir_->setText(path);
}

} // namespace corvath::ui
