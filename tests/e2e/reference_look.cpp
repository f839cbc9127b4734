// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference_look.h"

#include "bevel_panel.h"
#include "main_window.h"
#include "pictures.h"
#include "records_window.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

namespace zorvat::e2e {

ReferenceLook::ReferenceLook()
    : m_main(std::make_unique<MainWindow>(Pictures::instance()))
    , m_records(std::make_unique<TForm2>(Pictures::instance()))
{
    // Lays the menu bar out across the window without showing anything on the screen.
    m_main->layout()->activate();
}

ReferenceLook::~ReferenceLook() = default;

QImage ReferenceLook::panel(Panel which, const QString& caption)
{
    auto* target
        = m_main->findChild<BevelPanel*>(which == Panel::pn_mon ? QStringLiteral("pn_mon") : QStringLiteral("pn_sc"));
    target->setCaption(caption);
    return target->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage ReferenceLook::records(
    const std::array<QString, 5>& scores, const std::array<QString, 5>& names, const QString& count)
{
    const auto show = [this](const QString& label, const QString& text) {
        auto* target = m_records->findChild<QLabel*>(label);
        target->setText(text);
        target->adjustSize();
    };
    for (int rank = 1; rank <= 5; ++rank) {
        show(QStringLiteral("lb_sc%1").arg(rank), scores[rank - 1]);
        show(QStringLiteral("lb_nm%1").arg(rank), names[rank - 1]);
    }
    show(QStringLiteral("lb_tp"), count);
    return m_records->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int ReferenceLook::menuBarHeight() const
{
    return m_main->menuBar()->height();
}

QRect ReferenceLook::menuEntry(const QString& name) const
{
    QMenuBar* bar = m_main->menuBar();
    QAction* action = name == QStringLiteral("G1") ? m_main->findChild<QMenu*>(name)->menuAction()
                                                   : m_main->findChild<QAction*>(name);
    return bar->actionGeometry(action).translated(bar->pos());
}

QRect ReferenceLook::exitEntry() const
{
    return m_main->findChild<QMenu*>(QStringLiteral("G1"))
        ->actionGeometry(m_main->findChild<QAction*>(QStringLiteral("Exit1")));
}

} // namespace zorvat::e2e
