// SPDX-License-Identifier: GPL-3.0-or-later
#include "records_window.h"

#include "fonts.h"
#include "frame_placement.h"
#include "high_scores.h"
#include "pictures.h"
#include "title_room.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace zorvat {

namespace {

// The label rows stand against the rank words painted into the background.
constexpr int RowTops[TForm2::Ranks] = { 4, 40, 77, 113, 149 };
constexpr int ScoreLeft = 40;
constexpr int NameLeft = 88;

// A label that draws only its text, left-aligned on one line, so the background shows
// around and between the letters; it grows to fit whatever text it gets.
QLabel* makeLabel(QWidget* parent, const char* name, QPoint at, int pixelHeight, QColor colour, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(gameFont(pixelHeight, true));
    label->setAutoFillBackground(false);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

TForm2::TForm2(const Pictures& pictures, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_pictures(pictures)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(tr("記録"));
    setFont(gameFont(12));
    // Where the window's own title bar needs more room, more of the background shows.
    setFixedSize(widthForTitle(*this, 144), 200);
    setSizeGripEnabled(false);

    // The background is wider than the window; only its left 144 pixels show under X.
    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    showBackground();
    m_image1->move(0, 0);
    m_image1->adjustSize();

    const QColor white(255, 255, 255);
    const QColor aqua(0, 255, 255);
    const char* scoreNames[Ranks] = { "lb_sc1", "lb_sc2", "lb_sc3", "lb_sc4", "lb_sc5" };
    const char* nameNames[Ranks] = { "lb_nm1", "lb_nm2", "lb_nm3", "lb_nm4", "lb_nm5" };
    for (int i = 0; i < Ranks; ++i) {
        lb_sc[i] = makeLabel(this, scoreNames[i], QPoint(ScoreLeft, RowTops[i]), 16, white, QStringLiteral("0000"));
        lb_nm[i] = makeLabel(this, nameNames[i], QPoint(NameLeft, RowTops[i]), 13, aqua, QString());
    }
    makeLabel(this, "Label6", QPoint(0, 186), 11, QColor(255, 255, 0), tr("ゲーム回数:"));
    lb_tp = makeLabel(this, "lb_tp", QPoint(64, 182), 16, white, QStringLiteral("0"));

    auto* button1 = new QPushButton(QStringLiteral("OK"), this);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setFont(gameFont(12, true));
    button1->setGeometry(96, 168, 43, 27);
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    // A main window at the right of the screen pushes this one off it, and nothing brings it back.
    m_placement = new FramePlacement(*this, [this](QSize) {
        if (!m_mainWindow)
            return pos();
        const QRect outer = m_mainWindow->frameGeometry();
        return QPoint(outer.left() + outer.width(), outer.top());
    });
}

void TForm2::fill(const HighScores& table, const QWidget& mainWindow)
{
    for (int i = 0; i < Ranks; ++i) {
        lb_sc[i]->setText(scoreText(table.HiScore[i + 1]));
        lb_sc[i]->adjustSize();
        lb_nm[i]->setText(QString::fromStdString(table.HiName[i + 1]));
        lb_nm[i]->adjustSize();
    }
    lb_tp->setText(QString::number(table.PlayCount));
    lb_tp->adjustSize();
    m_mainWindow = &mainWindow;
}

void TForm2::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        m_placement->place();
        showBackground();
    }
    QDialog::setVisible(visible);
}

void TForm2::showBackground()
{
    // The window may open on another screen than last time, of another density.
    m_image1->setPixmap(QPixmap::fromImage(m_pictures.forRatio(devicePixelRatio()).recordsBackground));
}

QString TForm2::scoreText(int score)
{
    return (QStringLiteral("0000") + QString::number(score)).right(4);
}

void TForm2::Button1Click()
{
    accept();
}

} // namespace zorvat
