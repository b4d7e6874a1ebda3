// SPDX-License-Identifier: GPL-3.0-or-later
// Pie and bar options that only collect choices: the outside-slice list,
// the background image file and the reference-line entries.
#include "optionspages.h"
#include "optionspanel.h"

#include "optionshelpers.h"
#include "qtext.h"

#include <algorithm>

namespace
{

bool listHolds(const QListWidget* list, const QString& text)
{
    for (int j = 0; j < list->count(); ++j)
        if (list->item(j)->text() == text)
            return true;
    return false;
}

} // namespace

void OptionsPanel::Command3_Click()
{
    // Selected labels go over in slice order, each at most once.
    const int rows = std::min<int>(state().rowCount, pieOptions_->List1->count());
    for (int i = 1; i <= rows; ++i) {
        const QListWidgetItem* entry = pieOptions_->List1->item(i - 1);
        if (entry->isSelected() && !listHolds(pieOptions_->List2, entry->text()))
            pieOptions_->List2->addItem(entry->text());
    }
}

void OptionsPanel::Command4_Click()
{
    const int row = pieOptions_->List2->currentRow();
    if (row >= 0)
        delete pieOptions_->List2->takeItem(row);
}

void OptionsPanel::Command10_Click()
{
    fileDialog().DialogTitle = QStringLiteral("Open File");
    fileDialog().InitDir = toQ(state().appFolder);
    fileDialog().Filter =
        QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|All files (*.*)|*.*");
    fileDialog().FilterIndex = 1;
    fileDialog().Flags =
        cdlOFNHideReadOnly | cdlOFNFileMustExist | cdlOFNExplorer | cdlOFNLongNames;

    const DialogOutcome outcome = platform().ShowOpen(fileDialog());
    if (outcome.error == kDialogCancelled)
        return;
    if (outcome.error != kDialogOk) {
        platform().MsgBox(dialogErrorMessage(outcome, "file"));
        return;
    }
    // The image is shown only once "Show Background Image" is checked and Ok
    // is pressed.
    state().backImagePath = fromQ(fileDialog().FileName);
    image_->Text4->setText(fileDialog().FileName);
}

void OptionsPanel::Command41_Click()
{
    // A number outside the table stores nothing, as the Color button does.
    int k = 0;
    if (!options::leadingNumber(barOptions_->Combo3->currentText(), 0, options::kLastReferenceLine,
                                k))
        return;
    state().refLineLabels[k] = fromQ(barOptions_->Text22->text());
    state().refLineValues[k] = fromQ(barOptions_->Text21->text());
    state().refLineColors[k] = swatchColour(barOptions_->Picture12);
}
