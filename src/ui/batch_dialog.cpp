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
}

bool BatchDialog::StopAndClose()
{
    if (!stopping_ && StopBatch())
        return true;
    stopping_ = true;
    bStop_->setEnabled(false);
    lProgressHint_->setText("Stopping...");
    ProgressBar1_->setFormat("Stopping...");
    return false;
}

void BatchDialog::Stop()
{
    if (StopAndClose())
        accept();
}

void BatchDialog::closeEvent(QCloseEvent* event)
{
    if (StopAndClose())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

// Escape stops the batch as the Stop button does.
void BatchDialog::reject()
{
    if (StopAndClose())
        QDialog::reject();
}

} // namespace corvath::ui
