// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls as the user first finds them, and the two forms
// through their generated ui classes: whole captions on every tab and in the
// printer dialog, the panel's keyboard accelerators, the tab order and the
// names that screen readers read.
#include "testfiles.h"
#include "ui_frmselectprinter.h"
#include "ui_frmsimplechart.h"

#include <QtTest>
#include <QtWidgets>

#include <map>
#include <memory>

namespace
{

// Whether a control's caption shows whole: a button's text within the area
// the style draws it in, any other caption at its size hint.
bool captionWhole(QWidget* w)
{
    w->ensurePolished();
    const QString text = w->property("text").toString() + w->property("title").toString();
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

// The widgets that Tab visits inside `root`, in the order it visits them.
QList<QWidget*> tabChain(QWidget* root)
{
    QList<QWidget*> chain;
    for (QWidget* w = root->nextInFocusChain(); w != root; w = w->nextInFocusChain())
        if (root->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
            w->isVisibleTo(root))
            chain << w;
    return chain;
}

// The name a screen reader gives a control: a combo box is named by the
// label whose buddy it is (Qt on Linux names it by its text otherwise).
QString accessibleName(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    if (a->role() != QAccessible::ComboBox)
        return a->text(QAccessible::Name);
    const auto labels = a->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

// Each tab's Ok and Cancel buttons.
const QList<QStringList> kTabButtons{{"TamCmd1", "Command1"},    {"Command19", "Command27"},
                                     {"Command20", "Command26"}, {"Command18", "Command25"},
                                     {"Command21", "Command24"}, {"Command22", "Command23"}};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<QMainWindow> window_;
    Ui::frmsimplechart ui_;
    std::unique_ptr<QDialog> dialog_;
    Ui::frmselectprinter dlg_;

  private slots:
    void init()
    {
        window_ = std::make_unique<QMainWindow>();
        ui_.setupUi(window_.get());
        dialog_ = std::make_unique<QDialog>();
        dlg_.setupUi(dialog_.get());
    }
    void cleanup() { dialog_.reset(), window_.reset(); }

    void startState_data() { caseRows("window-start"); }
    // Caption, check state, visibility and place of each control before any
    // chart is built; the settings file is missing, so start-up stops early.
    void startState()
    {
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition, "unused", [&](frmsimplechart&) {
            s.platform.commandLine = s.path("missing.ini");
        });
        QCOMPARE(s.platform.messages, QStringList("Error finding ini file, check your setup."));
        const QString name = QTest::currentDataTag();
        QStringList seen, expected;
        for (const char* column : {"text", "checked", "shown", "usable", "in"})
            if (cell(column) != "*")
                seen << seenAs(w, name + (*column == 't' ? "" : QString('.') + column)),
                    expected << cell(column);
        QCOMPARE(seen, expected);
    }

    // Whole captions, and Tab in the order the dialog was designed with.
    void printerDialogCaptionsAndTabOrder()
    {
        for (QWidget* child : dialog_->findChildren<QWidget*>())
            QVERIFY2(captionWhole(child), qPrintable(child->objectName()));
        for (QWidget* printMode :
             std::initializer_list<QWidget*>{dlg_.Frame1, dlg_.Command2, dlg_.Text1})
            printMode->show();
        QStringList order;
        for (QWidget* w : tabChain(dialog_.get()))
            order << w->objectName();
        QCOMPARE(order, QStringList({"cboprinterlist", "Command1", "Command2", "Command3",
                                     "Option1", "Option2", "Text1"}));
    }

    // Every control the forms name, hidden ones too, has a name for screen
    // readers other than its placeholder caption; plain containers aside.
    // The chart is announced as a chart.
    void accessibleNames()
    {
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        int named = 0;
        for (QWidget* c : w.findChildren<QWidget*>() + dialog_->findChildren<QWidget*>()) {
            if (c->objectName().isEmpty() || c->objectName().startsWith("qt_") ||
                QAccessible::queryAccessibleInterface(c)->role() == QAccessible::Client)
                continue;
            const QString name = accessibleName(c);
            QVERIFY2(!name.trimmed().isEmpty() && name != c->objectName(),
                     qPrintable(c->objectName() + ": " + name));
            ++named;
        }
        QVERIFY(named > 100);
        QCOMPARE(QAccessible::queryAccessibleInterface(&w.context().pie)->role(),
                 QAccessible::Chart);
    }

    void tabFitsAndAccelerators_data()
    {
        QTest::addColumn<int>("tab");
        for (int i = 0; i < kTabButtons.size(); ++i)
            QTest::addRow("tab %d", i) << i;
    }
    // At its designed size the panel shows every tab caption and all of each
    // tab's content with whole captions; the "&" captions are working
    // accelerators answered only by the tab on show.
    void tabFitsAndAccelerators()
    {
        QFETCH(int, tab);
        ui_.SSTab1->setCurrentIndex(tab);
        ui_.SSTab1->show();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QTabBar* bar = ui_.SSTab1->tabBar();
        QVERIFY2(bar->tabRect(bar->count() - 1).right() < bar->width(), "last tab caption cut off");
        QWidget* page = ui_.SSTab1->widget(tab);
        QVERIFY(page->minimumSizeHint().width() <= page->width() &&
                page->minimumSizeHint().height() <= page->height());
        for (QWidget* child : page->findChildren<QWidget*>()) // Check1 is a bare box by design
            QVERIFY2(!child->isVisible() || child->objectName() == "Check1" ||
                         (captionWhole(child) &&
                          page->rect().contains(child->mapTo(page, child->rect().topLeft())) &&
                          page->rect().contains(child->mapTo(page, child->rect().bottomRight()))),
                     qPrintable(child->objectName()));

        // Tab moves on to a control to the right in the same band of rows,
        // or to one below.
        const QList<QWidget*> chain = tabChain(page);
        QVERIFY(chain.size() >= 3);
        for (int i = 1; i < chain.size(); ++i) {
            const QRect a(chain[i - 1]->mapTo(page, QPoint()), chain[i - 1]->size()),
                b(chain[i]->mapTo(page, QPoint()), chain[i]->size());
            QVERIFY2(b.top() >= a.bottom() - 2 || (b.top() < a.bottom() && b.bottom() > a.top() &&
                                                   b.left() >= a.right() - 2),
                     qPrintable(chain[i - 1]->objectName() + " -> " + chain[i]->objectName()));
        }

        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        std::map<QString, std::unique_ptr<QSignalSpy>> spies;
        for (QPushButton* button : ui_.SSTab1->findChildren<QPushButton*>())
            if (button->text().contains('&'))
                spies[button->objectName()] =
                    std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked);
        QCOMPARE(spies.size(), size_t(14));
        QList<std::pair<QString, Qt::Key>> presses{{kTabButtons[tab][0], Qt::Key_O},
                                                   {kTabButtons[tab][1], Qt::Key_C}};
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
