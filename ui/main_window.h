// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cell_names.h"
#include "cell_painter.h"
#include "game_view.h"

#include <QMainWindow>

#include <array>
#include <functional>

class QPushButton;
class QTimer;

namespace zorvat {

class BevelPanel;
class Backdrop;
class FramePlacement;
class KeyboardPlay;
class PaintBox;

// The main window: palette, grid, question and score panels, "Open" and "OK" over the
// backdrop, the menu bar and the hide timer. It shows what the game tells it through
// GameView and reports every event as a signal; it holds no game rules. Every control
// carries its design name as its object name ("Button1", "PaintBox6", "pn_sc", "N1", ...).
// The keyboard plays through the same signals as the mouse (KeyboardPlay); every cell and palette
// face is named after what it shows, for a screen reader.
class MainWindow : public QMainWindow, public GameView {
    Q_OBJECT
public:
    explicit MainWindow(const Pictures& pictures, QWidget* parent = nullptr);
    ~MainWindow() override;

    // GameView
    void DrawCellKind(int cell, int kind) override;
    void DrawCellEmpty(int cell) override;
    void FillCellHidden(int cell) override;
    void DrawCellZoom(int cell, Picture picture, int step) override;
    void paint_sel() override;
    void SetPaletteFrame(int kind, Rgb colour) override;
    void ProcessPending() override;
    void SetPanelText(Panel panel, const std::string& text) override;
    void SetButtonEnabled(Button button, bool on) override;
    void StartHideTimer(int ms) override;
    void StopHideTimer() override;

    /** Replaces how pending messages are handled (the shell keeps the idle step out of it). */
    void setProcessPending(std::function<void()> processPending);

    /** The first showing centres the window on the screen, frame and title bar counted; afterwards it stays
        where the player puts it. */
    void setVisible(bool visible) override;

Q_SIGNALS:
    void N1Clicked();
    void K1Clicked();
    void Help1Clicked();
    void Button1Clicked();
    void Button2Clicked();
    void Timer1Fired();
    /** A palette box was clicked; the argument is the box's name. */
    void PaintBox1Clicked(const QString& boxName);
    /** A grid box was clicked; the argument is the box's name. */
    void PaintBox6Clicked(const QString& boxName);

private:
    void buildClientArea(const Pictures& pictures);
    void buildMenu();
    void buildKeys();
    QPoint centredOnScreen(QSize frame) const;
    void cellClicked(int cell);

    CellPainter m_painter;
    std::array<PaintBox*, 26> Cells {};
    std::array<BevelPanel*, 26> m_cellFrames {}; // Panel9 .. Panel33
    CellNames m_cellNames { Cells };
    BevelPanel* m_grid = nullptr; // Panel1
    KeyboardPlay* m_keyboard = nullptr; // owned by the window
    std::array<PaintBox*, 6> PalBoxes {};
    std::array<BevelPanel*, 6> PalPanels {};
    BevelPanel* m_pnMon = nullptr;
    BevelPanel* m_pnSc = nullptr;
    QPushButton* m_button1 = nullptr;
    QPushButton* m_button2 = nullptr;
    QTimer* m_timer1 = nullptr;
    std::function<void()> m_processPending;
    FramePlacement* m_placement = nullptr; // owned by the window
    bool m_placed = false;
};

} // namespace zorvat
