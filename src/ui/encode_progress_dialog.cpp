#include "ui/encode_progress_dialog.h"

#include "app/options_setting.h"
#include "ui/desktop_notification.h"
#include "ui/progress_dialog_parts.h"

#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace corvath::ui {

namespace {

constexpr const char* kEncoding = "Encoding...";
// Beyond this many files under way the window would outgrow the screen; the rest are counted.
constexpr std::size_t kMostLines = 8;

} // namespace

TfrmEncodeProgress::TfrmEncodeProgress(QWidget* parent, ConvertJob job)
    : BatchDialog(parent, "frmEncodeProgress"), batch_(*this, std::move(job), OptionsSetting)
{
    setMinimumWidth(440);
    lInputFile_ = ValueLabel("lInputFile", "Input file", this);
    lOutputFile_ = ValueLabel("lOutputFile", "Output file", this);
    lFilesUnderWay_ = ValueLabel("lFilesUnderWay", "Files under way", this);
    lOutputFolder_ = ValueLabel("lOutputFolder", "Output folder", this);
    lSelectedFiles_ = ValueLabel("lSelectedFiles", "Selected files", this);
    lCompleted_ = ValueLabel("lCompleted", "Completed", this);
    QFormLayout* facts = LayOut({{"Current Input File:", lInputFile_},
                                 {"Current Output File:", lOutputFile_},
                                 {"Files under way:", lFilesUnderWay_},
                                 {"Output Folder:", lOutputFolder_},
                                 {"Selected files:", lSelectedFiles_},
                                 {"Completed:", lCompleted_}});
    facts->setRowVisible(lInputFile_, !SeveralAtOnce());
    facts->setRowVisible(lOutputFile_, !SeveralAtOnce());
    facts->setRowVisible(lFilesUnderWay_, SeveralAtOnce());
    // Room for every lane from the start, so that the window keeps its size as files come and go.
    const auto lines = static_cast<int>(std::min(batch_.LaneCount(), kMostLines));
    lFilesUnderWay_->setMinimumHeight(lFilesUnderWay_->fontMetrics().lineSpacing() * lines);
    lFilesUnderWay_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lProgressHint_->setText(kEncoding);

    lSelectedFiles_->setText(QString::number(batch_.FileCount()));
    lOutputFolder_->setText(QString::fromStdString(OptionsSetting.CommonOptions.OutputFolder));
    QTimer::singleShot(0, this, [this] {
        started_ = std::chrono::steady_clock::now();
        batch_.Start();
    });
}

TfrmEncodeProgress::~TfrmEncodeProgress() = default;

bool TfrmEncodeProgress::StopBatch()
{
    batch_.Stop();
    return true;
}

void TfrmEncodeProgress::ShowFile(const std::string& input, const std::string& output, int32_t)
{
    ProgressBar1_->setFormat(lProgressHint_->text());
    lCompleted_->setText(QString::number(ended_));
    if (SeveralAtOnce()) {
        underWay_.Add(input, output);
        ShowUnderWay();
    } else {
        lInputFile_->setText(FileNameOf(input));
        lOutputFile_->setText(FileNameOf(output));
    }
}

void TfrmEncodeProgress::ShowProgress(const std::string& input, int32_t percent)
{
    if (SeveralAtOnce()) {
        underWay_.SetPercent(input, percent);
        ShowUnderWay();
    } else {
        ProgressBar1_->setValue(percent);
    }
}

void TfrmEncodeProgress::ShowConverted(const std::string& input, const std::string&)
{
    FileEnded(input);
}

void TfrmEncodeProgress::ShowFailed(const FailedFile& failure)
{
    FileEnded(failure.input);
}

void TfrmEncodeProgress::FileEnded(const std::string& input)
{
    ++ended_;
    lCompleted_->setText(QString::number(ended_));
    if (SeveralAtOnce()) {
        underWay_.Remove(input);
        ShowUnderWay();
    }
}

void TfrmEncodeProgress::ShowUnderWay()
{
    lFilesUnderWay_->setText(underWay_.Lines(kMostLines));
    const std::size_t files = std::max<std::size_t>(batch_.FileCount(), 1);
    const auto hundredths = static_cast<std::size_t>(ended_ * 100 + underWay_.PercentSum());
    ProgressBar1_->setValue(static_cast<int>(hundredths / files));
}

void TfrmEncodeProgress::ShowFailures(const std::vector<FailedFile>& failures)
{
    // Before the list, which waits for the user.
    NotifyEnd(failures.size());
    QStringList lines;
    for (const FailedFile& failure : failures)
        lines << QString::fromStdString(failure.input + ": " + failure.reason);
    ShowFailureList(this, "This file was not converted:", "These files were not converted:", lines);
}

void TfrmEncodeProgress::Close()
{
    NotifyEnd(0);
    accept();
}

void TfrmEncodeProgress::NotifyEnd(std::size_t failed)
{
    if (std::exchange(endNotified_, true))
        return;
    NotifyIfUnattended(*this, std::chrono::steady_clock::now() - started_,
                       ConversionFinishedText(batch_.FileCount(), failed));
}

} // namespace corvath::ui
