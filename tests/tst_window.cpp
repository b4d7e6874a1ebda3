// Checks the two forms through their generated ui classes: every control's
// kind, caption, initial state and container, the menu tree, the tabs of the
// options panel, the independence of the option groups, the keyboard
// accelerators, and the printer dialog's positions and tab order.
#include "ui_frmselectprinter.h"
#include "testfiles.h"
#include "ui_frmsimplechart.h"

#include <QtTest>
#include <QtWidgets>

#include <map>
#include <memory>

namespace {

// The text a control shows: caption, title, or the text in its edit field.
QString captionOf(const QWidget* w)
{
    for (const char* property : {"text", "title", "currentText", "plainText"})
        if (w->metaObject()->indexOfProperty(property) >= 0)
            return w->property(property).toString();
    return QString();
}

const std::map<QString, QString> kClassOf{
    {"Label", "QLabel"}, {"Edit", "QLineEdit"}, {"Button", "QPushButton"}, {"Option", "QRadioButton"},
    {"Check", "QCheckBox"}, {"Group", "QGroupBox"}, {"Swatch", "QFrame"}, {"List", "QListWidget"},
    {"Combo", "QComboBox"}};

int px(int twips) { return qRound(twips / 15.0); }

// Whether a control's caption shows whole: a button's text within the area
// the style draws it in, any other caption at its size hint.
bool captionWhole(QWidget* w)
{
    w->ensurePolished();
    const QString text = captionOf(w);
    if (text.isEmpty() || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w))
        return true;
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.features = button->autoDefault() ? QStyleOptionButton::AutoDefaultButton
                                                : QStyleOptionButton::None;
        const QRect area =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return button->fontMetrics().size(Qt::TextShowMnemonic, text).width() <= area.width();
    }
    return (qobject_cast<QGroupBox*>(w) ? w->minimumSizeHint() : w->sizeHint()).width() <=
           w->width();
}

// One control: name ("P:" for the printer dialog), kind, initial text, shown
// with its tab or form (1/0), checked (-1: not checkable), container, and for
// the printer dialog its designed place in twips. Controls that sit side by
// side on the form share a line.
struct Control {
    const char *name, *kind, *text;
    bool shown;
    int checked;
    const char* parent;
    QRect twips = {};
};

