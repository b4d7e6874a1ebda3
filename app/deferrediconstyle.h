// SPDX-License-Identifier: GPL-3.0-or-later
// The application's style with its standard icons loaded on first use.
// Qt reads those icons from PNG files through QImageReader, which first
// loads every image format plugin (and libtiff, libjpeg, libwebp ...) to
// ask each whether it reads the file: the menu bar alone asks for its
// overflow arrow when it is made, a large share of the viewer's start. The
// icons stay the same; only the reading waits until an icon is drawn or
// measured.
#pragma once

#include <QProxyStyle>

class DeferredIconStyle : public QProxyStyle
{
  public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
