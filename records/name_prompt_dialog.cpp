#include "name_prompt_dialog.h"

#include <QInputDialog>

namespace zorvat {

std::string NamePromptDialog::askName()
{
    bool ok = false;
    const QString name = QInputDialog::getText(nullptr, QStringLiteral("ベストタイム更新"),
                                               QStringLiteral("ベストタイムを更新しました。名前を入力して下さい"),
                                               QLineEdit::Normal, QString(), &ok);
    return ok ? name.toStdString() : std::string();
}

} // namespace zorvat
