#include "ui/batch_dialog.h"

#include "ui/progress_dialog_parts.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvath::ui {

BatchDialog::BatchDialog(QWidget* parent, const char* name)
    : QDialog(parent), lProgressHint_(new QLabel(this)), ProgressBar1_(CaptionedProgressBar(this))
{
    setObjectName(name);
    setWindowTitle("Corvath");
    lProgressHint_->setObjectName("lProgressHint");
}

QFormLayout* BatchDialog::LayOut(std::initializer_list<std::pair<const char*, QLabel*>> facts)
{
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto& [caption, value] : facts) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(value); // a screen reader reads "Current track: Track02"
        form->addRow(label, value);
    }
    bStop_ = new QPushButton("Stop", this);
    bStop_->setObjectName("bStop");
    connect(bStop_, &QPushButton::clicked, this, &BatchDialog::Stop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bStop_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(lProgressHint_);
    layout->addWidget(ProgressBar1_);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    bStop_->setFocus();
    return form;
}

void BatchDialog::ShowInPlaceOfProgress(QWidget* widget)
{
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->hide();
    layout()->addWidget(widget);
    widget->show();
    showingResults_ = true;
}

void BatchDialog::BatchOver()
{
    if (showingResults_)
        return;
    if (stopping_ && afterStop_ == AfterStop::kShowWhatWasDone && ShowStopped())
        return;
    accept();
}

bool BatchDialog::StopAndClose(AfterStop after)
{
    if (showingResults_)
        return true;
    afterStop_ = after; // closing the window while it stops takes back a Stop's wish to see
    if (stopping_)
        return false;
    if (StopBatch())
        return after == AfterStop::kClose || !ShowStopped();
    stopping_ = true;
    bStop_->setEnabled(false);
    lProgressHint_->setText("Stopping...");
    ProgressBar1_->setFormat("Stopping...");
    return false;
}

void BatchDialog::Stop()
{
    if (StopAndClose(AfterStop::kShowWhatWasDone))
        accept();
}

void BatchDialog::closeEvent(QCloseEvent* event)
{
    if (StopAndClose(AfterStop::kClose))
        QDialog::closeEvent(event);
    else
        event->ignore();
}

// Escape stops the batch as the Stop button does.
void BatchDialog::reject()
{
    if (StopAndClose(AfterStop::kShowWhatWasDone))
        QDialog::reject();
}

} // namespace corvath::ui
