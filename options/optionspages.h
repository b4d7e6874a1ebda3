// SPDX-License-Identifier: GPL-3.0-or-later
// The six pages of the options panel, one form each. A page only shows its
// controls: the panel puts the pages together in tab order and runs the
// handlers of every control. Include only inside options/, where the forms'
// generated headers are found.
#pragma once

#include "ui_baroptionspage.h"
#include "ui_coloroptionspage.h"
#include "ui_fontspage.h"
#include "ui_imagepage.h"
#include "ui_labelspage.h"
#include "ui_pieoptionspage.h"

#include <QTabWidget>
#include <QWidget>

// A page joins its tab widget before its form makes the controls: they are
// then made, and their texts laid out, where they are shown, rather than
// laid out again when the page moves there.
template <class Form> class OptionsPage : public QWidget, public Form
{
  public:
    OptionsPage(QTabWidget* tabs, const QString& caption)
    {
        tabs->addTab(this, caption);
        Form::setupUi(this);
    }
};

// "Labels ": the chart's texts and the legend position.
class LabelsPage : public OptionsPage<Ui::LabelsPage>
{
    using OptionsPage::OptionsPage;
};

// "Pie Chart Options": label placement, pulled-out slices, shown values.
class PieOptionsPage : public OptionsPage<Ui::PieOptionsPage>
{
    using OptionsPage::OptionsPage;
};

// "Color Options": category colours, palettes and the chart-wide colours.
class ColorOptionsPage : public OptionsPage<Ui::ColorOptionsPage>
{
    using OptionsPage::OptionsPage;
};

// "Bar Chart Options": orientation, stacking, spacing and the reference line.
class BarOptionsPage : public OptionsPage<Ui::BarOptionsPage>
{
    using OptionsPage::OptionsPage;
};

// "Image": the background picture.
class ImagePage : public OptionsPage<Ui::ImagePage>
{
    using OptionsPage::OptionsPage;
};

// "Fonts": the six chart fonts and the colour of the value numbers.
class FontsPage : public OptionsPage<Ui::FontsPage>
{
    using OptionsPage::OptionsPage;
};
