// Checks the two forms through their generated ui classes: every control's
// kind, caption, initial state and container, the menu tree, the tabs of the
// options panel, the independence of the option groups, the keyboard
// accelerators, and the printer dialog's positions and tab order.
#include "ui_frmselectprinter.h"
#include "ui_frmsimplechart.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

// The text a control shows: caption, title, or the text in its edit field.
QString captionOf(const QWidget* w)
{
    if (auto b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto t = qobject_cast<const QTextEdit*>(w))
        return t->toPlainText();
    return QString();
}

// -1 for controls that cannot be checked, else 0 or 1.
int checkStateOf(const QWidget* w)
{
    auto b = qobject_cast<const QAbstractButton*>(w);
    if (!b || !b->isCheckable())
        return -1;
    return b->isChecked() ? 1 : 0;
}

// A twips measure as the nearest whole pixel at 15 twips to the pixel.
int px(int twips)
{
    return qRound(twips / 15.0);
}

struct ControlRow {
    const char* name;
    const char* kind;
    const char* text;
    bool shown;   // visible when its tab (or the form) is shown
    int checked;  // -1: not checkable
    const char* parent;
};

void addControlRows(const std::initializer_list<ControlRow>& rows)
{
    for (const ControlRow& r : rows) {
        QTest::newRow(r.name) << QString::fromLatin1(r.name) << QString::fromLatin1(r.kind)
                              << QString::fromLatin1(r.text) << r.shown << r.checked
                              << QString::fromLatin1(r.parent);
    }
}

void addControlColumns()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("checked");
    QTest::addColumn<QString>("parent");
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void tabs();
    void menuTree_data();
    void menuTree();
    void radioGroupsIndependent_data();
    void radioGroupsIndependent();
    void spacingFrameHidesOption();
    void listSelection_data();
    void listSelection();
    void typingAddsNoEntry_data();
    void typingAddsNoEntry();
    void bareCheckBox();
    void swatches_data();
    void swatches();
    void tabContentFits_data();
    void tabContentFits();
    void accelerators_data();
    void accelerators();

    void dialogControls_data();
    void dialogControls();
    void dialogGeometry_data();
    void dialogGeometry();
    void dialogOrientationGroup();
    void dialogTabOrder();

private:
    QWidget* control(const QString& name) const;
    QWidget* dialogControl(const QString& name) const;
    bool isShownInForm(const QWidget* w) const;
    void showPanelAt(int tab);

    std::unique_ptr<QMainWindow> window_;
    Ui::frmsimplechart ui_;
    std::unique_ptr<QDialog> dialog_;
    Ui::frmselectprinter dlg_;
};

void TestWindow::init()
{
    window_ = std::make_unique<QMainWindow>();
    ui_.setupUi(window_.get());
    dialog_ = std::make_unique<QDialog>();
    dlg_.setupUi(dialog_.get());
}

void TestWindow::cleanup()
{
    dialog_.reset();
    window_.reset();
}

QWidget* TestWindow::control(const QString& name) const
{
    return window_->findChild<QWidget*>(name);
}

QWidget* TestWindow::dialogControl(const QString& name) const
{
    return dialog_->findChild<QWidget*>(name);
}

// A control inside the options panel counts as shown when it would be seen
// with its tab selected; anything else when the form itself is shown.
bool TestWindow::isShownInForm(const QWidget* w) const
{
    const QWidget* pages = ui_.SSTab1->findChild<QStackedWidget*>();
    const QWidget* scope = w;
    while (!scope->isWindow() && scope->parentWidget() != pages)
        scope = scope->parentWidget();
    return w->isVisibleTo(scope);
}

