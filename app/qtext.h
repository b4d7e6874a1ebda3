// Texts from the definition file are bytes. Show them as UTF-8 when they are
// valid UTF-8, otherwise as Latin-1, so that no label turns into nothing.
#pragma once

#include <QString>
#include <QStringDecoder>
#include <string>

inline QString toQ(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError())
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text;
}

inline std::string fromQ(const QString& text)
{
    return text.toStdString();
}