// clang-format off
const Control kControls[] = {
    {"barchart1", "AxisChart", "", 0, -1, "centralSurface"}, {"PieChart1", "PieChart", "", 0, -1, "centralSurface"},
    {"SSTab1", "OptionsPanel", "", 0, -1, "centralSurface"}, {"RichTextBox1", "QTextEdit", "", 0, -1, "centralSurface"},
    // Tab 0: titles and legend.
    {"Label2", "Label", "Graph Caption", 1, -1, "tabLabels"}, {"txtCaption", "Edit", "", 1, -1, "tabLabels"},
    {"Label3", "Label", "Y-Axis Label", 1, -1, "tabLabels"}, {"Text2", "Edit", "", 1, -1, "tabLabels"},
    {"Label4", "Label", "X-Axis Label", 1, -1, "tabLabels"}, {"Text3", "Edit", "", 1, -1, "tabLabels"},
    {"Label1", "Label", "Legend Caption", 1, -1, "tabLabels"}, {"Text1", "Edit", "", 1, -1, "tabLabels"},
    {"Frame1", "Group", "Legend Position", 1, -1, "tabLabels"},
    {"OptLegRight", "Option", "Right", 1, 0, "Frame1"}, {"optlegLeft", "Option", "Left", 1, 0, "Frame1"},
    {"OptLegTop", "Option", "Top", 1, 0, "Frame1"}, {"OptLegBottom", "Option", "Bottom", 1, 0, "Frame1"},
    {"chknolegend", "Check", "No Legend", 1, 0, "tabLabels"},
    {"TamCmd1", "Button", "&Ok", 1, -1, "tabLabels"}, {"Command1", "Button", "&Cancel", 1, -1, "tabLabels"},
    // Tab 1: pie options.
    {"Label5", "Label", "Pie Chart Options", 1, -1, "tabPieOptions"},
    {"optLabelsInside", "Option", "Pie Labels Inside", 1, 1, "tabPieOptions"},
    {"OptLabelsOutside", "Option", "Pie Labels Outside", 1, 0, "tabPieOptions"},
    {"List1", "List", "", 1, -1, "tabPieOptions"},
    {"Command3", "Button", "&Add -->", 1, -1, "tabPieOptions"}, {"Command4", "Button", "&Remove", 1, -1, "tabPieOptions"},
    {"Label11", "Label", "Selected outside slices", 1, -1, "tabPieOptions"}, {"List2", "List", "", 1, -1, "tabPieOptions"},
    {"Check5", "Check", "Show Percentages", 1, 1, "tabPieOptions"}, {"Check2", "Check", "Show Numbers", 1, 0, "tabPieOptions"},
    {"Command19", "Button", "&Ok", 1, -1, "tabPieOptions"}, {"Command27", "Button", "&Cancel", 1, -1, "tabPieOptions"},
    // Tab 2: colours; the background style frame is hidden with its options.
    {"label6", "Label", "1 - Select category color", 1, -1, "tabColorOptions"},
    {"Label7", "Label", "2 - Choose Color", 1, -1, "tabColorOptions"},
    {"Combo1", "Combo", "Combo1", 1, -1, "tabColorOptions"},
    {"CmdColor", "Button", "Bar Color", 1, -1, "tabColorOptions"}, {"Picture1", "Swatch", "", 1, -1, "tabColorOptions"},
    {"Command7", "Button", "Grays", 1, -1, "tabColorOptions"}, {"Command8", "Button", "Pastel", 1, -1, "tabColorOptions"},
    {"Command9", "Button", "Bright", 1, -1, "tabColorOptions"},
    {"Command2", "Button", "Background", 1, -1, "tabColorOptions"}, {"Picture2", "Swatch", "", 1, -1, "tabColorOptions"},
    {"Frame5", "Group", "Style", 0, -1, "tabColorOptions"},
    {"Optbackstyletrans", "Option", "Transparent", 0, 0, "Frame5"}, {"optbackstyleopaq", "Option", "Opaque", 0, 1, "Frame5"},
    {"Command5", "Button", "Bar Outline", 1, -1, "tabColorOptions"}, {"Picture3", "Swatch", "", 1, -1, "tabColorOptions"},
    {"Check3", "Check", "Graduated colors", 1, 0, "tabColorOptions"},
    {"Command6", "Button", "Border Color", 1, -1, "tabColorOptions"}, {"Picture4", "Swatch", "", 1, -1, "tabColorOptions"},
    {"Label10", "Label", "Color for chart text", 1, -1, "tabColorOptions"},
    {"Command11", "Button", "Fore Color", 1, -1, "tabColorOptions"}, {"Picture5", "Swatch", "", 1, -1, "tabColorOptions"},
    {"Label8", "Label", "Apply colors by clicking OK from Labels Tab.", 1, -1, "tabColorOptions"},
    {"Command20", "Button", "&Ok", 1, -1, "tabColorOptions"}, {"Command26", "Button", "&Cancel", 1, -1, "tabColorOptions"},
    // Tab 3: bar options; the reference-line row and its headings are hidden.
    {"Frame2", "Group", "Orientation", 1, -1, "tabBarOptions"},
    {"Opthoriz", "Option", "Horizontal", 1, 0, "Frame2"}, {"optvert", "Option", "Vertical", 1, 1, "Frame2"},
    {"Check4", "Check", "Show counts ", 1, 0, "tabBarOptions"},
    {"Frame3", "Group", "Stacked Bar Charts", 1, -1, "tabBarOptions"},
    {"OPTSTACKED", "Option", "Stacked", 1, 0, "Frame3"}, {"OPT100PCT", "Option", "Stacked to 100%", 1, 0, "Frame3"},
    {"OPTGROUPED", "Option", "Grouped", 1, 1, "Frame3"},
    {"Frame4", "Group", "Series Bar Spacing", 1, -1, "tabBarOptions"}, {"optspace", "Option", "Option1", 1, 0, "Frame4"},
    {"Frame6", "Group", "Series Bar Spacing", 1, -1, "Frame4"},
    {"Option1_0", "Option", "None", 1, 0, "Frame6"}, {"Option1_1", "Option", "10%", 1, 0, "Frame6"},
    {"Option1_2", "Option", "25%", 1, 0, "Frame6"}, {"Option1_3", "Option", "50%", 1, 0, "Frame6"},
    {"Label23", "Label", "value", 0, -1, "tabBarOptions"}, {"Label24", "Label", "label", 0, -1, "tabBarOptions"},
    {"Label21", "Label", "Reference Line", 0, -1, "tabBarOptions"}, {"Combo3", "Combo", "Combo3", 0, -1, "tabBarOptions"},
    {"Label22", "Label", "at", 0, -1, "tabBarOptions"}, {"Text21", "Edit", "", 0, -1, "tabBarOptions"},
    {"Text22", "Edit", "Reference", 0, -1, "tabBarOptions"}, {"Command39", "Button", "Color", 0, -1, "tabBarOptions"},
    {"Picture12", "Swatch", "", 0, -1, "tabBarOptions"}, {"Command41", "Button", "Add", 0, -1, "tabBarOptions"},
    {"Command40", "Button", "Remove", 0, -1, "tabBarOptions"},
    {"Command18", "Button", "&Ok", 1, -1, "tabBarOptions"}, {"Command25", "Button", "&Cancel", 1, -1, "tabBarOptions"},
    // Tab 4: background image.
    {"Check1", "Check", "Check1", 1, 0, "tabImage"}, {"Label9", "Label", "Show Background Image", 1, -1, "tabImage"},
    {"Text4", "Edit", "", 1, -1, "tabImage"}, {"Command10", "Button", "Browse", 1, -1, "tabImage"},
    {"Command21", "Button", "&Ok", 1, -1, "tabImage"}, {"Command24", "Button", "&Cancel", 1, -1, "tabImage"},
    // Tab 5: fonts; the values-font row is hidden.
    {"Command12", "Button", "Title Font", 1, -1, "tabFonts"}, {"Text5", "Edit", "", 1, -1, "tabFonts"},
    {"Command13", "Button", "Item Axis Font", 1, -1, "tabFonts"}, {"Text6", "Edit", "", 1, -1, "tabFonts"},
    {"Command14", "Button", "Unit Axis Font", 1, -1, "tabFonts"}, {"Text7", "Edit", "", 1, -1, "tabFonts"},
    {"Command16", "Button", "Legend Font", 1, -1, "tabFonts"}, {"Text9", "Edit", "", 1, -1, "tabFonts"},
    {"Command17", "Button", "Make Fonts Above Same as Title", 1, -1, "tabFonts"},
    {"Command38", "Button", "Item Font", 1, -1, "tabFonts"}, {"Text20", "Edit", "", 1, -1, "tabFonts"},
    {"Command15", "Button", "Values Font", 0, -1, "tabFonts"}, {"Text8", "Edit", "", 0, -1, "tabFonts"},
    {"Command37", "Button", "Color", 0, -1, "tabFonts"}, {"Picture11", "Swatch", "", 0, -1, "tabFonts"},
    {"Command22", "Button", "&Ok", 1, -1, "tabFonts"}, {"Command23", "Button", "&Cancel", 1, -1, "tabFonts"},
    // The printer dialog; option places are inside their frame.
    {"P:Label1", "Label", "Select  printer for program output", 1, -1, "frmselectprinter", {120, 120, 4335, 255}},
    {"P:cboprinterlist", "Combo", "Combo1", 1, -1, "frmselectprinter", {120, 720, 4335, 288}},
    {"P:Label2", "Label", "Selected Printer:", 1, -1, "frmselectprinter", {120, 1440, 5055, 255}},
    {"P:Frame1", "Group", "Orientation", 0, -1, "frmselectprinter", {120, 2040, 2772, 612}},
    // Wider than designed where the default font needs it; Text1 moves right to make room.
    {"P:Option1", "Option", "Portrait", 0, 1, "Frame1", {120, 240, 1140, 252}},
    {"P:Option2", "Option", "Landscape", 0, 0, "Frame1", {1260, 240, 1440, 252}},
    {"P:Label3", "Label", "Number of copies:", 0, -1, "frmselectprinter", {3000, 2280, 2190, 252}},
    {"P:Text1", "Edit", "1", 0, -1, "frmselectprinter", {5280, 2280, 372, 288}},
    {"P:Command2", "Button", "Print", 0, -1, "frmselectprinter", {2160, 3000, 1095, 372}},
    {"P:Command3", "Button", "Cancel", 1, -1, "frmselectprinter", {3360, 3000, 1095, 372}},
    {"P:Command1", "Button", "Select", 1, -1, "frmselectprinter", {4560, 3000, 1095, 372}},
};
// clang-format on

