// SPDX-License-Identifier: GPL-3.0-or-later
// Texts from the input files are bytes. This is the one place where they
// become QString: as UTF-8 when the text is valid UTF-8, otherwise as
// Windows-1252 (the host's code page), so that no label turns into nothing.
// Windows-1252 is Latin-1 with printable characters at 0x80..0x9F; its five
// unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of
// the same value, so every byte still maps to one character.
#pragma once

#include <QString>
#include <QStringDecoder>
#include <string>

inline QString fromWindows1252(const char* bytes, qsizetype size)
{
    static constexpr char16_t k80to9F[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text(size, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(b >= 0x80 && b <= 0x9F ? k80to9F[b - 0x80] : char16_t(b));
    }
    return text;
}

inline QString toQ(const std::string& bytes)
{
    const auto size = static_cast<qsizetype>(bytes.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), size));
    if (utf8.hasError())
        text = fromWindows1252(bytes.data(), size);
    return text;
}

inline std::string fromQ(const QString& text)
{
    return text.toStdString();
}
