// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_window.h"

#include "backdrop.h"
#include "bevel_panel.h"
#include "fonts.h"
#include "frame_placement.h"
#include "game_text.h"
#include "keyboard_play.h"
#include "paint_box.h"
#include "pictures.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace zorvat {

namespace {

constexpr int ClientWidth = 415;
constexpr int ClientHeight = 277;
const QColor Navy(0, 0, 128);
const QColor GridBlue(0, 0, 160);
const QColor CellFrame(Qt::white);

QColor toQColor(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

BevelPanel* makeCaptionPanel(
    const QString& name, const QString& caption, QColor textColour, QRect geometry, QWidget* parent)
{
    auto* panel = new BevelPanel(name, Navy, parent);
    panel->setGeometry(geometry);
    panel->setFont(gameFont(19, true));
    panel->setCaptionColour(textColour);
    panel->setCaption(caption);
    return panel;
}

} // namespace

MainWindow::MainWindow(const Pictures& pictures, QWidget* parent)
    : QMainWindow(parent)
    , m_painter(pictures)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zorvat Ver1.00"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(gameFont(12));
    m_processPending = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };

    buildClientArea(pictures);
    buildMenu();
    buildKeys();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setTimerType(Qt::PreciseTimer);
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, &MainWindow::Timer1Fired);

    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    m_placement = new FramePlacement(*this, [this](QSize frame) { return centredOnScreen(frame); });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildClientArea(const Pictures& pictures)
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    // Larger than the client area on purpose: only its top-left part shows.
    auto* image1 = new Backdrop(QStringLiteral("Image1"), pictures, &PictureSet::backdrop, client);
    image1->setGeometry(0, 0, 417, 329);

    auto* panel1 = new BevelPanel(QStringLiteral("Panel1"), GridBlue, client);
    panel1->setGeometry(16, 64, 213, 207);
    panel1->setAccessibleName(tr("盤面"));
    panel1->setAccessibleDescription(tr("数字キーで顔を選び、矢印キーでマスを選び、スペースキーで置きます"));
    // The grid holds the keyboard from the start; while the cursor shows, its cell does.
    panel1->setFocusPolicy(Qt::TabFocus);
    m_grid = panel1;
    for (int n = 1; n <= CellCount; ++n) {
        const int r = (n - 1) / GridSide;
        const int c = (n - 1) % GridSide;
        auto* frame = new BevelPanel(QStringLiteral("Panel%1").arg(n + 8), CellFrame, panel1);
        frame->setGeometry(8 + 40 * c, 5 + 40 * r, 38, 38);
        auto* box = new PaintBox(QStringLiteral("PaintBox%1").arg(n + 5), frame);
        box->move(3, 3);
        connect(box, &PaintBox::clicked, this, [this, n] { cellClicked(n); });
        Cells[n] = box;
        m_cellFrames[n] = frame;
    }

    auto* panel2 = new BevelPanel(QStringLiteral("Panel2"), Navy, client);
    panel2->setGeometry(8, 8, 225, 49);
    panel2->setAccessibleName(tr("顔の選択"));
    const int frameLeft[] = { 0, 8, 51, 93, 136, 178 };
    for (int k = 1; k <= KindMax; ++k) {
        auto* frame = new BevelPanel(QStringLiteral("Panel%1").arg(k + 2), Qt::white, panel2);
        frame->setGeometry(frameLeft[k], 5, 40, 40);
        auto* box = new PaintBox(QStringLiteral("PaintBox%1").arg(k), frame);
        box->move(3, 3);
        box->setCheckable(true);
        box->setAccessibleName(CellNames::faceName(k));
        connect(box, &PaintBox::clicked, this, [this, box] { Q_EMIT PaintBox1Clicked(box->objectName()); });
        PalPanels[k] = frame;
        PalBoxes[k] = box;
    }

    m_button1 = new QPushButton(QStringLiteral("Open"), client);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setGeometry(235, 232, 86, 33);
    connect(m_button1, &QPushButton::clicked, this, &MainWindow::Button1Clicked);

    m_button2 = new QPushButton(QStringLiteral("OK"), client);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button2->setGeometry(328, 232, 81, 33);
    connect(m_button2, &QPushButton::clicked, this, &MainWindow::Button2Clicked);

    // A click leaves the keyboard where it was, on the grid or the cursor's cell; Tab reaches them.
    for (QPushButton* button : { m_button1, m_button2 })
        button->setFocusPolicy(Qt::TabFocus);

    m_pnSc = makeCaptionPanel(
        QStringLiteral("pn_sc"), QStringLiteral("0000"), QColor(255, 255, 0), QRect(328, 184, 81, 33), client);
    m_pnSc->setAccessibleDescription(tr("得点"));
    m_pnMon = makeCaptionPanel(
        QStringLiteral("pn_mon"), translatedGameText("1問目"), Qt::white, QRect(235, 184, 86, 33), client);
    m_pnMon->setAccessibleDescription(tr("問題"));

    setTabOrder(m_button1, m_button2);
    m_grid->setFocus();
}

