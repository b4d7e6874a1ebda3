// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtplatform.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QScreen>

QtPlatform::QtPlatform(std::string programFolder, std::string commandLine)
    : programFolder_(std::move(programFolder)), commandLine_(std::move(commandLine))
{
}

QtPlatform::~QtPlatform() = default;

void QtPlatform::MsgBox(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VELDRAPLOT"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

DialogOutcome QtPlatform::ShowColor(ColorDialogState& dialog)
{
    const QColor chosen = QColorDialog::getColor(Qt::white, QApplication::activeWindow());
    if (!chosen.isValid())
        return {kDialogCancelled, QStringLiteral("Cancel was selected.")};
    dialog.Color = chosen;
    return {};
}

DialogOutcome QtPlatform::ShowFont(FontDialogState& dialog)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, QApplication::activeWindow());
    if (!ok)
        return {kDialogCancelled, QStringLiteral("Cancel was selected.")};
    dialog.FontName = font.family();
    dialog.FontSize = font.pointSizeF();
    dialog.FontBold = font.bold();
    dialog.FontItalic = font.italic();
    dialog.FontUnderline = font.underline();
    dialog.FontStrikethru = font.strikeOut();
    return {};
}

QStringList QtPlatform::nameFilters(const QString& filter)
{
    // "Image Files(*.BMP;*.JPG)|*.BMP;*.JPG|All files (*.*)|*.*"
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Match the upper-case patterns whatever the case of the file name.
        QStringList both;
        for (const QString& p : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            both << p;
            if (p.toLower() != p)
                both << p.toLower();
        }
        filters << QStringLiteral("%1 (%2)").arg(parts[i], both.join(QLatin1Char(' ')));
    }
    return filters;
}

DialogOutcome QtPlatform::showFileDialog(FileDialogState& dialog, bool save)
{
    QFileDialog fd(QApplication::activeWindow(), dialog.DialogTitle, dialog.InitDir);
    fd.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fd.setFileMode(save ? QFileDialog::AnyFile
                        : (dialog.Flags & cdlOFNFileMustExist ? QFileDialog::ExistingFile
                                                              : QFileDialog::AnyFile));
    // The program asks no overwrite question of its own and adds no extension.
    // Qt's own dialog returns the name as typed, blanks included; the filter
    // list shows each filter's own text without Qt's pattern list after it.
    fd.setOption(QFileDialog::DontUseNativeDialog, true);
    fd.setOption(QFileDialog::DontConfirmOverwrite, true);
    fd.setOption(QFileDialog::ReadOnly, false);
    fd.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = nameFilters(dialog.Filter);
    if (!filters.isEmpty()) {
        fd.setNameFilters(filters);
        const int index = qBound(1, dialog.FilterIndex, static_cast<int>(filters.size())) - 1;
        fd.selectNameFilter(filters[index]);
    }
    if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty()) {
        dialog.FileName.clear();
        return {kDialogCancelled, QStringLiteral("Cancel was selected.")};
    }
    dialog.FileName = QDir::toNativeSeparators(fd.selectedFiles().constFirst());
    return {};
}

DialogOutcome QtPlatform::ShowOpen(FileDialogState& dialog)
{
    return showFileDialog(dialog, false);
}

DialogOutcome QtPlatform::ShowSave(FileDialogState& dialog)
{
    return showFileDialog(dialog, true);
}

void QtPlatform::ShowModal(QDialog& dialog)
{
    // Runs until the dialog is hidden (Print) or closed (Select, Cancel).
    if (!ended_)
        dialog.exec();
}

static QScreen* screen()
{
    return QGuiApplication::primaryScreen();
}

double QtPlatform::TwipsPerPixelX() const
{
    QScreen* s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchX() : 15.0;
}

double QtPlatform::TwipsPerPixelY() const
{
    QScreen* s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchY() : 15.0;
}

double QtPlatform::ScreenWidthTwips() const
{
    QScreen* s = screen();
    return s ? s->geometry().width() * TwipsPerPixelX() : 28800.0;
}

double QtPlatform::ScreenHeightTwips() const
{
    QScreen* s = screen();
    return s ? s->geometry().height() * TwipsPerPixelY() : 16200.0;
}

void QtPlatform::EndProgram(int status)
{
    ended_ = true;
    status_ = status;
    QApplication::closeAllWindows();
    QCoreApplication::exit(status);
}

void QtPlatform::ResetMousePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
