#pragma once

#include <QDialog>

namespace corvath::ui {

/// The about box: the product's name and version and a link to the user guide.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

} // namespace corvath::ui
