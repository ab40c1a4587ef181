#include "ui/edit_track_name_dialog.h"

#include <QAction>
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvath::ui {

namespace {

// A push button that runs an action: its caption and enabled state follow the action's.
QPushButton* ActionButton(QAction* action, QWidget* parent)
{
    auto* button = new QPushButton(action->text(), parent);
    button->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::changed, button,
                     [button, action] { button->setEnabled(action->isEnabled()); });
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    return button;
}

} // namespace

TfrmEditTrackName::TfrmEditTrackName(int track, QWidget* parent) : QDialog(parent)
{
    setObjectName("frmEditTrackName");
    setWindowTitle("Edit Track's Title");
    setMinimumWidth(330);

    auto* group = new QGroupBox("Please enter the new track title", this);
    eName_ = new QLineEdit(group);
    eName_->setObjectName("eName");
    eName_->setMinimumWidth(272);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(eName_);
    const QString trackName = QString("Track %1").arg(track);
    eName_->setAccessibleName(trackName + " title");
    auto* lTrack = new QLabel(trackName, this);
    lTrack->setObjectName("lTrack");

    aOK_ = new QAction("&OK", this);
    aOK_->setObjectName("aOK");
    connect(aOK_, &QAction::triggered, this, &QDialog::accept);
    // Only a title that is not empty can be taken.
    connect(eName_, &QLineEdit::textChanged, this,
            [this](const QString& text) { aOK_->setEnabled(!text.isEmpty()); });
    connect(eName_, &QLineEdit::returnPressed, this, [this] {
        if (aOK_->isEnabled())
            aOK_->trigger();
    });

    QPushButton* bOK = ActionButton(aOK_, this);
    bOK->setObjectName("bOK");
    auto* bCancel = new QPushButton("&Cancel", this);
    bCancel->setObjectName("bCancel");
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Enter belongs to the title field, which runs OK only when it may.
    for (QPushButton* button : {bOK, bCancel}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(80);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lTrack);
    buttons->addStretch();
    buttons->addWidget(bOK);
    buttons->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmEditTrackName::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    aOK_->setEnabled(!eName_->text().isEmpty());
    eName_->selectAll();
    eName_->setFocus();
}

} // namespace corvath::ui