void TestWindow::showPanelAt(int tab)
{
    ui_.SSTab1->setCurrentIndex(tab);
    ui_.SSTab1->show();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

// --- main window controls ---------------------------------------------------

void TestWindow::controls_data()
{
    addControlColumns();
    // clang-format off
    // On the window itself.
    addControlRows({
        {"barchart1",    "AxisChart",  "", false, -1, "centralSurface"},
        {"PieChart1",    "PieChart",   "", false, -1, "centralSurface"},
        {"SSTab1",       "QTabWidget", "", false, -1, "centralSurface"},
        {"RichTextBox1", "QTextEdit",  "", false, -1, "centralSurface"},
    });
    // Tab 0: titles and legend.
    addControlRows({
        {"Label2",       "QLabel",       "Graph Caption",   true, -1, "tabLabels"},
        {"txtCaption",   "QLineEdit",    "",                true, -1, "tabLabels"},
        {"Label3",       "QLabel",       "Y-Axis Label",    true, -1, "tabLabels"},
        {"Text2",        "QLineEdit",    "",                true, -1, "tabLabels"},
        {"Label4",       "QLabel",       "X-Axis Label",    true, -1, "tabLabels"},
        {"Text3",        "QLineEdit",    "",                true, -1, "tabLabels"},
        {"Label1",       "QLabel",       "Legend Caption",  true, -1, "tabLabels"},
        {"Text1",        "QLineEdit",    "",                true, -1, "tabLabels"},
        {"Frame1",       "QGroupBox",    "Legend Position", true, -1, "tabLabels"},
        {"OptLegRight",  "QRadioButton", "Right",           true,  0, "Frame1"},
        {"optlegLeft",   "QRadioButton", "Left",            true,  0, "Frame1"},
        {"OptLegTop",    "QRadioButton", "Top",             true,  0, "Frame1"},
        {"OptLegBottom", "QRadioButton", "Bottom",          true,  0, "Frame1"},
        {"chknolegend",  "QCheckBox",    "No Legend",       true,  0, "tabLabels"},
        {"TamCmd1",      "QPushButton",  "&Ok",             true, -1, "tabLabels"},
        {"Command1",     "QPushButton",  "&Cancel",         true, -1, "tabLabels"},
    });
    // Tab 1: pie options.
    addControlRows({
        {"Label5",           "QLabel",       "Pie Chart Options",       true, -1, "tabPieOptions"},
        {"optLabelsInside",  "QRadioButton", "Pie Labels Inside",       true,  1, "tabPieOptions"},
        {"OptLabelsOutside", "QRadioButton", "Pie Labels Outside",      true,  0, "tabPieOptions"},
        {"List1",            "QListWidget",  "",                        true, -1, "tabPieOptions"},
        {"Command3",         "QPushButton",  "&Add -->",                true, -1, "tabPieOptions"},
        {"Command4",         "QPushButton",  "&Remove",                 true, -1, "tabPieOptions"},
        {"Label11",          "QLabel",       "Selected outside slices", true, -1, "tabPieOptions"},
        {"List2",            "QListWidget",  "",                        true, -1, "tabPieOptions"},
        {"Check5",           "QCheckBox",    "Show Percentages",        true,  1, "tabPieOptions"},
        {"Check2",           "QCheckBox",    "Show Numbers",            true,  0, "tabPieOptions"},
        {"Command19",        "QPushButton",  "&Ok",                     true, -1, "tabPieOptions"},
        {"Command27",        "QPushButton",  "&Cancel",                 true, -1, "tabPieOptions"},
    });
    // Tab 2: colours; the background style frame is hidden with its options.
    addControlRows({
        {"label6",            "QLabel",       "1 - Select category color", true, -1, "tabColorOptions"},
        {"Label7",            "QLabel",       "2 - Choose Color",          true, -1, "tabColorOptions"},
        {"Combo1",            "QComboBox",    "Combo1",                    true, -1, "tabColorOptions"},
        {"CmdColor",          "QPushButton",  "Bar Color",                 true, -1, "tabColorOptions"},
        {"Picture1",          "QFrame",       "",                          true, -1, "tabColorOptions"},
        {"Command7",          "QPushButton",  "Grays",                     true, -1, "tabColorOptions"},
        {"Command8",          "QPushButton",  "Pastel",                    true, -1, "tabColorOptions"},
        {"Command9",          "QPushButton",  "Bright",                    true, -1, "tabColorOptions"},
        {"Command2",          "QPushButton",  "Background",                true, -1, "tabColorOptions"},
        {"Picture2",          "QFrame",       "",                          true, -1, "tabColorOptions"},
        {"Frame5",            "QGroupBox",    "Style",                     false, -1, "tabColorOptions"},
        {"Optbackstyletrans", "QRadioButton", "Transparent",               false,  0, "Frame5"},
        {"optbackstyleopaq",  "QRadioButton", "Opaque",                    false,  1, "Frame5"},
        {"Command5",          "QPushButton",  "Bar Outline",               true, -1, "tabColorOptions"},
        {"Picture3",          "QFrame",       "",                          true, -1, "tabColorOptions"},
        {"Check3",            "QCheckBox",    "Graduated colors",          true,  0, "tabColorOptions"},
        {"Command6",          "QPushButton",  "Border Color",              true, -1, "tabColorOptions"},
        {"Picture4",          "QFrame",       "",                          true, -1, "tabColorOptions"},
        {"Label10",           "QLabel",       "Color for chart text",      true, -1, "tabColorOptions"},
        {"Command11",         "QPushButton",  "Fore Color",                true, -1, "tabColorOptions"},
        {"Picture5",          "QFrame",       "",                          true, -1, "tabColorOptions"},
        {"Label8",            "QLabel",       "Apply colors by clicking OK from Labels Tab.", true, -1, "tabColorOptions"},
        {"Command20",         "QPushButton",  "&Ok",                       true, -1, "tabColorOptions"},
        {"Command26",         "QPushButton",  "&Cancel",                   true, -1, "tabColorOptions"},
    });
    // Tab 3: bar options; the reference-line row and its headings are hidden.
    addControlRows({
        {"Frame2",     "QGroupBox",    "Orientation",        true, -1, "tabBarOptions"},
        {"Opthoriz",   "QRadioButton", "Horizontal",         true,  0, "Frame2"},
        {"optvert",    "QRadioButton", "Vertical",           true,  1, "Frame2"},
        {"Check4",     "QCheckBox",    "Show counts ",       true,  0, "tabBarOptions"},
        {"Frame3",     "QGroupBox",    "Stacked Bar Charts", true, -1, "tabBarOptions"},
        {"OPTSTACKED", "QRadioButton", "Stacked",            true,  0, "Frame3"},
        {"OPT100PCT",  "QRadioButton", "Stacked to 100%",    true,  0, "Frame3"},
        {"OPTGROUPED", "QRadioButton", "Grouped",            true,  1, "Frame3"},
        {"Frame4",     "QGroupBox",    "Series Bar Spacing", true, -1, "tabBarOptions"},
        {"optspace",   "QRadioButton", "Option1",            true,  0, "Frame4"},
        {"Frame6",     "QGroupBox",    "Series Bar Spacing", true, -1, "Frame4"},
        {"Option1_0",  "QRadioButton", "None",               true,  0, "Frame6"},
        {"Option1_1",  "QRadioButton", "10%",                true,  0, "Frame6"},
        {"Option1_2",  "QRadioButton", "25%",                true,  0, "Frame6"},
        {"Option1_3",  "QRadioButton", "50%",                true,  0, "Frame6"},
        {"Label23",    "QLabel",       "value",              false, -1, "tabBarOptions"},
        {"Label24",    "QLabel",       "label",              false, -1, "tabBarOptions"},
        {"Label21",    "QLabel",       "Reference Line",     false, -1, "tabBarOptions"},
        {"Combo3",     "QComboBox",    "Combo3",             false, -1, "tabBarOptions"},
        {"Label22",    "QLabel",       "at",                 false, -1, "tabBarOptions"},
        {"Text21",     "QLineEdit",    "",                   false, -1, "tabBarOptions"},
        {"Text22",     "QLineEdit",    "Reference",          false, -1, "tabBarOptions"},
        {"Command39",  "QPushButton",  "Color",              false, -1, "tabBarOptions"},
        {"Picture12",  "QFrame",       "",                   false, -1, "tabBarOptions"},
        {"Command41",  "QPushButton",  "Add",                false, -1, "tabBarOptions"},
        {"Command40",  "QPushButton",  "Remove",             false, -1, "tabBarOptions"},
        {"Command18",  "QPushButton",  "&Ok",                true, -1, "tabBarOptions"},
        {"Command25",  "QPushButton",  "&Cancel",            true, -1, "tabBarOptions"},
    });
    // Tab 4: background image.
    addControlRows({
        {"Check1",    "QCheckBox",   "Check1",                true,  0, "tabImage"},
        {"Label9",    "QLabel",      "Show Background Image", true, -1, "tabImage"},
        {"Text4",     "QLineEdit",   "",                      true, -1, "tabImage"},
        {"Command10", "QPushButton", "Browse",                true, -1, "tabImage"},
        {"Command21", "QPushButton", "&Ok",                   true, -1, "tabImage"},
        {"Command24", "QPushButton", "&Cancel",               true, -1, "tabImage"},
    });
    // Tab 5: fonts; the values-font row is hidden.
    addControlRows({
        {"Command12", "QPushButton", "Title Font",                     true, -1, "tabFonts"},
        {"Text5",     "QLineEdit",   "",                               true, -1, "tabFonts"},
        {"Command13", "QPushButton", "Item Axis Font",                 true, -1, "tabFonts"},
        {"Text6",     "QLineEdit",   "",                               true, -1, "tabFonts"},
        {"Command14", "QPushButton", "Unit Axis Font",                 true, -1, "tabFonts"},
        {"Text7",     "QLineEdit",   "",                               true, -1, "tabFonts"},
        {"Command16", "QPushButton", "Legend Font",                    true, -1, "tabFonts"},
        {"Text9",     "QLineEdit",   "",                               true, -1, "tabFonts"},
        {"Command17", "QPushButton", "Make Fonts Above Same as Title", true, -1, "tabFonts"},
        {"Command38", "QPushButton", "Item Font",                      true, -1, "tabFonts"},
        {"Text20",    "QLineEdit",   "",                               true, -1, "tabFonts"},
        {"Command15", "QPushButton", "Values Font",                    false, -1, "tabFonts"},
        {"Text8",     "QLineEdit",   "",                               false, -1, "tabFonts"},
        {"Command37", "QPushButton", "Color",                          false, -1, "tabFonts"},
        {"Picture11", "QFrame",      "",                               false, -1, "tabFonts"},
        {"Command22", "QPushButton", "&Ok",                            true, -1, "tabFonts"},
        {"Command23", "QPushButton", "&Cancel",                        true, -1, "tabFonts"},
    });
    // clang-format on
}

void TestWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QFETCH(int, checked);
    QFETCH(QString, parent);

    QWidget* w = control(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
    QCOMPARE(captionOf(w), text);
    QCOMPARE(isShownInForm(w), shown);
    QVERIFY(w->isEnabled());
    QCOMPARE(checkStateOf(w), checked);
    QVERIFY(w->parentWidget());
    QCOMPARE(w->parentWidget()->objectName(), parent);
}

void TestWindow::tabs()
{
    const QStringList captions{"Labels ",          "Pie Chart Options", "Color Options",
                               "Bar Chart Options", "Image",             "Fonts"};
    const QStringList pages{"tabLabels",     "tabPieOptions", "tabColorOptions",
                            "tabBarOptions", "tabImage",      "tabFonts"};
    QTabWidget* tabs = ui_.SSTab1;
    QCOMPARE(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i) {
        QCOMPARE(tabs->tabText(i), captions.at(i));
        QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
        QVERIFY(tabs->isTabEnabled(i));
    }
    QCOMPARE(tabs->currentIndex(), 4);

    // Placed as designed at Left 1440, Top 0; at least 8055 x 5535 twips,
    // wider where the six captions and the Color Options rows need it.
    QCOMPARE(tabs->pos(), QPoint(px(1440), px(0)));
    QVERIFY(tabs->width() >= px(8055));
    QCOMPARE(tabs->height(), px(5535));
    QCOMPARE(ui_.RichTextBox1->geometry(), QRect(px(120), px(360), px(492), px(852)));

    // The central surface places its children itself.
    QCOMPARE(ui_.centralSurface->layout(), nullptr);
    QCOMPARE(window_->centralWidget(), ui_.centralSurface);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Charts"));
}

// --- menus -----------------------------------------------------------------------

void TestWindow::menuTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("menu"); // "menubar" for the bar itself
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("separator");

    const QKeySequence none;
    // clang-format off
    QTest::newRow("File on the bar")      << "mnufile"     << "File"        << "menubar" << 0 << true << none << false;
    QTest::newRow("Edit on the bar")      << "mnuedit"     << "Edit"        << "menubar" << 1 << true << none << false;
    QTest::newRow("Data View on the bar") << "mnudataview" << "Data View"   << "menubar" << 2 << true << none << false;
    QTest::newRow("Return on the bar")    << "mnureturn"   << "Return"      << "menubar" << 3 << true << none << false;

    QTest::newRow("save submenu")       << "mnusaveas"        << "Save Image to a File as..." << "mnufile" << 0 << true  << none << false;
    QTest::newRow("select printer off") << "mnuselectprinter" << "Select Printer"             << "mnufile" << 1 << false << none << false;
    QTest::newRow("print options")      << "mnuprint"         << "Print options..."           << "mnufile" << 2 << true  << QKeySequence("Ctrl+P") << false;
    QTest::newRow("dash is a separator") << "mnudash"         << "-"                          << "mnufile" << 3 << true  << none << true;
    QTest::newRow("exit")               << "mnuexit"          << "Exit"                       << "mnufile" << 4 << true  << QKeySequence("Ctrl+Q") << false;

    QTest::newRow("save JPG") << "mnusave"    << "Save image as .JPG" << "mnusaveas" << 0 << true << none << false;
    QTest::newRow("save BMP") << "mnusavebmp" << "Save image as .BMP" << "mnusaveas" << 1 << true << none << false;
    QTest::newRow("save TIF") << "mnusavetif" << "Save image as .TIF" << "mnusaveas" << 2 << true << none << false;
    QTest::newRow("save GIF") << "mnusavegif" << "Save image as .GIF" << "mnusaveas" << 3 << true << none << false;
    QTest::newRow("save PNG") << "mnusavePNG" << "Save image as .PNG" << "mnusaveas" << 4 << true << none << false;

    QTest::newRow("copy")       << "mnucopy"    << "Copy Chart to Clipboard" << "mnuedit" << 0 << true  << QKeySequence("Ctrl+C") << false;
    QTest::newRow("options")    << "mnuoptions" << "Option Menu"             << "mnuedit" << 1 << true  << none << false;
    QTest::newRow("switch off") << "mnuswitch"  << "Switch chart type"       << "mnuedit" << 2 << false << none << false;
    // clang-format on
}

