#include "ui/edit_track_name_dialog.h"

#include <QAction>
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
    setFixedSize(330, 138);

    auto* group = new QGroupBox("Please enter the new track title", this);
    group->setGeometry(12, 10, 306, 64);
    eName_ = new QLineEdit(group);
    eName_->setObjectName("eName");
    eName_->setGeometry(17, 26, 272, 24);
    const QString trackName = QString("Track %1").arg(track);
    eName_->setAccessibleName(trackName + " title");
    auto* lTrack = new QLabel(trackName, this);
    lTrack->setObjectName("lTrack");
    lTrack->setGeometry(12, 92, 130, 28);

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
    bOK->setGeometry(150, 92, 80, 28);
    auto* bCancel = new QPushButton("&Cancel", this);
    bCancel->setObjectName("bCancel");
    bCancel->setGeometry(238, 92, 80, 28);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Enter belongs to the title field, which runs OK only when it may.
    for (QPushButton* button : {bOK, bCancel})
        button->setAutoDefault(false);
}

void TfrmEditTrackName::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    aOK_->setEnabled(!eName_->text().isEmpty());
    eName_->selectAll();
    eName_->setFocus();
}

} // namespace corvath::ui
