// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "name_prompt.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvat {

// The one-line input box "ベストタイム更新": a prompt, a name field that starts empty and the
// buttons "OK" (Enter) and "ｷｬﾝｾﾙ" (Esc, or the close box). Laid out in dialog units of its font
// in a fixed frame, centred on the screen.
class NameInputBox : public QDialog {
    Q_OBJECT

public:
    explicit NameInputBox(QWidget* parent = nullptr);

    /** The field's text, exactly as typed. */
    QString name() const;

    QLabel* prompt() const { return m_prompt; }
    QLineEdit* field() const { return m_field; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

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

// The name prompt of the high-score check: the input box, modal.
class NamePromptDialog : public NamePrompt {
public:
    /** The name typed, on "OK"; the empty text on "ｷｬﾝｾﾙ", Esc or the close box. */
    std::string askName() override;
};

} // namespace zorvat
