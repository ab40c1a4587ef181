#include "ui/encode_progress_dialog.h"

#include "app/options_setting.h"
#include "ui/progress_dialog_parts.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
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
    : QDialog(parent), batch_(*this, std::move(job), OptionsSetting)
{
    setObjectName("frmEncodeProgress");
    setWindowTitle("Corvath");
    setMinimumWidth(440);

    lInputFile_ = ValueLabel("lInputFile", this);
    lOutputFile_ = ValueLabel("lOutputFile", this);
    lOutputFolder_ = ValueLabel("lOutputFolder", this);
    lSelectedFiles_ = ValueLabel("lSelectedFiles", this);
    lCompleted_ = ValueLabel("lCompleted", this);
    lProgressHint_ = new QLabel(kEncoding, this);
    lProgressHint_->setObjectName("lProgressHint");
    ProgressBar1_ = CaptionedProgressBar(this);
    auto* bStop = new QPushButton("Stop", this);
    bStop->setObjectName("bStop");
    connect(bStop, &QPushButton::clicked, this, &TfrmEncodeProgress::Stop);

    auto* facts = new QFormLayout;
    facts->setLabelAlignment(Qt::AlignRight);
    facts->addRow("Current Input File:", lInputFile_);
    facts->addRow("Current Output File:", lOutputFile_);
    facts->addRow("Output Folder:", lOutputFolder_);
    facts->addRow("Selected files:", lSelectedFiles_);
    facts->addRow("Completed:", lCompleted_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bStop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    layout->addSpacing(6);
    layout->addWidget(lProgressHint_);
    layout->addWidget(ProgressBar1_);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    bStop->setFocus();

    lSelectedFiles_->setText(QString::number(batch_.FileCount()));
    lOutputFolder_->setText(QString::fromStdString(OptionsSetting.CommonOptions.OutputFolder));
    QTimer::singleShot(0, this, [this] { batch_.Start(); });
}

TfrmEncodeProgress::~TfrmEncodeProgress() = default;

void TfrmEncodeProgress::Stop()
{
    batch_.Stop();
    accept();
}

void TfrmEncodeProgress::closeEvent(QCloseEvent* event)
{
    batch_.Stop();
    QDialog::closeEvent(event);
}

// Escape stops the batch as the Stop button does.
void TfrmEncodeProgress::reject()
{
    batch_.Stop();
    QDialog::reject();
}

void TfrmEncodeProgress::ShowFile(const std::string& input, const std::string& output,
                                  int32_t count)
{
    lInputFile_->setText(FileNameOf(input));
    lOutputFile_->setText(FileNameOf(output));
    ProgressBar1_->setFormat(lProgressHint_->text());
    lCompleted_->setText(QString::number(count));
}

void TfrmEncodeProgress::ShowProgress(int32_t percent)
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
