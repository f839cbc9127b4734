// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QValidator>

namespace zorvat {

// Keeps the name field to what the settings file holds exactly as typed: control characters
// (a line break would split the file's line) and characters that code page 932 lacks are
// refused; a character that code page 932 holds only in another form (the wave dash an input
// method commits, say) is shown in the form the file will give back; and the name stops at
// 255 bytes as code page 932 counts them, an over-long insertion being cut at its end.
class NameValidator : public QValidator {
    Q_OBJECT

public:
    /** The longest name, in code page 932 bytes. */
    static constexpr int MaxBytes = 255;

    using QValidator::QValidator;

    /** Always Acceptable: the text is corrected in place and the cursor moved with it. */
    State validate(QString& input, int& pos) const override;
};

} // namespace zorvat
