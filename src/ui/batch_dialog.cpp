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

void BatchDialog::LayOut(std::initializer_list<std::pair<const char*, QLabel*>> facts)
{
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto& [caption, value] : facts)
        form->addRow(caption, value);
    auto* bStop = new QPushButton("Stop", this);
    bStop->setObjectName("bStop");
    connect(bStop, &QPushButton::clicked, this, &BatchDialog::Stop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bStop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(lProgressHint_);
    layout->addWidget(ProgressBar1_);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    bStop->setFocus();
}

void BatchDialog::Stop()
{
    StopBatch();
    accept();
}

void BatchDialog::closeEvent(QCloseEvent* event)
{
    StopBatch();
    QDialog::closeEvent(event);
}

// Escape stops the batch as the Stop button does.
void BatchDialog::reject()
{
    StopBatch();
    QDialog::reject();
}

} // namespace corvath::ui
