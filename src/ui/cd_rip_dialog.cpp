#include "ui/cd_rip_dialog.h"

#include "app/options_setting.h"
#include "ui/progress_dialog_parts.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace corvath::ui {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TfrmCDRip::TfrmCDRip(QWidget* parent, RipJob job)
    : QDialog(parent), batch_(*this, std::move(job), OptionsSetting)
{
    setObjectName("frmCDRip");
    setWindowTitle("Corvath");
    setMinimumWidth(400);

    lCurrentTrack_ = ValueLabel("lCurrentTrack", this);
    lOutputFormat_ = ValueLabel("lOutputFormat", this);
    lSelectedTracks_ = ValueLabel("lSelectedTracks", this);
    lCompleted_ = ValueLabel("lCompleted", this);
    lProgressHint_ = new QLabel(this);
    lProgressHint_->setObjectName("lProgressHint");
    ProgressBar1_ = CaptionedProgressBar(this);
    bStop_ = new QPushButton("Stop", this);
    bStop_->setObjectName("bStop");
    connect(bStop_, &QPushButton::clicked, this, &TfrmCDRip::Stop);

    auto* facts = new QFormLayout;
    facts->setLabelAlignment(Qt::AlignRight);
    facts->addRow("Current track:", lCurrentTrack_);
    facts->addRow("Output format:", lOutputFormat_);
    facts->addRow("Selected tracks:", lSelectedTracks_);
    facts->addRow("Completed:", lCompleted_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bStop_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    layout->addSpacing(6);
    layout->addWidget(lProgressHint_);
    layout->addWidget(ProgressBar1_);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    bStop_->setFocus();

    lOutputFormat_->setText(Text(std::string(InfoOf(batch_.Format()).name)));
    lSelectedTracks_->setText(QString::number(batch_.TrackCount()));
    // The first track starts once the window is up, so that the window can follow it.
    QTimer::singleShot(0, this, [this] { batch_.Start(); });
}

TfrmCDRip::~TfrmCDRip() = default;

void TfrmCDRip::Stop()
{
    batch_.Stop();
    accept();
}

void TfrmCDRip::closeEvent(QCloseEvent* event)
{
    batch_.Stop();
    QDialog::closeEvent(event);
}

// Escape stops the rip as the Stop button does.
void TfrmCDRip::reject()
{
    batch_.Stop();
    QDialog::reject();
}

void TfrmCDRip::ShowCurrentTrack(const RipEntry& track)
{
    lCurrentTrack_->setText(Text(track.title));
}

void TfrmCDRip::ShowHint(const std::string& hint)
{
    lProgressHint_->setText(Text(hint));
}

void TfrmCDRip::ShowBarCaption(const std::string& caption)
{
    ProgressBar1_->setFormat(Text(caption));
}

void TfrmCDRip::ShowBarPosition(int32_t percent)
{
    ProgressBar1_->setValue(percent);
}

void TfrmCDRip::ShowCompleted(int32_t count)
{
    lCompleted_->setText(QString::number(count));
}

void TfrmCDRip::ShowError(const std::string& message)
{
    QMessageBox::critical(this, "Corvath", Text(message));
}

void TfrmCDRip::ShowDriveFailure(const std::string& message)
{
    ShowError(message);
}

void TfrmCDRip::ShowFailures(const std::vector<FailedTrack>& failures)
{
    QString text =
        failures.size() == 1 ? "This track was not ripped:\n" : "These tracks were not ripped:\n";
    for (const FailedTrack& failure : failures)
        text += "\n" + Text(failure.track.title) + ": " + Text(failure.reason);
    QMessageBox::warning(this, "Corvath", text);
}

void TfrmCDRip::Pause(int ms, std::function<void()> then)
{
    QTimer::singleShot(ms, this, std::move(then));
}

void TfrmCDRip::Close()
{
    accept();
}

} // namespace corvath::ui
