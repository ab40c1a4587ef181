// The windows as a keyboard and a screen reader meet them: every control named, access keys
// that do not clash, and the track list ready for its commands once tabbed into.

#include "main_window_harness.h"
#include "ui/readable_highlight.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <algorithm>
#include <vector>

namespace corvath::ui::test {
namespace {

// Controls inside another (a combo box's line edit, a spin box's) are named through it.
bool IsInner(const QWidget& widget)
{
    const QWidget* parent = widget.parentWidget();
    return qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent);
}

QString Describe(const QWidget& widget)
{
    return widget.objectName().isEmpty() ? widget.metaObject()->className() : widget.objectName();
}

// The visible controls that Tab reaches and a screen reader can give no name.
QStringList UnnamedControls(const QWidget& window)
{
    QStringList unnamed;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || !(widget->focusPolicy() & Qt::TabFocus) || IsInner(*widget))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        const bool named = accessible && !accessible->text(QAccessible::Name).trimmed().isEmpty();
        const bool labelled = accessible && !accessible->relations(QAccessible::Label).isEmpty();
        if (!named && !labelled)
            unnamed << Describe(*widget);
    }
    return unnamed;
}

QChar AccessKey(const QString& text)
{
    const qsizetype at = text.indexOf(QRegularExpression("&[^&]"));
    return at < 0 ? QChar() : text.at(at + 1).toUpper();
}

// What bears an access key, or should: a caption of a control, a button, a group, a tab, a menu.
struct KeyBearer {
    QChar key;
    QString caption;
    bool needsKey; // captions of controls, check boxes and radio buttons
};

std::vector<KeyBearer> AccessKeys(const QWidget& window)
{
    std::vector<KeyBearer> keys;
    const auto add = [&keys](const QString& caption, bool needsKey) {
        keys.push_back({AccessKey(caption), caption, needsKey});
    };
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy())
            add(label->text(), true);
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            // The formats to write besides, a row of short names, go by Tab.
            add(button->text(), button->isCheckable() && !button->text().isEmpty() &&
                                    !widget->objectName().startsWith("ckAlso"));
        else if (const auto* group = qobject_cast<const QGroupBox*>(widget))
            add(group->title(), false);
        else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->tabText(i), false);
        } else if (const auto* menus = qobject_cast<const QMenuBar*>(widget)) {
            for (const QAction* menu : menus->actions())
                add(menu->text(), false);
        }
    }
    return keys;
}

// Captions without a key and keys borne twice, as readable lines.
QStringList AccessKeyProblems(const QWidget& window)
{
    const std::vector<KeyBearer> keys = AccessKeys(window);
    QStringList problems;
    for (const KeyBearer& bearer : keys) {
        const auto sameKey = [&bearer](const KeyBearer& other) { return other.key == bearer.key; };
        if (bearer.key.isNull() && bearer.needsKey)
            problems << "no key: " + bearer.caption;
        else if (!bearer.key.isNull() && std::ranges::count_if(keys, sameKey) > 1)
            problems << QString("%1 twice: %2").arg(bearer.key, bearer.caption);
    }
    return problems;
}

struct Window {
    const char* opener; // the command that opens it; none for the main window
    const char* tabs;   // its tab widget, whose every page is checked
};

class KeyboardAccessTest : public MainWindowTest, public ::testing::WithParamInterface<Window> {};

// Each window, and each page of a window with tabs, passes check.
void ForEachView(TfrmMain& main, const Window& window,
                 const std::function<void(const QWidget&, const QString&)>& check)
{
    const auto checkTabs = [&](QWidget& shown) {
        if (!window.tabs) {
            check(shown, shown.objectName());
            return;
        }
        auto& tabs = Child<QTabWidget>(shown, window.tabs);
        for (int i = 0; i < tabs.count(); ++i) {
            tabs.setCurrentIndex(i);
            Idle();
            check(shown, tabs.tabText(i));
        }
    };
    if (!window.opener) {
        checkTabs(main);
        return;
    }
    WhenModal([&](QWidget& dialog) {
        checkTabs(dialog);
        static_cast<QDialog&>(dialog).reject();
    });
    Child<QAction>(main, window.opener).trigger();
}

