#pragma once

#include <QDialog>

class QAction;
class QLineEdit;

namespace corvath::ui {

/// The dialog in which the user retypes the title of the track numbered track, which it names.
/// The caller fills eName, runs the dialog and takes eName's text when it returns Accepted.
class TfrmEditTrackName : public QDialog {
    Q_OBJECT

public:
    explicit TfrmEditTrackName(int track, QWidget* parent = nullptr);

    QLineEdit* eName() const { return eName_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* eName_;
    QAction* aOK_;
};

} // namespace corvath::ui
