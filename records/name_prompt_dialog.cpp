// SPDX-License-Identifier: GPL-3.0-or-later
#include "name_prompt_dialog.h"

#include "name_validator.h"
#include "title_room.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace zorvat {

namespace {

// Client area, prompt, field and buttons, in dialog units.
constexpr int ClientWidth = 180;
constexpr int ClientHeight = 63;
constexpr int Margin = 8;
constexpr int FieldTop = 19;
constexpr int FieldWidth = 164;
constexpr int ButtonTop = 41;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;
constexpr int OkLeft = 38;
constexpr int CancelLeft = 92;

int roundedDiv(int a, int b)
{
    return (a + b / 2) / b;
}

} // namespace

NameInputBox::NameInputBox(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(tr("ベストタイム更新"));
    m_prompt = new QLabel(tr("ベストタイムを更新しました。名前を入力して下さい"), this);
    m_prompt->setObjectName(QStringLiteral("prompt"));
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("field"));
    m_field->setValidator(new NameValidator(m_field));
    m_field->setAttribute(Qt::WA_InputMethodEnabled);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    layOut();
    m_field->setFocus();
}

QString NameInputBox::name() const
{
    return m_field->text();
}

int NameInputBox::dialogUnitsX(const QFont& font, int x)
{
    const QFontMetrics metrics(font);
    const int average
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    return roundedDiv(x * average, 4);
}

int NameInputBox::dialogUnitsY(const QFont& font, int y)
{
    return roundedDiv(y * QFontMetrics(font).height(), 8);
}

void NameInputBox::layOut()
{
    const QFont f = font();
    const auto dx = [&f](int x) { return dialogUnitsX(f, x); };
    const auto dy = [&f](int y) { return dialogUnitsY(f, y); };
    m_prompt->adjustSize();
    m_prompt->move(dx(Margin), dy(Margin));
    m_field->setGeometry(dx(Margin), dy(FieldTop), dx(FieldWidth), m_field->sizeHint().height());
    m_ok->setGeometry(dx(OkLeft), dy(ButtonTop), dx(ButtonWidth), dy(ButtonHeight));
    m_cancel->setGeometry(dx(CancelLeft), dy(ButtonTop), dx(ButtonWidth), dy(ButtonHeight));
    setFixedSize(widthForTitle(*this, dx(ClientWidth)), dy(ClientHeight));
}

void NameInputBox::showEvent(QShowEvent* event)
{
    // Centred on the screen, not on the game's window.
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->geometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

std::string NamePromptDialog::askName()
{
    NameInputBox box;
    return box.exec() == QDialog::Accepted ? box.name().toStdString() : std::string();
}

} // namespace zorvat
