#include "ui/encode_progress_dialog.h"

#include "app/options_setting.h"
#include "ui/progress_dialog_parts.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <filesystem>

namespace corvath::ui {

namespace {

constexpr const char* kEncoding = "Encoding...";

QString FileNameOf(const std::string& path)
{
    return QString::fromStdString(std::filesystem::path(path).filename().string());
}

} // namespace

TfrmEncodeProgress::TfrmEncodeProgress(QWidget* parent, ConvertJob job)
    : BatchDialog(parent, "frmEncodeProgress"), batch_(*this, std::move(job), OptionsSetting)
{
    setMinimumWidth(440);
    lInputFile_ = ValueLabel("lInputFile", "Input file", this);
    lOutputFile_ = ValueLabel("lOutputFile", "Output file", this);
    lOutputFolder_ = ValueLabel("lOutputFolder", "Output folder", this);
    lSelectedFiles_ = ValueLabel("lSelectedFiles", "Selected files", this);
    lCompleted_ = ValueLabel("lCompleted", "Completed", this);
    LayOut({{"Current Input File:", lInputFile_},
            {"Current Output File:", lOutputFile_},
            {"Output Folder:", lOutputFolder_},
            {"Selected files:", lSelectedFiles_},
            {"Completed:", lCompleted_}});
    lProgressHint_->setText(kEncoding);

    lSelectedFiles_->setText(QString::number(batch_.FileCount()));
    lOutputFolder_->setText(QString::fromStdString(OptionsSetting.CommonOptions.OutputFolder));
    QTimer::singleShot(0, this, [this] { batch_.Start(); });
}

TfrmEncodeProgress::~TfrmEncodeProgress() = default;

bool TfrmEncodeProgress::StopBatch()
{
    batch_.Stop();
    return true;
}

void TfrmEncodeProgress::ShowFile(const std::string& input, const std::string& output,
                                  int32_t count)
{
    lInputFile_->setText(FileNameOf(input));
    lOutputFile_->setText(FileNameOf(output));
    ProgressBar1_->setFormat(lProgressHint_->text());
    lCompleted_->setText(QString::number(count));
}

void TfrmEncodeProgress::ShowProgress(const std::string&, int32_t percent)
{
    ProgressBar1_->setValue(percent);
}

void TfrmEncodeProgress::ShowFailures(const std::vector<FailedFile>& failures)
{
    QStringList lines;
    for (const FailedFile& failure : failures)
        lines << QString::fromStdString(failure.input + ": " + failure.reason);
    ShowFailureList(this, "This file was not converted:", "These files were not converted:", lines);
}

void TfrmEncodeProgress::Close()
{
    accept();
}

} // namespace corvath::ui