void TestWindow::menuTree()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, menu);
    QFETCH(int, position);
    QFETCH(bool, enabled);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, separator);

    // A submenu is reached through its menu action.
    QAction* action = nullptr;
    if (auto sub = window_->findChild<QMenu*>(name))
        action = sub->menuAction();
    else
        action = window_->findChild<QAction*>(name);
    QVERIFY2(action, qPrintable(name));

    QWidget* owner = menu == QLatin1String("menubar")
        ? static_cast<QWidget*>(window_->menuBar())
        : static_cast<QWidget*>(window_->findChild<QMenu*>(menu));
    QVERIFY2(owner, qPrintable(menu));
    const QList<QAction*> entries = owner->actions();
    QVERIFY(position < entries.size());
    QCOMPARE(entries.at(position), action);

    QCOMPARE(action->isSeparator(), separator);
    if (!separator)
        QCOMPARE(action->text(), text);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->shortcut(), shortcut);
}

// --- option groups -------------------------------------------------------------------

void TestWindow::radioGroupsIndependent_data()
{
    QTest::addColumn<QString>("clicked");
    for (const char* name : {"OptLegRight", "optlegLeft", "OptLegTop", "OptLegBottom",
                             "optLabelsInside", "OptLabelsOutside", "Optbackstyletrans",
                             "optbackstyleopaq", "Opthoriz", "optvert", "OPTSTACKED",
                             "OPT100PCT", "OPTGROUPED", "optspace", "Option1_0", "Option1_1",
                             "Option1_2", "Option1_3"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Clicking an option button selects it, clears the rest of its own group and
// leaves every other group as it was.
void TestWindow::radioGroupsIndependent()
{
    QFETCH(QString, clicked);

    const QList<QStringList> groups{
        {"OptLegRight", "optlegLeft", "OptLegTop", "OptLegBottom"},
        {"optLabelsInside", "OptLabelsOutside"},
        {"Optbackstyletrans", "optbackstyleopaq"},
        {"Opthoriz", "optvert"},
        {"OPTSTACKED", "OPT100PCT", "OPTGROUPED"},
        {"optspace"},
        {"Option1_0", "Option1_1", "Option1_2", "Option1_3"},
    };

    // Start each run with one member of every group selected, so a lost
    // selection anywhere shows.
    QStringList selectedBefore;
    for (const QStringList& group : groups) {
        if (group == QStringList{clicked}) {
            // A lone option starts cleared, so that the click can select it.
            selectedBefore << QString();
            continue;
        }
        const QString pick = group.contains(clicked) ? group.at(group.at(0) == clicked ? 1 : 0)
                                                     : group.at(0);
        auto button = qobject_cast<QRadioButton*>(control(pick));
        QVERIFY2(button, qPrintable(pick));
        button->setChecked(true);
        QVERIFY(button->isChecked());
        selectedBefore << pick;
    }

    auto target = qobject_cast<QRadioButton*>(control(clicked));
    QVERIFY(target);
    target->click();
    QVERIFY(target->isChecked());

    for (int g = 0; g < groups.size(); ++g) {
        for (const QString& member : groups.at(g)) {
            const bool expected = groups.at(g).contains(clicked)
                ? member == clicked
                : member == selectedBefore.at(g);
            auto button = qobject_cast<QRadioButton*>(control(member));
            QVERIFY2(button->isChecked() == expected,
                     qPrintable(QStringLiteral("%1 after clicking %2").arg(member, clicked)));
        }
    }
}

// Frame6 lies over the whole of Frame4, so the spacing options show and the
// lone optspace does not.
void TestWindow::spacingFrameHidesOption()
{
    showPanelAt(3);
    QGroupBox* outer = ui_.Frame4;
    QGroupBox* cover = ui_.Frame6;
    QCOMPARE(cover->geometry(), outer->rect());

    const QPoint centre = ui_.optspace->geometry().center();
    QWidget* top = outer->childAt(centre);
    QVERIFY(top);
    QVERIFY2(top == cover || cover->isAncestorOf(top),
             qPrintable(top->objectName()));

    // Nothing of optspace shows through the cover.
    const QImage withOption = outer->grab().toImage();
    ui_.optspace->hide();
    const QImage withoutOption = outer->grab().toImage();
    QCOMPARE(withOption, withoutOption);

    // The cover's own options fit inside it.
    const QSize needed = cover->minimumSizeHint();
    QVERIFY2(needed.width() <= cover->width() && needed.height() <= cover->height(),
             qPrintable(QStringLiteral("needs %1x%2").arg(needed.width()).arg(needed.height())));
    for (QRadioButton* option : {ui_.Option1_0, ui_.Option1_1, ui_.Option1_2, ui_.Option1_3}) {
        QVERIFY(option->isVisible());
        QVERIFY(cover->rect().contains(option->geometry()));
    }
}

// --- lists, combo boxes, swatches ---------------------------------------------------------

void TestWindow::listSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("selected");
    QTest::newRow("List1 takes several labels at once") << "List1" << 2;
    QTest::newRow("List2 takes one entry") << "List2" << 1;
}

void TestWindow::listSelection()
{
    QFETCH(QString, name);
    QFETCH(int, selected);

    auto list = qobject_cast<QListWidget*>(control(name));
    QVERIFY(list);
    list->addItems({"Red", "Blue", "Green"});
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    QCOMPARE(list->selectedItems().size(), selected);
}

void TestWindow::typingAddsNoEntry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("designed");
    QTest::newRow("category selector") << "Combo1" << "Combo1";
    QTest::newRow("reference-line number") << "Combo3" << "Combo3";
    QTest::newRow("printer list") << "cboprinterlist" << "Combo1";
}

// The combo boxes start empty, showing their designed text; a typed text
// with Enter stays a text and does not become an entry.
void TestWindow::typingAddsNoEntry()
{
    QFETCH(QString, name);
    QFETCH(QString, designed);

    QWidget* w = control(name);
    if (!w)
        w = dialogControl(name);
    auto combo = qobject_cast<QComboBox*>(w);
    QVERIFY(combo);
    QCOMPARE(combo->count(), 0);
    QCOMPARE(combo->currentText(), designed);
    QVERIFY(combo->isEditable());
    combo->lineEdit()->setText(QStringLiteral("7 - typed"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QCOMPARE(combo->count(), 0);
    QCOMPARE(combo->currentText(), QStringLiteral("7 - typed"));
}

// Check1 is a bare box: its caption does not fit and so never shows.
void TestWindow::bareCheckBox()
{
    showPanelAt(4);
    const QImage withCaption = ui_.Check1->grab().toImage();
    ui_.Check1->setText(QString());
    const QImage withoutCaption = ui_.Check1->grab().toImage();
    QCOMPARE(withCaption, withoutCaption);
}

void TestWindow::swatches_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"Picture1", "Picture2", "Picture3", "Picture4", "Picture5",
                             "Picture11", "Picture12"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// A swatch is a small fixed patch that shows its background colour.
void TestWindow::swatches()
{
    QFETCH(QString, name);
    QWidget* swatch = control(name);
    QVERIFY(swatch);
    QCOMPARE(swatch->minimumSize(), swatch->maximumSize());
    QVERIFY(swatch->width() <= 32 && swatch->height() <= 32);

    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 30));
    swatch->setPalette(palette);
    const QImage picture = swatch->grab().toImage();
    QCOMPARE(picture.pixelColor(picture.rect().center()), QColor(10, 200, 30));
}

// --- layout of the options panel -------------------------------------------------------------

void TestWindow::tabContentFits_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("Labels") << 0 << "TamCmd1" << "Command1";
    QTest::newRow("Pie Chart Options") << 1 << "Command19" << "Command27";
    QTest::newRow("Color Options") << 2 << "Command20" << "Command26";
    QTest::newRow("Bar Chart Options") << 3 << "Command18" << "Command25";
    QTest::newRow("Image") << 4 << "Command21" << "Command24";
    QTest::newRow("Fonts") << 5 << "Command22" << "Command23";
}