// The menu tree: each owner ("": the menu bar) with its entries in order, as
// "name|caption" ("-": a separator) and then a shortcut or "off" (greyed).
const QList<QPair<QString, QStringList>> kMenuTree{
    {"", {"mnufile|File", "mnuedit|Edit", "mnudataview|Data View", "mnureturn|Return"}},
    {"mnufile",
     {"mnusaveas|Save Image to a File as...", "mnuselectprinter|Select Printer|off",
      "mnuprint|Print options...|Ctrl+P", "mnudash|-", "mnuexit|Exit|Ctrl+Q"}},
    {"mnusaveas",
     {"mnusave|Save image as .JPG", "mnusavebmp|Save image as .BMP",
      "mnusavetif|Save image as .TIF", "mnusavegif|Save image as .GIF",
      "mnusavePNG|Save image as .PNG", "mnusavedash|-", "mnusavesvg|Save image as .SVG",
      "mnusavepdf|Save image as .PDF"}},
    {"mnuedit",
     {"mnucopy|Copy Chart to Clipboard|Ctrl+C", "mnuoptions|Option Menu",
      "mnuswitch|Switch chart type|off"}},
};

// The tabs in order: caption, page, Ok and Cancel buttons.
const QList<QStringList> kTabs{{"Labels ", "tabLabels", "TamCmd1", "Command1"},
    {"Pie Chart Options", "tabPieOptions", "Command19", "Command27"},
    {"Color Options", "tabColorOptions", "Command20", "Command26"},
    {"Bar Chart Options", "tabBarOptions", "Command18", "Command25"},
    {"Image", "tabImage", "Command21", "Command24"}, {"Fonts", "tabFonts", "Command22", "Command23"}};

