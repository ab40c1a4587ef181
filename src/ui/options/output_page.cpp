#include "ui/options/output_page.h"

#include "app/disc_opening.h"
#include "app/file_name_pattern.h"
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
    auto* btBrowser = Named(new QPushButton("Browse"), "btBrowser");
    connect(btBrowser, &QPushButton::clicked, this, &OutputPage::Browse);
    ckbKeepWav_ = Named(new QCheckBox("Delete WAV file after processing"), "ckbKeepWav");
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
    cbFileNames_ = NewComboBox("cbFileNames", kPatternPresets, true);
    cbFileNames_->setAccessibleName("File names");
    cbFileNames_->setToolTip("%artist% %albumartist% %album% %year% %genre% %track% "
                             "%tracktotal% %disc% %disctotal% %title%; / makes folders");
    lPreview_ = Named(new QLabel, "lPreview");
    lPreview_->setTextFormat(Qt::PlainText);
    lPreview_->setWordWrap(true);
    format->addRow("&File names:", cbFileNames_);
    format->addRow(QString(), lPreview_);
    connect(cbFileNames_, &QComboBox::currentTextChanged, this, &OutputPage::ShowPreview);
    connect(cbOutputFormat_, &QComboBox::currentIndexChanged, this, &OutputPage::ShowPreview);

    cbCDList_ = NewComboBox("cbCDList", {}, true);
    cbCDList_->setAccessibleName("Device");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group("Output folder", folder));
    layout->addWidget(Group("Output format", format));
    layout->addLayout(Form({{"Device：", cbCDList_}}));
    layout->addStretch();
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

    const int32_t index = settings.CDOptions.Index;
    driveAtOpening_ = index == -1 ? 0 : index;
    cbCDList_->clear();
    for (const std::string& drive : DriveChoices())
        cbCDList_->addItem(QString::fromStdString(drive));
    if (driveAtOpening_ < cbCDList_->count())
        cbCDList_->setCurrentIndex(driveAtOpening_);
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
    return true;
}

void OutputPage::StoreDrive(TOptionsSetting& settings) const
{
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
    const OutputFormatInfo* format = FormatByNumber(cbOutputFormat_->currentIndex());
    const std::string extension(format != nullptr ? format->extension : "wav");
    lPreview_->setText(QString::fromStdString(
        PatternedName(pattern, sample_, extension.size() + 1) + "." + extension));
}

bool OutputPage::DriveChanged() const
{
    return cbCDList_->count() > 0 && cbCDList_->currentIndex() != driveAtOpening_;
}

void OutputPage::Browse()
{
    QString path = QString::fromStdString(ProgramFolder());
    if (BrowseForFolder("Please select the folder to save the audio file", QString(), path))
        editOutputDir_->setText(path);
}

} // namespace corvath::ui