// At its designed size the panel shows every tab caption and all of each
// tab's content, with Cancel then Ok at the bottom right.
void TestWindow::tabContentFits()
{
    QFETCH(int, tab);
    QFETCH(QString, ok);
    QFETCH(QString, cancel);

    showPanelAt(tab);
    QTabBar* bar = ui_.SSTab1->tabBar();
    QVERIFY2(bar->tabRect(bar->count() - 1).right() < bar->width(),
             "the last tab caption is cut off");

    QWidget* page = ui_.SSTab1->widget(tab);
    const QSize needed = page->minimumSizeHint();
    QVERIFY2(needed.width() <= page->width() && needed.height() <= page->height(),
             qPrintable(QStringLiteral("needs %1x%2, has %3x%4")
                            .arg(needed.width()).arg(needed.height())
                            .arg(page->width()).arg(page->height())));

    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (child->isVisible() && child->parentWidget() == page)
            QVERIFY2(page->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }

    const QRect okRect = control(ok)->geometry();
    const QRect cancelRect = control(cancel)->geometry();
    QCOMPARE(control(ok)->parentWidget(), page);
    QVERIFY(cancelRect.right() < okRect.left());
    QCOMPARE(cancelRect.top(), okRect.top());
    QVERIFY(page->width() - okRect.right() < 24);
    QVERIFY(page->height() - okRect.bottom() < 24);
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (child->isVisible() && child->parentWidget() == page && child != control(ok)
            && child != control(cancel))
            QVERIFY2(child->geometry().top() < okRect.top() || child->geometry().right() < cancelRect.left(),
                     qPrintable(child->objectName()));
    }
}

