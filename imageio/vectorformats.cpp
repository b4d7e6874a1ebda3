// SPDX-License-Identifier: GPL-3.0-or-later
#include "vectorformats.h"

#include <QBuffer>
#include <QDateTime>
#include <QHashSeed>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>

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

// Qt's PDF writer embeds its fonts in the order of a QHash keyed by font
// face, and a QHash's order follows the hash seed it was made with: a random
// one per process, unless the environment forces QT_HASH_SEED=0. The
// writer's hash is made at the first text drawn, so the drawing runs with
// Qt's fixed seed, and a new random one is drawn after it. The fixed seed
// covers the drawing only, where Qt hashes fonts, glyphs and images; the
// layout before it (Picture::prepare) hashes the chart's own texts, which
// must not be open to labels made to collide under a known seed.
class FixedHashSeed
{
  public:
    FixedHashSeed() { QHashSeed::setDeterministicGlobalSeed(); }
    ~FixedHashSeed()
    {
        if (!wasFixed_)
            QHashSeed::resetRandomGlobalSeed();
    }
    FixedHashSeed(const FixedHashSeed&) = delete;
    FixedHashSeed& operator=(const FixedHashSeed&) = delete;

  private:
    const bool wasFixed_ = size_t(QHashSeed::globalSeed()) == 0; // QT_HASH_SEED=0 stays
};

// The PDF's creation date as SOURCE_DATE_EPOCH gives it (seconds since
// 1970, UTC), so that builds that set it get the same file every time:
// "D:YYYYMMDDHHmmSSZ", an empty array when the variable is unset or empty,
// and false when its value is no such number.
bool sourceDate(QByteArray* date)
{
    date->clear();
    const QByteArray digits = qgetenv("SOURCE_DATE_EPOCH");
    if (digits.isEmpty())
        return true;
    constexpr qint64 kLastSecondOf9999 = 253402300799; // a PDF date has four-digit years
    bool ok = digits.size() <= 12 && std::all_of(digits.begin(), digits.end(),
                                                 [](char c) { return c >= '0' && c <= '9'; });
    const qint64 seconds = ok ? digits.toLongLong(&ok) : -1;
    if (!ok || seconds > kLastSecondOf9999)
        return false;
    *date = "D:" +
            QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
                .toString(QStringLiteral("yyyyMMddHHmmss"))
                .toLatin1() +
            'Z';
    return true;
}

// Puts `date` in place of the creation date Qt's writer gave the document
// (the clock's), moving the cross-reference table's offsets with it.
void setCreationDate(QByteArray* pdf, const QByteArray& date)
{
    const QByteArray key = "/CreationDate (";
    const qsizetype at = pdf->indexOf(key);
    const qsizetype end = at < 0 ? -1 : pdf->indexOf(')', at);
    if (end < 0)
        return;
    const qsizetype from = at + key.size();
    const qsizetype shift = date.size() - (end - from);
    pdf->replace(from, end - from, date);
    // The table: "xref", "0 N", then N entries of 20 bytes, offset first.
    const qsizetype xref = pdf->lastIndexOf("\nxref\n0 ");
    const qsizetype first = xref < 0 ? -1 : pdf->indexOf('\n', xref + 6) + 1;
    if (first <= 0)
        return;
    const qsizetype entries = pdf->mid(xref + 8, first - xref - 9).toLongLong();
    for (qsizetype i = 0; i < entries && first + i * 20 + 10 <= pdf->size(); ++i) {
        const qsizetype entry = first + i * 20;
        const qint64 offset = pdf->mid(entry, 10).toLongLong();
        if (offset > at)
            pdf->replace(entry, 10, QByteArray::number(offset + shift).rightJustified(10, '0'));
    }
    const QByteArray start = "\nstartxref\n";
    const qsizetype digits = pdf->lastIndexOf(start) + start.size();
    qsizetype past = digits;
    while (digits >= start.size() && past < pdf->size() && std::isdigit(uchar(pdf->at(past))))
        ++past;
    if (past > digits)
        pdf->replace(digits, past - digits,
                     QByteArray::number(pdf->mid(digits, past - digits).toLongLong() + shift));
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
    svg.setTitle(pictureText(picture.title).toHtmlEscaped()); // the generator does not escape it
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
    QByteArray date;
    if (!sourceDate(&date))
        return vp::Result::failure("SOURCE_DATE_EPOCH is not a whole number of seconds from 0 "
                                   "to 253402300799, as a PDF date needs");
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(dpi);
        pdf.setCreator(QStringLiteral("VELDRAPLOT"));
        pdf.setTitle(pictureText(picture.title));
        // The page is exactly the picture, without margins.
        const QPageSize page(QSizeF(picture.size) / dpi, QPageSize::Inch, QString(),
                             QPageSize::ExactMatch);
        if (!pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF())))
            return vp::Result::failure(
                QStringLiteral("PDF writer: a page of %1 x %2 pixels cannot be made")
                    .arg(picture.size.width())
                    .arg(picture.size.height())
                    .toStdString());
        if (picture.prepare)
            picture.prepare();
        const FixedHashSeed seed;
        picture.paint(&pdf);
    } // the writer is done with the buffer
    if (!date.isEmpty())
        setCreationDate(bytes, date);
    return nothingDrawn("PDF", *bytes);
}

} // namespace imageio
