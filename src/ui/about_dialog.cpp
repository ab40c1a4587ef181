#include "ui/about_dialog.h"

#include "ui/program_icon.h"
#include "ui/user_guide.h"

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
    setFixedSize(360, 249);

    auto* banner = new QLabel(this);
    banner->setGeometry(0, 0, 360, 50);
    banner->setPixmap(Banner(banner->size()));

    auto* icon = new QLabel(this);
    icon->setGeometry(20, 58, 32, 32);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));

    auto* name = new QLabel("Corvath", this);
    name->setObjectName("lProductName");
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setGeometry(64, 58, 280, 20);

    auto* version = new QLabel(QString("Version %1").arg(CORVATH_VERSION), this);
    version->setObjectName("lVersion");
    version->setGeometry(64, 80, 280, 20);

    auto* description = new QLabel("Rips audio CDs and converts audio files.", this);
    description->setGeometry(64, 104, 280, 20);

    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(12, 140, 336, 4);

    auto* lbEAddress = new QLabel("<a href=\"guide\" style=\"color: blue\">User guide</a>", this);
    lbEAddress->setObjectName("lbEAddress");
    lbEAddress->setGeometry(20, 156, 200, 20);
    lbEAddress->setCursor(Qt::PointingHandCursor);
    connect(lbEAddress, &QLabel::linkActivated, this, [this] { OpenUserGuide(this); });

    auto* bOK = new QPushButton("OK", this);
    bOK->setObjectName("bOK");
    bOK->setGeometry(268, 209, 80, 28);
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace corvath::ui