void TestWindow::accelerators_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("Alt+O on Labels") << 0 << int(Qt::Key_O) << "TamCmd1";
    QTest::newRow("Alt+C on Labels") << 0 << int(Qt::Key_C) << "Command1";
    QTest::newRow("Alt+O on Pie Chart Options") << 1 << int(Qt::Key_O) << "Command19";
    QTest::newRow("Alt+C on Pie Chart Options") << 1 << int(Qt::Key_C) << "Command27";
    QTest::newRow("Alt+A adds outside slices") << 1 << int(Qt::Key_A) << "Command3";
    QTest::newRow("Alt+R removes outside slices") << 1 << int(Qt::Key_R) << "Command4";
    QTest::newRow("Alt+O on Color Options") << 2 << int(Qt::Key_O) << "Command20";
    QTest::newRow("Alt+C on Color Options") << 2 << int(Qt::Key_C) << "Command26";
    QTest::newRow("Alt+O on Bar Chart Options") << 3 << int(Qt::Key_O) << "Command18";
    QTest::newRow("Alt+C on Bar Chart Options") << 3 << int(Qt::Key_C) << "Command25";
    QTest::newRow("Alt+O on Image") << 4 << int(Qt::Key_O) << "Command21";
    QTest::newRow("Alt+C on Image") << 4 << int(Qt::Key_C) << "Command24";
    QTest::newRow("Alt+O on Fonts") << 5 << int(Qt::Key_O) << "Command22";
    QTest::newRow("Alt+C on Fonts") << 5 << int(Qt::Key_C) << "Command23";
}