TEST_P(KeyboardAccessTest, EveryControlIsNamedAndCaptionsHaveAccessKeysThatDoNotClash)
{
    StoreSettings(AudioImage("disc", {150, 150}));
    const auto main = Start();
    ForEachView(*main, GetParam(), [](const QWidget& view, const QString& page) {
        SCOPED_TRACE(page.toStdString());
        EXPECT_EQ(UnnamedControls(view).join(", ").toStdString(), "");
        EXPECT_EQ(AccessKeyProblems(view).join("; ").toStdString(), "");
    });
    main->close();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, KeyboardAccessTest,
    ::testing::Values(Window{nullptr, nullptr}, Window{"aOptions", "PageControl1"},
                      Window{"aQueryCDDB", nullptr}, Window{"miAbout", nullptr}),
    [](const auto& info) { return std::string(info.param.opener ? info.param.opener : "main"); });

TEST_F(MainWindowTest, TabbingIntoTheTrackListSelectsItsFirstRow)
{
    StoreSettings(AudioImage("three", {150, 150, 150}));
    const auto window = Start();
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    EXPECT_EQ(list.accessibleName(), "Tracks");
    EXPECT_EQ(Child<QLabel>(*window, "lTracks").buddy(), &list);
    Child<QLineEdit>(*window, "ID3comment").setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), &list);
    ASSERT_NE(list.currentItem(), nullptr);
    EXPECT_EQ(list.currentItem(), list.topLevelItem(0));
    EXPECT_TRUE(list.currentItem()->isSelected());
    Idle();
    EXPECT_TRUE(Child<QAction>(*window, "aEditTrackName").isEnabled()) << "Ctrl+F2 acts at once";
    EXPECT_TRUE(Child<QAction>(*window, "aPlay").isEnabled()) << "Ctrl+P acts at once";
    window->close();
}

TEST_F(MainWindowTest, F10OpensTheMenuBar)
{
    StoreSettings(AudioImage("three", {150, 150, 150}));
    const auto window = Start();
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_F10);
    EXPECT_EQ(window->menuBar()->activeAction(), window->menuBar()->actions().value(0));
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    window->close();
}

class ListPopupKeyTest : public MainWindowTest,
                         public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(ListPopupKeyTest, OpensTheListsPopupAtItsCurrentRow)
{
    StoreSettings(AudioImage("three", {150, 150, 150}));
    const auto window = Start();
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    list.setFocus();
    list.setCurrentItem(list.topLevelItem(1));
    const auto [key, modifiers] = GetParam();
    QTest::keyClick(&list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->actions().contains(&Child<QAction>(*window, "aEditTrackName")));
    EXPECT_TRUE(popup->geometry().contains(
        list.viewport()->mapToGlobal(list.visualItemRect(list.topLevelItem(1)).center()) +
        QPoint(1, 1)));
    popup->close();
    window->close();
}

INSTANTIATE_TEST_SUITE_P(Keys, ListPopupKeyTest,
                         ::testing::Values(std::pair{int(Qt::Key_F10), int(Qt::ShiftModifier)},
                                           std::pair{int(Qt::Key_Menu), int(Qt::NoModifier)}));

// Tab reaches the About window's link to the user guide, and Enter on it opens the guide.
TEST_F(MainWindowTest, TheUserGuideLinkTakesTheFocus)
{
    StoreSettings(99);
    const auto window = Start();
    WhenModal([](QWidget& dialog) {
        const auto& link = Child<QLabel>(dialog, "lbEAddress");
        EXPECT_TRUE(link.focusPolicy() & Qt::TabFocus);
        EXPECT_TRUE(link.textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
        static_cast<QDialog&>(dialog).reject();
    });
    Child<QAction>(*window, "miAbout").trigger();
    window->close();
}

TEST_F(MainWindowTest, TheBrowseButtonIsBigEnoughAndSelectedRowsReadWell)
{
    StoreSettings(AudioImage("three", {150, 150, 150}));
    const auto window = Start();
    const auto& browse = Child<QWidget>(*window, "bBrowser");
    EXPECT_GE(browse.width(), 24);
    EXPECT_GE(browse.height(), 24);
    const QPalette& palette = Child<QTreeWidget>(*window, "ListView1").palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        EXPECT_GE(ContrastRatio(palette.color(group, QPalette::Highlight),
                                palette.color(group, QPalette::HighlightedText)),
                  4.5)
            << group;
    window->close();
}

} // namespace
} // namespace corvath::ui::test
