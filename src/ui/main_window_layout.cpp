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
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <utility>
#include <vector>

namespace corvath::ui {

namespace {

constexpr QSize kDesignSize(678, 542);
constexpr int kDesignGroupWidth = 665;
constexpr int kFieldTop = 9;
constexpr int kFieldHeight = 22;
constexpr int kRowGap = 6;
constexpr int kCellGap = 6;     // between one field and the next one's label
constexpr int kFieldChars = 30; // what a disc field shows whole
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

// The width in which a text field shows count average characters of its font whole.
int WidthForCharacters(const QWidget& field, int count)
{
    const int frame = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &field);
    return field.fontMetrics().averageCharWidth() * count + 2 * frame + 6;
}

// A label and its fields side by side; the one that grows takes the room its row has to spare.
struct FieldCell {
    std::vector<QWidget*> widgets; // left to right, a pixel or three apart
    QWidget* growing;              // or none
    int growingMinimum;
};

int MinimumWidth(const FieldCell& cell)
{
    int width = 0;
    for (const QWidget* widget : cell.widgets)
        width += (widget == cell.growing ? cell.growingMinimum : widget->width()) + 1;
    return width - 1;
}

// Places the cells in rows from the top of their group, as many in a row as fit in width;
// returns the rows' bottom.
int FlowCells(const std::vector<FieldCell>& cells, int left, int width, int rowHeight)
{
    int top = kFieldTop;
    for (std::size_t first = 0; first < cells.size();) {
        std::size_t end = first;
        int used = 0;
        int growing = 0;
        do {
            used += (end == first ? 0 : kCellGap) + MinimumWidth(cells[end]);
            growing += cells[end].growing ? 1 : 0;
            ++end;
        } while (end < cells.size() && used + kCellGap + MinimumWidth(cells[end]) <= width);
        int spare = width - used;
        int x = left;
        for (std::size_t i = first; i < end; ++i) {
            for (QWidget* widget : cells[i].widgets) {
                int w = widget->width();
                if (widget == cells[i].growing) {
                    const int share = spare / growing--;
                    spare -= share;
                    w = std::max(cells[i].growingMinimum / 3, cells[i].growingMinimum + share);
                }
                widget->setGeometry(x, top, w, rowHeight);
                x += w + 1;
            }
            x += kCellGap - 1;
        }
        top += rowHeight + kRowGap;
        first = end;
    }
    return top - kRowGap;
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
    lArtist_ = FieldLabel("lArtist", "&Artist:", 5, 27, gbID3_);
    ID3artist_ = TextField("ID3artist", 33, 100, 30, gbID3_);
    lAlbum_ = FieldLabel("lAlbum", "A&lbum:", 139, 33, gbID3_);
    ID3album_ = TextField("ID3album", 173, 100, 30, gbID3_);
    lYear_ = FieldLabel("lYear", "&Year:", 285, 28, gbID3_);
    ID3year_ = TextField("ID3year", 314, 42, 4, gbID3_);
    lDisc_ = FieldLabel("lDisc", "&Disc:", 364, 27, gbID3_);
    eDiscNumber_ = DiscField("eDiscNumber", 392, "Disc number", gbID3_);
    lDiscOf_ = FieldLabel("lDiscOf", "of", 424, 12, gbID3_);
    lDisc_->setBuddy(eDiscNumber_);
    eDiscTotal_ = DiscField("eDiscTotal", 438, "Discs in the set", gbID3_);
    lGenre_ = FieldLabel("lGenre", "&Genre:", 364, 33, gbID3_);
    ID3genre_ = NewField<QComboBox>("ID3genre", 398, 109, gbID3_);
    ID3genre_->addItem(QString());
    for (std::string_view genre : GenreNames)
        ID3genre_->addItem(QString::fromUtf8(genre.data(), static_cast<qsizetype>(genre.size())));
    ID3genre_->setCurrentIndex(-1);
    ID3genre_->setMaxVisibleItems(20);
    lComment_ = FieldLabel("lComment", "&Comment:", 509, 47, gbID3_);
    ID3comment_ = TextField("ID3comment", 557, 100, 30, gbID3_);

    lTracks_ = new QLabel("Trac&ks:", client);
    lTracks_->setObjectName("lTracks");
    ListView1_ = new QTreeWidget(client);
    ListView1_->setObjectName("ListView1");
    ListView1_->setAccessibleName("Tracks");
    lTracks_->setBuddy(ListView1_);
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

    // The menus take Alt+F, E, T and H.
    gbOutputFormat_ = new QGroupBox("Output For&mat:", client);
    gbOutputFormat_->setObjectName("gbOutputFormat");
    gbOutputFormat_->setGeometry(8, 0, 209, 43);
    cbOutputFormat_ = new QComboBox(gbOutputFormat_);
    cbOutputFormat_->setObjectName("cbOutputFormat");
    cbOutputFormat_->setGeometry(8, 16, 193, 22);
    cbOutputFormat_->setAccessibleName("Output format");
    AddOutputFormats(*cbOutputFormat_);

    gbOutputFolder_ = new QGroupBox("&Output Folder:", client);
    gbOutputFolder_->setObjectName("gbOutputFolder");
    gbOutputFolder_->setGeometry(224, 0, 441, 43);
    eOutputDir_ = new QLineEdit(gbOutputFolder_);
    eOutputDir_->setObjectName("eOutputDir");
    eOutputDir_->setReadOnly(true);
    eOutputDir_->setAccessibleName("Output folder");
    eOutputDir_->setGeometry(8, 16, 395, 22);
    bBrowser_ = new QPushButton("...", gbOutputFolder_);
    bBrowser_->setObjectName("bBrowser");
    bBrowser_->setGeometry(411, 15, 24, 24); // big enough to hit
    bBrowser_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_B));
    bBrowser_->setToolTip("Choose the output folder (Alt+B)");
    bBrowser_->setAccessibleName("Choose the output folder");

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
        field->setAccessibleName(QString(label->text()).remove('&').chopped(1)); // "Artist"
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

