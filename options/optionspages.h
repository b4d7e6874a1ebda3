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

#include <QWidget>

// "Labels ": the chart's texts and the legend position.
class LabelsPage : public QWidget, public Ui::LabelsPage
{
  public:
    LabelsPage() { setupUi(this); }
};

// "Pie Chart Options": label placement, pulled-out slices, shown values.
class PieOptionsPage : public QWidget, public Ui::PieOptionsPage
{
  public:
    PieOptionsPage() { setupUi(this); }
};

// "Color Options": category colours, palettes and the chart-wide colours.
class ColorOptionsPage : public QWidget, public Ui::ColorOptionsPage
{
  public:
    ColorOptionsPage() { setupUi(this); }
};

// "Bar Chart Options": orientation, stacking, spacing and the reference
// line.
class BarOptionsPage : public QWidget, public Ui::BarOptionsPage
{
  public:
    BarOptionsPage() { setupUi(this); }
};

// "Image": the background picture.
class ImagePage : public QWidget, public Ui::ImagePage
{
  public:
    ImagePage() { setupUi(this); }
};

// "Fonts": the six chart fonts and the colour of the value numbers.
class FontsPage : public QWidget, public Ui::FontsPage
{
  public:
    FontsPage() { setupUi(this); }
};
