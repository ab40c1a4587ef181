#include "ui/about_dialog.h"

#include "ui/program_icon.h"
#include "ui/user_guide.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace corvath::ui {

namespace {

QPixmap Banner(QSize size)
{
    QPixmap banner(size);
    QPainter painter(&banner);
    QLinearGradient gradient(0, 0, size.width(), 0);
    gradient.setColorAt(0, QColor(0x1f, 0x3a, 0x5f));
    gradient.setColorAt(1, QColor(0x4a, 0x7d, 0xb8));
    painter.fillRect(banner.rect(), gradient);
    QFont font = painter.font();
    font.setPointSize(16);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(banner.rect().adjusted(16, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     "Corvath");
    return banner;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmAbout");
    setWindowTitle("About Corvath");
    setMinimumSize(360, 249);

    auto* banner = new QLabel(this);
    banner->setFixedHeight(50);
    banner->setMinimumWidth(360);
    banner->setPixmap(Banner(QSize(360, 50)));
    banner->setScaledContents(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel("Corvath", this);
    name->setObjectName("lProductName");
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* version = new QLabel(QString("Version %1").arg(CORVATH_VERSION), this);
    version->setObjectName("lVersion");
    auto* description = new QLabel("Rips audio CDs and converts audio files.", this);
    description->setWordWrap(true);

    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    auto* lbEAddress = new QLabel("<a href=\"guide\" style=\"color: blue\">User guide</a>", this);
    lbEAddress->setObjectName("lbEAddress");
    lbEAddress->setCursor(Qt::PointingHandCursor);
    // Tab reaches the link and Enter opens it.
    lbEAddress->setTextInteractionFlags(Qt::TextBrowserInteraction);
    lbEAddress->setFocusPolicy(Qt::StrongFocus);
    connect(lbEAddress, &QLabel::linkActivated, this, [this] { OpenUserGuide(this); });

    auto* bOK = new QPushButton("OK", this);
    bOK->setObjectName("bOK");
    bOK->setMinimumWidth(80);
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    for (QLabel* text : {name, version, description})
        texts->addWidget(text);
    auto* product = new QHBoxLayout;
    product->addWidget(icon);
    product->addLayout(texts, 1);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(bOK);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(20, 8, 12, 12);
    body->addLayout(product);
    body->addWidget(line);
    body->addWidget(lbEAddress);
    body->addStretch();
    body->addLayout(okRow);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(banner);
    layout->addLayout(body);
}

} // namespace corvath::ui