void MainWindow::buildMenu()
{
    QMenu* g1 = menuBar()->addMenu(tr("ｹﾞｰﾑ(&G)"));
    g1->setObjectName(QStringLiteral("G1"));
    QAction* n1 = g1->addAction(tr("開始"));
    n1->setObjectName(QStringLiteral("N1"));
    n1->setShortcut(QKeySequence(Qt::Key_F2));
    connect(n1, &QAction::triggered, this, [this] {
        m_keyboard->newGame();
        Q_EMIT N1Clicked();
    });
    // "終了" carries no key of its own: F2 belongs to "開始" and must never close the window.
    QAction* exit1 = g1->addAction(tr("終了"));
    exit1->setObjectName(QStringLiteral("Exit1"));
    connect(exit1, &QAction::triggered, this, &QWidget::close);

    // Both act straight from the menu bar; neither opens a submenu.
    QAction* k1 = menuBar()->addAction(tr("記録(&K)"));
    k1->setObjectName(QStringLiteral("K1"));
    connect(k1, &QAction::triggered, this, &MainWindow::K1Clicked);
    QAction* help1 = menuBar()->addAction(tr("ﾍﾙﾌﾟ(&H)"));
    help1->setObjectName(QStringLiteral("Help1"));
    connect(help1, &QAction::triggered, this, &MainWindow::Help1Clicked);
}

void MainWindow::buildKeys()
{
    m_keyboard = new KeyboardPlay({ this, m_grid, &Cells, &m_cellFrames, { m_button1, m_button2 } });
    connect(m_keyboard, &KeyboardPlay::kindPicked, this,
        [this](int kind) { Q_EMIT PaintBox1Clicked(PalBoxes[kind]->objectName()); });
    connect(m_keyboard, &KeyboardPlay::cellToggled, this,
        [this](int cell) { Q_EMIT PaintBox6Clicked(Cells[cell]->objectName()); });
}

void MainWindow::cellClicked(int cell)
{
    m_keyboard->cellClicked(cell);
    Q_EMIT PaintBox6Clicked(Cells[cell]->objectName());
}

void MainWindow::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        m_placement->place();
    }
    QMainWindow::setVisible(visible);
}

QPoint MainWindow::centredOnScreen(QSize frame) const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return pos();
    const QRect area = s->geometry();
    const int left = std::max(0, (area.width() - frame.width()) / 2);
    const int top = std::max(0, (area.height() - frame.height()) / 2);
    return area.topLeft() + QPoint(left, top);
}

void MainWindow::DrawCellKind(int cell, int kind)
{
    if (cell >= 1 && cell <= CellCount) {
        m_painter.DrawCellKind(*Cells[cell], kind);
        m_cellNames.showsFace(cell, kind);
    }
}

void MainWindow::DrawCellEmpty(int cell)
{
    if (cell >= 1 && cell <= CellCount) {
        m_painter.DrawCellEmpty(*Cells[cell]);
        m_cellNames.showsEmpty(cell);
    }
}

void MainWindow::FillCellHidden(int cell)
{
    if (cell >= 1 && cell <= CellCount) {
        m_painter.FillCellHidden(*Cells[cell]);
        m_cellNames.showsHidden(cell);
    }
}

void MainWindow::DrawCellZoom(int cell, Picture picture, int step)
{
    if (cell >= 1 && cell <= CellCount) {
        m_painter.DrawCellZoom(*Cells[cell], cell, picture, step);
        m_cellNames.showsPicture(cell, picture);
    }
}

void MainWindow::paint_sel()
{
    for (int k = 1; k <= KindMax; ++k)
        m_painter.DrawCellKind(*PalBoxes[k], k);
}

void MainWindow::SetPaletteFrame(int kind, Rgb colour)
{
    if (kind >= 1 && kind <= KindMax) {
        PalPanels[kind]->setColour(toQColor(colour));
        // The red frame is the mark of the picked face.
        PalBoxes[kind]->setChecked(colour == Red);
    }
}

void MainWindow::ProcessPending()
{
    m_processPending();
}

void MainWindow::setProcessPending(std::function<void()> processPending)
{
    m_processPending = std::move(processPending);
}

void MainWindow::SetPanelText(Panel panel, const std::string& text)
{
    BevelPanel* target = panel == Panel::pn_mon ? m_pnMon : m_pnSc;
    target->setCaption(translatedGameText(text));
}

void MainWindow::SetButtonEnabled(Button button, bool on)
{
    (button == Button::Button1 ? m_button1 : m_button2)->setEnabled(on);
}

void MainWindow::StartHideTimer(int ms)
{
    // A new interval restarts a running period; enabling a running timer does not.
    if (m_timer1->interval() != ms)
        m_timer1->setInterval(ms);
    if (!m_timer1->isActive())
        m_timer1->start();
}

void MainWindow::StopHideTimer()
{
    m_timer1->stop();
}

} // namespace zorvat
