#pragma once

#include "TextSearchDialog.h"

// The replace dialog: the find dialog with a replacement text.
class TextReplaceDialog : public TextSearchDialog
{
    Q_OBJECT

public:
    explicit TextReplaceDialog(QWidget *parent = nullptr) : TextSearchDialog(parent, true) {}
};