// The "&" in a caption is a working accelerator, and only the buttons of
// the tab on show answer it.
void TestWindow::accelerators()
{
    QFETCH(int, tab);
    QFETCH(int, key);
    QFETCH(QString, pressed);

    showPanelAt(tab);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));

    QList<QPair<QString, std::shared_ptr<QSignalSpy>>> spies;
    for (QPushButton* button : ui_.SSTab1->findChildren<QPushButton*>()) {
        if (button->text().contains(QLatin1Char('&')))
            spies.append({button->objectName(),
                          std::make_shared<QSignalSpy>(button, &QAbstractButton::clicked)});
    }
    QVERIFY(spies.size() >= 14);

    QTest::keyClick(ui_.SSTab1->currentWidget(), Qt::Key(key), Qt::AltModifier);
    QSignalSpy* expected = nullptr;
    for (const auto& spy : spies) {
        if (spy.first == pressed)
            expected = spy.second.get();
    }
    QVERIFY(expected);
    QTRY_COMPARE(expected->count(), 1);
    for (const auto& spy : spies)
        QCOMPARE(spy.second->count(), spy.first == pressed ? 1 : 0);
}

// --- printer dialog ----------------------------------------------------------------------

void TestWindow::dialogControls_data()
{
    addControlColumns();
    // clang-format off
    addControlRows({
        {"Label1",         "QLabel",       "Select  printer for program output", true, -1, "frmselectprinter"},
        {"cboprinterlist", "QComboBox",    "Combo1",            true,  -1, "frmselectprinter"},
        {"Label2",         "QLabel",       "Selected Printer:", true,  -1, "frmselectprinter"},
        {"Frame1",         "QGroupBox",    "Orientation",       false, -1, "frmselectprinter"},
        {"Option1",        "QRadioButton", "Portrait",          false,  1, "Frame1"},
        {"Option2",        "QRadioButton", "Landscape",         false,  0, "Frame1"},
        {"Label3",         "QLabel",       "Number of copies:", false, -1, "frmselectprinter"},
        {"Text1",          "QLineEdit",    "1",                 false, -1, "frmselectprinter"},
        {"Command2",       "QPushButton",  "Print",             false, -1, "frmselectprinter"},
        {"Command3",       "QPushButton",  "Cancel",            true,  -1, "frmselectprinter"},
        {"Command1",       "QPushButton",  "Select",            true,  -1, "frmselectprinter"},
    });
    // clang-format on
}

