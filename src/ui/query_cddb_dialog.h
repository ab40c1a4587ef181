#pragma once

#include "app/options_setting.h"
#include "lookup/cddb_entry_target.h"

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace corvath::ui {

/// The dialog that sets where a disc is looked up (CDDB server, its script, a proxy) and starts
/// the lookup; it closes once the lookup has filled in the disc. Its controls carry their names
/// as object names.
class TfrmQueryCDDB : public QDialog {
    Q_OBJECT

public:
    /// The CDDB servers offered; the first is the default.
    static const QStringList& Servers();

    /// Looks up the disc in the drive of cdHandle, tracks firstTrack to lastTrack, with the
    /// query settings of settings (which Query changes); entry receives what is found. Both
    /// must outlive the dialog.
    TfrmQueryCDDB(QWidget* parent, TQueryCDDB& settings, uint8_t firstTrack, uint8_t lastTrack,
                  int32_t cdHandle, CddbEntryTarget& entry);

private:
    void ShowSettings();
    void SetDefaults();
    void Query();
    void ProxyClicked();

    TQueryCDDB& settings_;
    const uint8_t firstTrack_;
    const uint8_t lastTrack_;
    const int32_t cdHandle_;
    CddbEntryTarget& entry_;
    QComboBox* cbServer_;
    QLineEdit* eScript_;
    QCheckBox* cbProxy_;
    QLineEdit* eAddress_;
    QLineEdit* ePort_;
    QLineEdit* eEmail_;
};

} // namespace corvath::ui
