// The main window's controls at their design positions, how they follow the window's size, and
// the window's place and column widths that the settings keep.

#include "tags/cover_picture.h"
#include "tags/genre_names.h"
#include "ui/filling_column.h"
#include "ui/main_window.h"
#include "ui/output_format_list.h"
#include "ui/track_row_delegate.h"
#include "ui/window_placement.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

namespace corvath::ui {

namespace {

constexpr QSize kDesignSize(678, 542);
constexpr int kDesignGroupWidth = 665;
constexpr int kFieldTop = 9;
constexpr int kSecondRowTop = kFieldTop + 28; // genre and comment, under the rest
constexpr int kFieldHeight = 22;
constexpr int kTitleColumn = 1;
constexpr int kMinimumTitleWidth = 120;
constexpr int kCoverSize = 160;
constexpr int kCoverGap = 3;
constexpr int kDiscFieldWidth = 28;
// The columns whose widths the settings keep; the title column fills what they leave.
constexpr std::pair<int, int32_t TMainWindowOptions::*> kStoredColumns[] = {
    {0, &TMainWindowOptions::NumberColumn},
    {2, &TMainWindowOptions::StartColumn},
    {3, &TMainWindowOptions::LengthColumn},
};

// At least the design width, wider when the font needs it: the fields follow their labels.
QLabel* FieldLabel(const char* name, const char* text, int left, int width, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    width = std::max(width, label->fontMetrics().horizontalAdvance(label->text()) + 2);
    label->setGeometry(left, kFieldTop, width, kFieldHeight);
    return label;
}

template <typename Field> Field* NewField(const char* name, int left, int width, QWidget* parent)
{
    auto* field = new Field(parent);
    field->setObjectName(name);
    field->setGeometry(left, kFieldTop, width, kFieldHeight);
    return field;
}

QLineEdit* TextField(const char* name, int left, int width, int maxLength, QWidget* parent)
{
    auto* field = NewField<QLineEdit>(name, left, width, parent);
    field->setMaxLength(maxLength);
    return field;
}

// A disc's number in its set, or the set's size: empty for unknown (0).
QSpinBox* DiscField(const char* name, int left, const char* accessibleName, QWidget* parent)
{
    auto* field = NewField<QSpinBox>(name, left, kDiscFieldWidth, parent);
    field->setRange(0, 99);
    field->setSpecialValueText(" ");
    field->setButtonSymbols(QAbstractSpinBox::NoButtons);
    field->setAlignment(Qt::AlignRight);
    field->setAccessibleName(accessibleName);
    return field;
}

int Right(const QWidget* widget)
{
    return widget->x() + widget->width();
}

void SetLeft(QWidget* widget, int left)
{
    widget->move(left, widget->y());
}

void SetWidth(QWidget* widget, int width)
{
    widget->resize(width, widget->height());
}

} // namespace

void TfrmMain::CreateControls()
{
    auto* client = new QWidget(this);
    client->setObjectName("Client");
    setCentralWidget(client);
    client->installEventFilter(this);

    gbID3_ = new QGroupBox(client);
    gbID3_->setObjectName("gbID3");
    gbID3_->setGeometry(3, 3, kDesignGroupWidth, 68);
    lArtist_ = FieldLabel("lArtist", "Artist:", 5, 27, gbID3_);
    ID3artist_ = TextField("ID3artist", 33, 100, 30, gbID3_);
    lAlbum_ = FieldLabel("lAlbum", "Album:", 139, 33, gbID3_);
    ID3album_ = TextField("ID3album", 173, 100, 30, gbID3_);
    lYear_ = FieldLabel("lYear", "Year:", 285, 28, gbID3_);
    ID3year_ = TextField("ID3year", 314, 42, 4, gbID3_);
    lDisc_ = FieldLabel("lDisc", "Disc:", 364, 27, gbID3_);
    eDiscNumber_ = DiscField("eDiscNumber", 392, "Disc number", gbID3_);
    lDiscOf_ = FieldLabel("lDiscOf", "of", 424, 12, gbID3_);
    lDisc_->setBuddy(eDiscNumber_);
    eDiscTotal_ = DiscField("eDiscTotal", 438, "Discs in the set", gbID3_);
    lGenre_ = FieldLabel("lGenre", "Genre:", 364, 33, gbID3_);
    ID3genre_ = NewField<QComboBox>("ID3genre", 398, 109, gbID3_);
    ID3genre_->addItem(QString());
    for (std::string_view genre : GenreNames)
        ID3genre_->addItem(QString::fromUtf8(genre.data(), static_cast<qsizetype>(genre.size())));
    ID3genre_->setCurrentIndex(-1);
    ID3genre_->setMaxVisibleItems(20);
    lComment_ = FieldLabel("lComment", "Comment:", 509, 47, gbID3_);
    ID3comment_ = TextField("ID3comment", 557, 100, 30, gbID3_);
    for (QWidget* secondRow :
         std::initializer_list<QWidget*>{lGenre_, ID3genre_, lComment_, ID3comment_})
        secondRow->move(secondRow->x(), kSecondRowTop);

    ListView1_ = new QTreeWidget(client);
    ListView1_->setObjectName("ListView1");
    ListView1_->move(0, 76);
    ListView1_->setRootIsDecorated(false);
    ListView1_->setUniformRowHeights(true);
    ListView1_->setAllColumnsShowFocus(true);
    ListView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1_->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1_->setItemDelegate(new TrackRowDelegate(ListView1_));
    ListView1_->setHeaderLabels({"No.", "Title", "Start Time", "Length(min)"});
    for (int column : {2, 3})
        ListView1_->headerItem()->setTextAlignment(column, Qt::AlignCenter);
    ListView1_->header()->setStretchLastSection(false);
    KeepColumnFilling(*ListView1_, kTitleColumn, kMinimumTitleWidth);

    imgCover_ = new QLabel(client);
    imgCover_->setObjectName("imgCover");
    imgCover_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    imgCover_->setToolTip("Cover art");
    imgCover_->setAccessibleName(imgCover_->toolTip());
    imgCover_->hide();

    gbOutputFormat_ = new QGroupBox("Output Format:", client);
    gbOutputFormat_->setObjectName("gbOutputFormat");
    gbOutputFormat_->setGeometry(8, 0, 209, 43);
    cbOutputFormat_ = new QComboBox(gbOutputFormat_);
    cbOutputFormat_->setObjectName("cbOutputFormat");
    cbOutputFormat_->setGeometry(8, 16, 193, 22);
    AddOutputFormats(*cbOutputFormat_);

    gbOutputFolder_ = new QGroupBox("Output Folder:", client);
    gbOutputFolder_->setObjectName("gbOutputFolder");
    gbOutputFolder_->setGeometry(224, 0, 441, 43);
    eOutputDir_ = new QLineEdit(gbOutputFolder_);
    eOutputDir_->setObjectName("eOutputDir");
    eOutputDir_->setReadOnly(true);
    eOutputDir_->setGeometry(8, 16, 395, 22);
    bBrowser_ = new QPushButton("...", gbOutputFolder_);
    bBrowser_->setObjectName("bBrowser");
    bBrowser_->setGeometry(411, 16, 22, 22);
    bBrowser_->setToolTip("Choose the output folder");
    bBrowser_->setAccessibleName(bBrowser_->toolTip());

    status_ = new QLabel(this);
    status_->setObjectName("StatusPanel");
    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(status_, 1);

    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{lArtist_, ID3artist_},
                                {lAlbum_, ID3album_},
                                {lYear_, ID3year_},
                                {lGenre_, ID3genre_},
                                {lComment_, ID3comment_}}) {
        label->setBuddy(field);
        field->setAccessibleName(label->text().chopped(1)); // "Artist:" names "Artist"
    }
    QWidget* const tabOrder[] = {ID3artist_,      ID3album_,   ID3year_,    eDiscNumber_,
                                 eDiscTotal_,     ID3genre_,   ID3comment_, ListView1_,
                                 cbOutputFormat_, eOutputDir_, bBrowser_};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void TfrmMain::ShowCover(const CoverPicture* picture)
{
    QPixmap pixmap;
    if (picture != nullptr &&
        pixmap.loadFromData(reinterpret_cast<const uchar*>(picture->data.data()),
                            static_cast<uint>(picture->data.size())))
        pixmap =
            pixmap.scaled(kCoverSize, kCoverSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    imgCover_->setPixmap(pixmap);
    FormResize(centralWidget()->width(), centralWidget()->height());
}

void TfrmMain::RestorePlacement()
{
    for (auto [column, width] : kStoredColumns)
        ListView1_->setColumnWidth(column, OptionsSetting.MainWindow.*width);
    PlaceWindow(*this, OptionsSetting.MainWindow, kDesignSize);
}

void TfrmMain::StorePlacement()
{
    for (auto [column, width] : kStoredColumns)
        OptionsSetting.MainWindow.*width = ListView1_->columnWidth(column);
    StoreWindowPlace(*this, OptionsSetting.MainWindow);
}

// W and H are the size of the client area between the tool bar and the status bar.
void TfrmMain::FormResize(int width, int height)
{
    gbOutputFormat_->move(gbOutputFormat_->x(), height - gbOutputFormat_->height() - 3);
    gbOutputFolder_->move(gbOutputFolder_->x(), gbOutputFormat_->y());
    const int listHeight = gbOutputFormat_->y() - ListView1_->y() - 3;
    // The cover sits beside the list while the list is tall enough and leaves its titles room.
    const bool coverFits =
        listHeight >= kCoverSize && width - kCoverSize - kCoverGap >= 3 * kMinimumTitleWidth;
    const bool showCover = !imgCover_->pixmap().isNull() && coverFits;
    imgCover_->setVisible(showCover);
    ListView1_->resize(showCover ? width - kCoverSize - kCoverGap : width, listHeight);
    imgCover_->setGeometry(width - kCoverSize, ListView1_->y(), kCoverSize, kCoverSize);

    SetWidth(gbID3_, width - 6);
    const int group = gbID3_->width();
    // First row: artist and album share what the year and the disc's place leave.
    const int yearWidth = group * 45 / kDesignGroupWidth;
    const int fixed = lAlbum_->width() + lYear_->width() + yearWidth + lDisc_->width() +
                      lDiscOf_->width() + 2 * kDiscFieldWidth + 3 * 6 + 3 + 5 * 1 + 5;
    const int texts = std::max(80, group - Right(lArtist_) - fixed);
    SetLeft(ID3artist_, Right(lArtist_) + 1);
    SetWidth(ID3artist_, texts / 2);
    SetLeft(lAlbum_, Right(ID3artist_) + 6);
    SetLeft(ID3album_, Right(lAlbum_) + 1);
    SetWidth(ID3album_, texts - texts / 2);
    SetLeft(lYear_, Right(ID3album_) + 6);
    SetLeft(ID3year_, Right(lYear_) + 1);
    SetWidth(ID3year_, yearWidth);
    SetLeft(lDisc_, Right(ID3year_) + 6);
    SetLeft(eDiscNumber_, Right(lDisc_) + 1);
    SetLeft(lDiscOf_, Right(eDiscNumber_) + 3);
    SetLeft(eDiscTotal_, Right(lDiscOf_) + 1);
    // Second row: the genre, and the comment to the end.
    SetLeft(lGenre_, lArtist_->x());
    SetLeft(ID3genre_, Right(lGenre_) + 1);
    SetWidth(ID3genre_, group * 150 / kDesignGroupWidth);
    SetLeft(lComment_, Right(ID3genre_) + 6);
    SetLeft(ID3comment_, Right(lComment_) + 1);
    SetWidth(ID3comment_, group - ID3comment_->x() - 5);

    SetWidth(gbOutputFolder_, width - gbOutputFolder_->x() - 8);
    SetWidth(eOutputDir_, gbOutputFolder_->width() - eOutputDir_->x() - bBrowser_->width() - 16);
    SetLeft(bBrowser_, Right(eOutputDir_) + 8);
}

} // namespace corvath::ui