const QList<QStringList> kOptionGroups{
    {"OptLegRight", "optlegLeft", "OptLegTop", "OptLegBottom"}, {"optLabelsInside", "OptLabelsOutside"},
    {"Optbackstyletrans", "optbackstyleopaq"}, {"Opthoriz", "optvert"}, {"OPTSTACKED", "OPT100PCT", "OPTGROUPED"},
    {"optspace"}, {"Option1_0", "Option1_1", "Option1_2", "Option1_3"}, {"P:Option1", "P:Option2"}};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<QMainWindow> window_;
    Ui::frmsimplechart ui_;
    std::unique_ptr<QDialog> dialog_;
    Ui::frmselectprinter dlg_;

    QWidget* control(const QString& name) const
    {
        return name.startsWith("P:") ? dialog_->findChild<QWidget*>(name.mid(2))
                                     : window_->findChild<QWidget*>(name);
    }
    bool showPanelAt(int tab)
    {
        ui_.SSTab1->setCurrentIndex(tab);
        ui_.SSTab1->show();
        window_->show();
        return QTest::qWaitForWindowExposed(window_.get());
    }

private slots:
    void init()
    {
        window_ = std::make_unique<QMainWindow>();
        ui_.setupUi(window_.get());
        dialog_ = std::make_unique<QDialog>();
        dlg_.setupUi(dialog_.get());
    }
    void cleanup() { dialog_.reset(), window_.reset(); }

    void controls_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kControls)); ++i)
            QTest::newRow(kControls[i].name) << i;
    }
    void controls()
    {
        QFETCH(int, row);
        const Control& c = kControls[row];
        const QString name = QString::fromLatin1(c.name);
        QWidget* w = control(name);
        QVERIFY2(w, c.name);
        const auto cls = kClassOf.find(c.kind);
        QCOMPARE(w->metaObject()->className(), cls == kClassOf.end() ? QString(c.kind) : cls->second);
        QCOMPARE(captionOf(w), QString::fromLatin1(c.text));
        QVERIFY(w->isEnabled());
        auto button = qobject_cast<QAbstractButton*>(w);
        QCOMPARE(button && button->isCheckable() ? int(button->isChecked()) : -1, c.checked);
        QCOMPARE(w->parentWidget()->objectName(), QString::fromLatin1(c.parent));
        // Shown: a panel control with its tab selected, anything else with its form.
        const QWidget* scope = w;
        while (!scope->isWindow() && scope->parentWidget() != ui_.SSTab1->findChild<QStackedWidget*>())
            scope = scope->parentWidget();
        QCOMPARE(w->isVisibleTo(scope), c.shown);
        if (!name.startsWith("P:"))
            return;
        // Each place, taken back to twips, is within half a pixel of the design.
        const QRect g = w->geometry(), t = c.twips;
        const auto near = [](int pixels, int designed) { return qAbs(pixels * 15 - designed) <= 7; };
        QVERIFY2(near(g.x(), t.x()) && near(g.y(), t.y()) && near(g.width(), t.width()) && near(g.height(), t.height()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())));
        // Only Label2 is bold, at 8.25 pt; the rest keep the dialog's font.
        w->ensurePolished();
        dialog_->ensurePolished();
        const bool isLabel2 = name == QLatin1String("P:Label2");
        QCOMPARE(w->font().bold(), isLabel2);
        QCOMPARE(w->font().pointSizeF(), isLabel2 ? 8.25 : dialog_->font().pointSizeF());
        QVERIFY(captionWhole(w));
    }

    void tabsAndForms()
    {
        QTabWidget* tabs = ui_.SSTab1;
        QCOMPARE(tabs->count(), kTabs.size());
        for (int i = 0; i < tabs->count(); ++i) {
            QCOMPARE(tabs->tabText(i), kTabs[i][0]);
            QCOMPARE(tabs->widget(i)->objectName(), kTabs[i][1]);
            QVERIFY(tabs->isTabEnabled(i));
        }
        QCOMPARE(tabs->currentIndex(), 4);
        // At Left 1440, Top 0; 5535 high, at least 8055 wide (more where the captions need it).
        QCOMPARE(tabs->pos(), QPoint(px(1440), 0));
        QVERIFY(tabs->width() >= px(8055));
        QCOMPARE(tabs->height(), px(5535));
        QCOMPARE(ui_.RichTextBox1->geometry(), QRect(px(120), px(360), px(492), px(852)));
        QCOMPARE(ui_.centralSurface->layout(), nullptr);
        QCOMPARE(window_->centralWidget(), ui_.centralSurface);
        QCOMPARE(window_->windowTitle(), QStringLiteral("Charts"));

        // The printer dialog: fixed at 5715 x 3450 twips, with its tab order.
        const QSize size(px(5715), px(3450));
        QCOMPARE(dialog_->minimumSize(), size);
        QCOMPARE(dialog_->maximumSize(), size);
        QCOMPARE(dialog_->size(), size);
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Select Printer"));
        const QStringList expected{"cboprinterlist", "Command1", "Command2", "Command3", "Option1", "Option2", "Text1"};
        QStringList order;
        QWidget* w = dlg_.cboprinterlist;
        do {
            if (expected.contains(w->objectName()) && !order.contains(w->objectName()))
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != dlg_.cboprinterlist && order.size() < expected.size());
        QCOMPARE(order, expected);
    }

    void menuTree_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("entry");
        for (const auto& [menu, entries] : kMenuTree)
            for (int i = 0; i < entries.size(); ++i)
                QTest::newRow(qPrintable(entries[i].section('|', 0, 0))) << menu << i << entries[i].split('|');
    }
    void menuTree()
    {
        QFETCH(QString, menu);
        QFETCH(int, position);
        QFETCH(QStringList, entry);
        auto sub = window_->findChild<QMenu*>(entry[0]); // reached through its menu action
        QAction* action = sub ? sub->menuAction() : window_->findChild<QAction*>(entry[0]);
        QVERIFY2(action, qPrintable(entry[0]));
        QWidget* owner = menu.isEmpty() ? static_cast<QWidget*>(window_->menuBar()) : window_->findChild<QMenu*>(menu);
        QVERIFY2(owner && position < owner->actions().size(), qPrintable(menu));
        QCOMPARE(owner->actions().at(position), action);
        QCOMPARE(action->isSeparator(), entry[1] == "-");
        if (!action->isSeparator())
            QCOMPARE(action->text(), entry[1]);
        const QString extra = entry.value(2);
        QCOMPARE(action->isEnabled(), extra != "off");
        QCOMPARE(action->shortcut(), QKeySequence(extra == "off" ? QString() : extra));
    }

    void radioGroupsIndependent_data()
    {
        QTest::addColumn<QString>("clicked");
        for (const QStringList& group : kOptionGroups)
            for (const QString& name : group)
                QTest::newRow(qPrintable(name)) << name;
    }
    // Clicking an option button selects it, clears the rest of its own group
    // and leaves every other group (each with one member selected) as it was.
    void radioGroupsIndependent()
    {
        QFETCH(QString, clicked);
        QStringList before;
        for (const QStringList& group : kOptionGroups) {
            // A lone option starts cleared, so that the click can select it.
            const QString pick = group == QStringList{clicked} ? QString()
                : group.contains(clicked) ? group.at(group.at(0) == clicked ? 1 : 0)
                                          : group.at(0);
            if (!pick.isEmpty())
                qobject_cast<QRadioButton*>(control(pick))->setChecked(true);
            before << pick;
        }
        qobject_cast<QRadioButton*>(control(clicked))->click();
        for (int g = 0; g < kOptionGroups.size(); ++g)
            for (const QString& member : kOptionGroups.at(g))
                QVERIFY2(qobject_cast<QRadioButton*>(control(member))->isChecked()
                             == (kOptionGroups.at(g).contains(clicked) ? member == clicked : member == before.at(g)),
                         qPrintable(member));
    }

    void listsCombosSwatchesAndCoveredOptions()
    {
        // List1 takes several labels at once, List2 one entry.
        for (QListWidget* list : {ctl<QListWidget>(*window_, "List1"), ctl<QListWidget>(*window_, "List2")}) {
            list->addItems({"Red", "Blue", "Green"});
            list->item(0)->setSelected(true);
            list->item(2)->setSelected(true);
        }
        QCOMPARE(ctl<QListWidget>(*window_, "List1")->selectedItems().size(), 2);
        QCOMPARE(ctl<QListWidget>(*window_, "List2")->selectedItems().size(), 1);
        // The combo boxes start empty; typed text with Enter adds no entry.
        for (QComboBox* combo : {ctl<QComboBox>(*window_, "Combo1"), ctl<QComboBox>(*window_, "Combo3"), dlg_.cboprinterlist}) {
            QVERIFY(combo->count() == 0 && combo->isEditable());
            combo->lineEdit()->setText(QStringLiteral("7 - typed"));
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
            QCOMPARE(combo->count(), 0);
            QCOMPARE(combo->currentText(), QStringLiteral("7 - typed"));
        }
        // A swatch is a small fixed patch that shows its background colour.
        for (QWidget* swatch : {ctl<QFrame>(*window_, "Picture1"), ctl<QFrame>(*window_, "Picture2"), ctl<QFrame>(*window_, "Picture3"), ctl<QFrame>(*window_, "Picture4"), ctl<QFrame>(*window_, "Picture5"),
                                ctl<QFrame>(*window_, "Picture11"), ctl<QFrame>(*window_, "Picture12")}) {
            QVERIFY(swatch->minimumSize() == swatch->maximumSize() && swatch->width() <= 32
                    && swatch->height() <= 32);
            QPalette palette = swatch->palette();
            palette.setColor(QPalette::Window, QColor(10, 200, 30));
            swatch->setPalette(palette);
            const QImage picture = swatch->grab().toImage();
            QCOMPARE(picture.pixelColor(picture.rect().center()), QColor(10, 200, 30));
        }
        // Check1 is a bare box: its caption does not fit and so never shows.
        QVERIFY(showPanelAt(4));
        const QImage withCaption = ctl<QCheckBox>(*window_, "Check1")->grab().toImage();
        ctl<QCheckBox>(*window_, "Check1")->setText(QString());
        QCOMPARE(ctl<QCheckBox>(*window_, "Check1")->grab().toImage(), withCaption);
        // Frame6 lies over the whole of Frame4: its options show, optspace does not.
        QVERIFY(showPanelAt(3));
        QCOMPARE(ctl<QGroupBox>(*window_, "Frame6")->geometry(), ctl<QGroupBox>(*window_, "Frame4")->rect());
        QWidget* top = ctl<QGroupBox>(*window_, "Frame4")->childAt(ctl<QRadioButton>(*window_, "optspace")->geometry().center());
        QVERIFY(top && (top == ctl<QGroupBox>(*window_, "Frame6") || ctl<QGroupBox>(*window_, "Frame6")->isAncestorOf(top)));
        for (QRadioButton* option : {ctl<QRadioButton>(*window_, "Option1_0"), ctl<QRadioButton>(*window_, "Option1_1"), ctl<QRadioButton>(*window_, "Option1_2"), ctl<QRadioButton>(*window_, "Option1_3")})
            QVERIFY(option->isVisible() && ctl<QGroupBox>(*window_, "Frame6")->rect().contains(option->geometry()));
    }

    void tabLayoutAndAccelerators_data()
    {
        QTest::addColumn<int>("tab");
        for (int i = 0; i < kTabs.size(); ++i)
            QTest::newRow(qPrintable(kTabs[i][0])) << i;
    }
    // At its designed size the panel shows every tab caption and all of each
    // tab's content, with Cancel then Ok at the bottom right; the "&"
    // captions are working accelerators answered only by the tab on show.
    void tabLayoutAndAccelerators()
    {
        QFETCH(int, tab);
        const QString ok = kTabs[tab][2], cancel = kTabs[tab][3];
        QVERIFY(showPanelAt(tab));
        QTabBar* bar = ui_.SSTab1->tabBar();
        QVERIFY2(bar->tabRect(bar->count() - 1).right() < bar->width(), "last tab caption cut off");
        QWidget* page = ui_.SSTab1->widget(tab);
        const QSize needed = page->minimumSizeHint();
        QVERIFY(needed.width() <= page->width() && needed.height() <= page->height());
        QWidget *okButton = control(ok), *cancelButton = control(cancel);
        const QRect okRect = okButton->geometry(), cancelRect = cancelButton->geometry();
        QCOMPARE(okButton->parentWidget(), page);
        QVERIFY(cancelRect.right() < okRect.left() && cancelRect.top() == okRect.top());
        QVERIFY(page->width() - okRect.right() < 24 && page->height() - okRect.bottom() < 24);
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect g = child->geometry();
            QVERIFY2(!child->isVisible() || (page->rect().contains(g)
                         && (child == okButton || child == cancelButton || g.top() < okRect.top()
                             || g.right() < cancelRect.left())),
                     qPrintable(child->objectName()));
        }
        for (QWidget* child : page->findChildren<QWidget*>()) // Check1 is a bare box by design
            QVERIFY2(!child->isVisible() || child == ctl<QCheckBox>(*window_, "Check1") || captionWhole(child),
                     qPrintable(child->objectName()));

        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        std::map<QString, std::unique_ptr<QSignalSpy>> spies;
        for (QPushButton* button : ui_.SSTab1->findChildren<QPushButton*>())
            if (button->text().contains('&'))
                spies[button->objectName()] = std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked);
        QCOMPARE(spies.size(), size_t(14));
        QList<std::pair<QString, Qt::Key>> presses{{ok, Qt::Key_O}, {cancel, Qt::Key_C}};
        if (tab == 1)
            presses += {{"Command3", Qt::Key_A}, {"Command4", Qt::Key_R}};
        QStringList pressed;
        for (const auto& [button, key] : presses) {
            QTest::keyClick(ui_.SSTab1->currentWidget(), key, Qt::AltModifier);
            QTRY_COMPARE(spies.at(button)->count(), 1);
            pressed << button;
            for (const auto& [name, spy] : spies)
                QVERIFY2(spy->count() == int(pressed.contains(name)), qPrintable(name));
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