void TestWindow::dialogControls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QFETCH(int, checked);
    QFETCH(QString, parent);

    QWidget* w = dialogControl(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
    QCOMPARE(captionOf(w), text);
    QCOMPARE(w->isVisibleTo(dialog_.get()), shown);
    QVERIFY(w->isEnabled());
    QCOMPARE(checkStateOf(w), checked);
    QCOMPARE(w->parentWidget()->objectName(), parent);

    // Only Label2 is bold, at 8.25 pt; the rest keep the dialog's font.
    w->ensurePolished();
    dialog_->ensurePolished();
    const bool isLabel2 = name == QLatin1String("Label2");
    QCOMPARE(w->font().bold(), isLabel2);
    if (isLabel2)
        QCOMPARE(w->font().pointSizeF(), 8.25);
    else
        QCOMPARE(w->font().pointSizeF(), dialog_->font().pointSizeF());
}

void TestWindow::dialogGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    // clang-format off
    QTest::newRow("Label1")         << "Label1"         << QRect(120, 120, 4335, 255);
    QTest::newRow("cboprinterlist") << "cboprinterlist" << QRect(120, 720, 4335, 288);
    QTest::newRow("Label2")         << "Label2"         << QRect(120, 1440, 5055, 255);
    QTest::newRow("Frame1")         << "Frame1"         << QRect(120, 2040, 2772, 612);
    QTest::newRow("Option1 in its frame") << "Option1"  << QRect(120, 240, 972, 252);
    QTest::newRow("Option2 in its frame") << "Option2"  << QRect(1200, 240, 1452, 252);
    QTest::newRow("Label3")         << "Label3"         << QRect(3000, 2280, 1452, 252);
    QTest::newRow("Text1")          << "Text1"          << QRect(4560, 2280, 372, 288);
    QTest::newRow("Command2")       << "Command2"       << QRect(2160, 3000, 1095, 372);
    QTest::newRow("Command3")       << "Command3"       << QRect(3360, 3000, 1095, 372);
    QTest::newRow("Command1")       << "Command1"       << QRect(4560, 3000, 1095, 372);
    // clang-format on
}

