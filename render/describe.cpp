// SPDX-License-Identifier: GPL-3.0-or-later
#include "describe.h"

#include "axischart.h"
#include "frmsimplechart.h"
#include "piechart.h"
#include "qtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QListWidget>

namespace render
{
namespace
{

QString hexColour(vp::Colour c)
{
    return QStringLiteral("#%1%2%3")
        .arg(vp::redOf(c), 2, 16, QLatin1Char('0'))
        .arg(vp::greenOf(c), 2, 16, QLatin1Char('0'))
        .arg(vp::blueOf(c), 2, 16, QLatin1Char('0'));
}

QJsonObject describeCommon(const ChartComponent& chart)
{
    return {{"Visible", chart.Visible()},
            {"Caption", chart.Caption()},
            {"LegendTitle", chart.LegendTitle()},
            {"LegendPos", chart.LegendPos()},
            {"ShowLegend", chart.ShowLegend()},
            {"BackColor", hexColour(chart.BackColor())},
            {"Left", chart.Left()},
            {"Top", chart.Top()},
            {"Width", chart.Width()},
            {"Height", chart.Height()}};
}

QJsonObject describePie(PieChart& pie)
{
    QJsonObject json = describeCommon(pie);
    json["PieLabelMode"] = pie.PieLabelMode();
    QJsonArray items;
    for (int i = 1; i <= pie.Items().Count(); ++i) {
        const PieItem& item = pie.Items().Item(i);
        items.append(QJsonObject{{"label", item.Label()},
                                 {"value", item.Value()},
                                 {"Color", hexColour(item.Color())},
                                 {"Exploded", item.Exploded()},
                                 {"FillMode", item.FillMode()}});
    }
    json["Items"] = items;
    return json;
}

QJsonObject describeBar(AxisChart& bar)
{
    QJsonObject json = describeCommon(bar);
    json["ItemAxisLabel"] = bar.ItemAxisLabel();
    json["UnitAxisLabel"] = bar.UnitAxisLabel();
    json["BarStackingMode"] = bar.BarStackingMode();
    json["Orientation"] = bar.Orientation();
    json["SeriesBarSpacing"] = bar.SeriesBarSpacing();
    json["ShowUnitAxisGridLines"] = bar.ShowUnitAxisGridLines();
    QJsonArray series;
    for (int k = 1; k <= bar.Series().Count(); ++k) {
        const BarSeries& s = bar.Series().Item(k);
        QJsonArray values;
        for (int i = 1; i <= s.Values().Count(); ++i)
            values.append(QJsonObject{{"label", s.Values().Item(i).label},
                                      {"value", s.Values().Item(i).value}});
        series.append(
            QJsonObject{{"name", s.Name()}, {"Color", hexColour(s.Color())}, {"Values", values}});
    }
    json["Series"] = series;
    return json;
}

// A control of the window's form by its name; the form always has it.
template <class T> const T& control(const frmsimplechart& window, const char* name)
{
    const T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("The window has no control %s", name);
    return *found;
}

// The options panel's controls, by their names.
QJsonObject describePanel(const frmsimplechart& w)
{
    const auto& combo1 = control<QComboBox>(w, "Combo1");
    const auto& list1 = control<QListWidget>(w, "List1");
    QJsonArray combo, list;
    for (int i = 0; i < combo1.count(); ++i)
        combo.append(combo1.itemText(i));
    for (int i = 0; i < list1.count(); ++i)
        list.append(list1.item(i)->text());
    return {{"txtCaption", control<QLineEdit>(w, "txtCaption").text()},
            {"Text1", control<QLineEdit>(w, "Text1").text()},
            {"Combo1", combo},
            {"Combo1Text", combo1.currentText()},
            {"List1", list},
            {"Frame3Visible", !control<QWidget>(w, "Frame3").isHidden()},
            {"chknolegend", control<QCheckBox>(w, "chknolegend").isChecked()}};
}

} // namespace

QJsonObject describe(const frmsimplechart& w)
{
    const vp::ChartState& state = w.context().state;
    return {{"chartKind", toQ(state.chartKindText)},   {"chartTitle", toQ(state.chartTitle)},
            {"chartCaption", toQ(state.chartCaption)}, {"rowCount", state.rowCount},
            {"seriesCount", state.seriesCount},        {"pie", describePie(w.context().pie)},
            {"bar", describeBar(w.context().bar)},     {"panel", describePanel(w)}};
}

} // namespace render
