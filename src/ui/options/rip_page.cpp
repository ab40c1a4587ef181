#include "ui/options/rip_page.h"

#include "ui/options/page_widgets.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>

namespace corvath::ui {

RipPage::RipPage()
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

    ckCloseWhenDone_ = Named(new QCheckBox("Close the rip &window when done"), "ckCloseWhenDone");
    ckCloseWhenDone_->setToolTip("A rip in which a track failed still shows its results.");
    auto* ending = new QVBoxLayout;
    ending->addWidget(ckCloseWhenDone_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group("Reading", reading));
    layout->addWidget(Group("Verification", verifying));
    layout->addWidget(Group("Beside the ripped files", reports));
    layout->addWidget(Group("At the end", ending));
    layout->addStretch();
}

void RipPage::Load(const TOptionsSetting& settings)
{
    const TRipOptions& rip = settings.RipOptions;
    seReadOffset_->setValue(rip.ReadOffset);
    ckSecureReads_->setChecked(rip.SecureReads);
    ckVerifyAccurateRip_->setChecked(rip.VerifyAccurateRip);
    editAccurateRipServer_->setText(QString::fromStdString(rip.AccurateRipServer));
    editAccurateRipServer_->setEnabled(rip.VerifyAccurateRip);
    ckWriteLog_->setChecked(rip.WriteLog);
    ckWriteCueSheet_->setChecked(rip.WriteCueSheet);
    ckCloseWhenDone_->setChecked(rip.CloseWhenDone);
}

bool RipPage::Store(TOptionsSetting& settings)
{
    TRipOptions& rip = settings.RipOptions;
    rip.ReadOffset = seReadOffset_->value();
    rip.SecureReads = ckSecureReads_->isChecked();
    rip.VerifyAccurateRip = ckVerifyAccurateRip_->isChecked();
    rip.AccurateRipServer = editAccurateRipServer_->text().trimmed().toStdString();
    rip.WriteLog = ckWriteLog_->isChecked();
    rip.WriteCueSheet = ckWriteCueSheet_->isChecked();
    rip.CloseWhenDone = ckCloseWhenDone_->isChecked();
    return true;
}

} // namespace corvath::ui
