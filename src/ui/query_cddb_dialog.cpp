#include "ui/query_cddb_dialog.h"

#include "app/cddb_server_setting.h"
#include "lookup/cddb_options.h"
#include "ui/stop_cddb_query_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cstddef>

namespace corvath::ui {

namespace {

constexpr const char* kDefaultScript = "/~cddb/cddb.cgi";

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

const QStringList& TfrmQueryCDDB::Servers()
{
    static const QStringList servers = {
        "gnudb.gnudb.org",        "gnudb.org",     "www.gnudb.org", "freedb.freedb.org",
        "freedb.musicbrainz.org", "us.freedb.org", "ca.freedb.org", "de.freedb.org",
        "at.freedb.org",          "uk.freedb.org", "ru.freedb.org", "jp.freedb.org",
    };
    return servers;
}

TfrmQueryCDDB::TfrmQueryCDDB(QWidget* parent, TQueryCDDB& settings, uint8_t firstTrack,
                             uint8_t lastTrack, int32_t cdHandle, CddbEntryTarget& entry)
    : QDialog(parent), settings_(settings), firstTrack_(firstTrack), lastTrack_(lastTrack),
      cdHandle_(cdHandle), entry_(entry), cbServer_(Named(new QComboBox(this), "cbServer")),
      eScript_(Named(new QLineEdit(this), "eScript")),
      cbProxy_(Named(new QCheckBox("&Use a proxy server", this), "cbProxy")),
      eAddress_(Named(new QLineEdit(this), "eAddress")),
      ePort_(Named(new QLineEdit(this), "ePort")), eEmail_(Named(new QLineEdit(this), "eEmail"))
{
    setObjectName("frmQueryCDDB");
    setWindowTitle("Query CDDB");
    cbServer_->setEditable(true);
    cbServer_->addItems(Servers());
    cbServer_->setMinimumContentsLength(24);
    // Enter in the list presses Query without making what was typed an item.
    cbServer_->setInsertPolicy(QComboBox::NoInsert);

    auto* server = new QGroupBox("Server", this);
    auto* serverForm = new QFormLayout(server);
    serverForm->addRow("&Server:", cbServer_);
    serverForm->addRow("&Query Script:", eScript_);
    // Servers such as gnudb ask for a real address; none is sent unless the user gives one.
    eEmail_->setPlaceholderText(kCddbGreetingEmail);
    eEmail_->setToolTip("Sent to the server with each query");
    serverForm->addRow("&E-mail:", eEmail_);
    auto* proxy = new QGroupBox("Proxy server", this);
    auto* proxyForm = new QFormLayout(proxy);
    proxyForm->addRow(cbProxy_);
    proxyForm->addRow("&Address:", eAddress_);
    proxyForm->addRow("&Port:", ePort_);

    auto* bQuery = Named(new QPushButton("Query", this), "bQuery");
    auto* bClose = Named(new QPushButton("Close", this), "bClose");
    auto* bDefault = Named(new QPushButton("Default", this), "bDefault");
    bQuery->setDefault(true);
    connect(bQuery, &QPushButton::clicked, this, &TfrmQueryCDDB::Query);
    connect(bClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(bDefault, &QPushButton::clicked, this, &TfrmQueryCDDB::SetDefaults);
    connect(cbProxy_, &QCheckBox::clicked, this, &TfrmQueryCDDB::ProxyClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bDefault);
    buttons->addStretch();
    buttons->addWidget(bQuery);
    buttons->addWidget(bClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(server);
    layout->addWidget(proxy);
    layout->addLayout(buttons);

    // The fields were made in another order than they stand in.
    const std::array<QWidget*, 9> laidOut = {cbServer_, eScript_, eEmail_, cbProxy_, eAddress_,
                                             ePort_,    bDefault, bQuery,  bClose};
    for (std::size_t i = 1; i < laidOut.size(); ++i)
        setTabOrder(laidOut[i - 1], laidOut[i]);
    ShowSettings();
}

void TfrmQueryCDDB::ShowSettings()
{
    // A server typed earlier is no item, yet the next Query must go to it.
    const auto stored = static_cast<int>(Servers().indexOf(Text(settings_.Server)));
    cbServer_->setCurrentIndex(std::max(0, stored));
    if (stored < 0 && !settings_.Server.empty())
        cbServer_->setEditText(Text(settings_.Server));
    eScript_->setText(Text(settings_.Script));
    cbProxy_->setChecked(settings_.UseProxy);
    eAddress_->setText(Text(settings_.ProxyAddress));
    ePort_->setText(Text(settings_.Port));
    eEmail_->setText(Text(settings_.Email));
    ProxyClicked();
}

void TfrmQueryCDDB::ProxyClicked()
{
    eAddress_->setEnabled(cbProxy_->isChecked());
    ePort_->setEnabled(cbProxy_->isChecked());
}

void TfrmQueryCDDB::SetDefaults()
{
    cbServer_->setCurrentIndex(0);
    eScript_->setText(kDefaultScript);
    eEmail_->clear();
    cbProxy_->setChecked(false);
    ProxyClicked();
}

void TfrmQueryCDDB::Query()
{
    settings_.Server = cbServer_->currentText().toStdString();
    settings_.Script = eScript_->text().toStdString();
    settings_.UseProxy = cbProxy_->isChecked();
    settings_.ProxyAddress = eAddress_->text().toStdString();
    settings_.Port = ePort_->text().toStdString();
    settings_.Email = eEmail_->text().trimmed().toStdString();
    TfrmStopCddbQuery wait(this, CddbServerOf(settings_), firstTrack_, lastTrack_, cdHandle_,
                           entry_);
    if (wait.exec() == QDialog::Accepted)
        accept();
}

} // namespace corvath::ui
