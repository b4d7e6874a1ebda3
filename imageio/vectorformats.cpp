#include "vectorformats.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace imageio
{
namespace
{

// One unit of the drawing is one pixel of the same chart as a picture, at
// the density the layout's fonts were measured at: texts keep their size
// and place, and a viewer at that density shows the chart at the picture's
// size.
int screenDpi()
{
    return QImage(1, 1, QImage::Format_RGB32).logicalDpiX();
}

vp::Result nothingDrawn(const char* writer, const QByteArray& bytes)
{
    if (!bytes.isEmpty())
        return {};
    return vp::Result::failure(std::string(writer) + " writer: nothing was drawn");
}

} // namespace

vp::Result encodeSvg(const Picture& picture, QByteArray* bytes)
{
    const QSize size = picture.size;
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(screenDpi());
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(picture.title.toHtmlEscaped()); // the generator does not escape it
    svg.setDescription(QStringLiteral("Chart drawn by VELDRAPLOT"));
    picture.paint(&svg);
    // The generator states the size in millimetres, which a renderer may
    // round up to one more pixel; in pixels it is exact.
    const QByteArray stated = "<svg width=\"" + QByteArray::number(size.width()) + "\" height=\"" +
                              QByteArray::number(size.height()) + "\"";
    const int start = bytes->indexOf("<svg width=\"");
    const int end = start < 0 ? -1 : bytes->indexOf('\n', start);
    if (end > start)
        bytes->replace(start, end - start, stated);
    return nothingDrawn("SVG", *bytes);
}

vp::Result encodePdf(const Picture& picture, QByteArray* bytes)
{
    const int dpi = screenDpi();
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(dpi);
        pdf.setCreator(QStringLiteral("VELDRAPLOT"));
        pdf.setTitle(picture.title);
        // The page is exactly the picture, without margins.
        const QPageSize page(QSizeF(picture.size) / dpi, QPageSize::Inch, QString(),
                             QPageSize::ExactMatch);
        if (!pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF())))
            return vp::Result::failure(
                QStringLiteral("PDF writer: a page of %1 x %2 pixels cannot be made")
                    .arg(picture.size.width())
                    .arg(picture.size.height())
                    .toStdString());
        picture.paint(&pdf);
    } // the writer is done with the buffer
    return nothingDrawn("PDF", *bytes);
}

} // namespace imageio
