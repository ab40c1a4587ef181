#pragma once

#include <QDialog>

class QAction;
class QLineEdit;

namespace corvath::ui {

/// The dialog in which the user retypes a track's title. The caller fills eName, runs the
/// dialog and takes eName's text when it returns Accepted.
class TfrmEditTrackName : public QDialog {
    Q_OBJECT

public:
    explicit TfrmEditTrackName(QWidget* parent = nullptr);

    QLineEdit* eName() const { return eName_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* eName_;
    QAction* aOK_;
};

} // namespace corvath::ui