// Each position, taken back to twips, is within half a pixel of the design.
void TestWindow::dialogGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);

    QWidget* w = dialogControl(name);
    QVERIFY(w);
    const QRect g = w->geometry();
    const auto near = [](int pixels, int designed) { return qAbs(pixels * 15 - designed) <= 7; };
    QVERIFY2(near(g.x(), twips.x()), qPrintable(QString::number(g.x() * 15)));
    QVERIFY2(near(g.y(), twips.y()), qPrintable(QString::number(g.y() * 15)));
    QVERIFY2(near(g.width(), twips.width()), qPrintable(QString::number(g.width() * 15)));
    QVERIFY2(near(g.height(), twips.height()), qPrintable(QString::number(g.height() * 15)));

    // The client area is fixed at 5715 x 3450 twips.
    QCOMPARE(dialog_->minimumSize(), QSize(px(5715), px(3450)));
    QCOMPARE(dialog_->maximumSize(), QSize(px(5715), px(3450)));
    QCOMPARE(dialog_->size(), QSize(px(5715), px(3450)));
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Select Printer"));
}

void TestWindow::dialogOrientationGroup()
{
    dlg_.Option2->click();
    QVERIFY(dlg_.Option2->isChecked());
    QVERIFY(!dlg_.Option1->isChecked());
    dlg_.Option1->click();
    QVERIFY(dlg_.Option1->isChecked());
    QVERIFY(!dlg_.Option2->isChecked());
}

void TestWindow::dialogTabOrder()
{
    const QStringList expected{"cboprinterlist", "Command1", "Command2", "Command3",
                               "Option1",        "Option2",  "Text1"};
    QStringList order;
    QWidget* w = dlg_.cboprinterlist;
    do {
        if (expected.contains(w->objectName()) && !order.contains(w->objectName()))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != dlg_.cboprinterlist && order.size() < expected.size());
    QCOMPARE(order, expected);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
