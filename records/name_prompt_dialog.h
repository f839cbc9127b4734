// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "name_prompt.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvat {

// The one-line input box "ベストタイム更新": a prompt, a name field that starts empty and the
// buttons "OK" (Enter) and "ｷｬﾝｾﾙ" (Esc, or the close box), named "prompt", "field", "okButton"
// and "cancelButton". Laid out in dialog units of its font in a fixed frame, centred on the screen.
class NameInputBox : public QDialog {
    Q_OBJECT

public:
    explicit NameInputBox(QWidget* parent = nullptr);

    /** The field's text, exactly as typed. */
    QString name() const;

    /** Pixels of `x` horizontal dialog units of `font`: a quarter of its average letter width. */
    static int dialogUnitsX(const QFont& font, int x);
    /** Pixels of `y` vertical dialog units of `font`: an eighth of its line height. */
    static int dialogUnitsY(const QFont& font, int y);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void layOut();

    QLabel* m_prompt = nullptr;
    QLineEdit* m_field = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// The name prompt of the high-score check: the input box, modal; "ｷｬﾝｾﾙ", Esc and the close box
// give the empty name.
class NamePromptDialog : public NamePrompt {
public:
    std::string askName() override;
};

} // namespace zorvat
