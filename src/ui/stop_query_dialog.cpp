#include "ui/stop_query_dialog.h"

#include <QAccessible>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvath::ui {

TfrmStopQuery::TfrmStopQuery(QWidget* parent, const QString& service)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      service_(service),
      lHint_(new QLabel(QString("Query %1, please waiting...").arg(service), this)),
      Panel1_(new QFrame(this)), panelText_(new QLabel(Panel1_)),
      bStop_(new QPushButton("Stop", this)),
      messages_([this](uint32_t message, intptr_t wParam, intptr_t, MessagePayload* payload) {
          Handle(message, wParam, payload);
      })
{
    setObjectName("frmStopQuery");
    setWindowTitle(QString("Query %1...").arg(service));
    setMinimumWidth(300);
    lHint_->setObjectName("lHint");
    Panel1_->setObjectName("Panel1");
    Panel1_->setFrameShape(QFrame::StyledPanel);
    panelText_->setObjectName("lPanelText");
    panelText_->setWordWrap(true);
    panelText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* panelLayout = new QVBoxLayout(Panel1_);
    panelLayout->addWidget(panelText_);
    Panel1_->hide();
    bStop_->setObjectName("bStop");
    connect(bStop_, &QPushButton::clicked, this, &TfrmStopQuery::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bStop_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lHint_);
    layout->addWidget(Panel1_);
    layout->addLayout(buttons);
    bStop_->setFocus();
}

// The lookup is abandoned before the window that receives its messages goes.
TfrmStopQuery::~TfrmStopQuery()
{
    messages_.Close();
    lookup_.reset();
}

void TfrmStopQuery::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!lookup_)
        lookup_ = StartLookup(messages_);
}

// Stop, Close and Escape: a lookup still running makes no further change.
void TfrmStopQuery::reject()
{
    if (lookup_)
        lookup_->Abandon();
    QDialog::reject();
}

void TfrmStopQuery::ShowNoMatch()
{
    ShowPanel(QString("No match found,perhaps:\n"
                      "1.No information in %1 server\n"
                      "2.error %1 options\n"
                      "3.check the network")
                  .arg(service_));
}

void TfrmStopQuery::ShowFailure(const std::string& reason)
{
    ShowPanel("The query failed:\n" + QString::fromStdString(reason));
}

void TfrmStopQuery::ShowPanel(const QString& text)
{
    lHint_->hide();
    panelText_->setText(text);
    Panel1_->show();
    bStop_->setText("Close");
    adjustSize();
    // Only an unfocused label changed: screen readers hear of it as an alert.
    QAccessibleEvent alert(panelText_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace corvath::ui
