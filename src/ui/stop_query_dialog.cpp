#include "ui/stop_query_dialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvath::ui {

namespace {

const char* const kNoMatch = "No match found,perhaps:\n"
                             "1.No information in CDDB server\n"
                             "2.error CDDB options\n"
                             "3.check the network";

} // namespace

TfrmStopQuery::TfrmStopQuery(QWidget* parent, const CddbServer& server, uint8_t firstTrack,
                             uint8_t lastTrack, int32_t cdHandle, CddbEntryTarget& entry)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), server_(server),
      firstTrack_(firstTrack), lastTrack_(lastTrack), cdHandle_(cdHandle), entry_(entry),
      lHint_(new QLabel("Query CDDB, please waiting...", this)), Panel1_(new QFrame(this)),
      panelText_(new QLabel(Panel1_)), bStop_(new QPushButton("Stop", this)),
      messages_([this](uint32_t message, intptr_t wParam, intptr_t, MessagePayload* payload) {
          if (message == kMsgCddbQuery)
              Handle(wParam, payload);
      })
{
    setObjectName("frmStopQuery");
    setWindowTitle("Query CDDB...");
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
    worker_.reset();
}

void TfrmStopQuery::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!worker_)
        worker_.emplace(server_, firstTrack_, lastTrack_, cdHandle_, messages_, entry_);
}

// Stop, Close and Escape: a lookup still running makes no further change.
void TfrmStopQuery::reject()
{
    if (worker_)
        worker_->Abandon();
    QDialog::reject();
}

void TfrmStopQuery::Handle(intptr_t wParam, const MessagePayload* payload)
{
    if (wParam == kCddbFinished) {
        accept();
    } else if (wParam == kCddbNoMatch) {
        ShowPanel(kNoMatch);
    } else if (wParam == kCddbFailed) {
        const auto* failure = dynamic_cast<const CddbFailure*>(payload);
        ShowPanel("The query failed:\n" +
                  QString::fromStdString(failure ? failure->reason : std::string()));
    }
}

void TfrmStopQuery::ShowPanel(const QString& text)
{
    lHint_->hide();
    panelText_->setText(text);
    Panel1_->show();
    bStop_->setText("Close");
    adjustSize();
}

} // namespace corvath::ui