// The disc fields in as many rows as the width needs, each showing 30 characters whole, and the
// track list's caption under them.
void TfrmMain::PlaceDiscFields(int width)
{
    SetWidth(gbID3_, width - 6);
    const int rowHeight = std::max(kFieldHeight, ID3genre_->sizeHint().height());
    const int textWidth = WidthForCharacters(*ID3album_, kFieldChars);
    SetWidth(ID3year_, WidthForCharacters(*ID3year_, 5));
    for (QSpinBox* disc : {eDiscNumber_, eDiscTotal_})
        SetWidth(disc, WidthForCharacters(*disc, 3));
    const int arrow = ID3genre_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    const std::vector<FieldCell> cells = {
        {{lArtist_, ID3artist_}, ID3artist_, textWidth},
        {{lAlbum_, ID3album_}, ID3album_, textWidth},
        {{lYear_, ID3year_}, nullptr, 0},
        {{lDisc_, eDiscNumber_, lDiscOf_, eDiscTotal_}, nullptr, 0},
        {{lGenre_, ID3genre_}, ID3genre_, textWidth + arrow},
        {{lComment_, ID3comment_}, ID3comment_, textWidth},
    };
    const int fieldsBottom = FlowCells(cells, lArtist_->x(), gbID3_->width() - 10, rowHeight);
    gbID3_->resize(gbID3_->width(), fieldsBottom + kFieldTop);
    lTracks_->setGeometry(3, gbID3_->y() + gbID3_->height() + 2, width - 6,
                          lTracks_->sizeHint().height());
    ListView1_->move(0, lTracks_->y() + lTracks_->height() + 1);
}

// W and H are the size of the client area between the tool bar and the status bar.
void TfrmMain::FormResize(int width, int height)
{
    gbOutputFormat_->move(gbOutputFormat_->x(), height - gbOutputFormat_->height() - 3);
    gbOutputFolder_->move(gbOutputFolder_->x(), gbOutputFormat_->y());
    PlaceDiscFields(width);
    const int listHeight = gbOutputFormat_->y() - ListView1_->y() - 3;
    // The cover sits beside the list while the list is tall enough and leaves its titles room.
    const bool coverFits =
        listHeight >= kCoverSize && width - kCoverSize - kCoverGap >= 3 * kMinimumTitleWidth;
    const bool showCover = !imgCover_->pixmap().isNull() && coverFits;
    imgCover_->setVisible(showCover);
    ListView1_->resize(showCover ? width - kCoverSize - kCoverGap : width, listHeight);
    imgCover_->setGeometry(width - kCoverSize, ListView1_->y(), kCoverSize, kCoverSize);

    SetWidth(gbOutputFolder_, width - gbOutputFolder_->x() - 8);
    SetWidth(eOutputDir_, gbOutputFolder_->width() - eOutputDir_->x() - bBrowser_->width() - 16);
    SetLeft(bBrowser_, Right(eOutputDir_) + 8);
}

} // namespace corvath::ui
