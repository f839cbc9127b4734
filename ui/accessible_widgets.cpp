// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessible_widgets.h"

#include "bevel_panel.h"
#include "paint_box.h"

#include <QAccessibleWidget>

namespace zorvat {

namespace {

class AccessiblePaintBox : public QAccessibleWidget {
public:
    explicit AccessiblePaintBox(PaintBox* box)
        : QAccessibleWidget(box)
    {
    }

    // Asked afresh each time: the window makes a box a choice only after the box is made.
    QAccessible::Role role() const override
    {
        return box()->isCheckable() ? QAccessible::RadioButton : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (box()->isCheckable()) {
            state.checkable = true;
            state.checked = box()->isChecked();
        }
        return state;
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            box()->click();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    PaintBox* box() const { return static_cast<PaintBox*>(widget()); }
};

class AccessibleBevelPanel : public QAccessibleWidget {
public:
    explicit AccessibleBevelPanel(BevelPanel* panel)
        : QAccessibleWidget(panel)
    {
    }

    QAccessible::Role role() const override
    {
        return panel()->caption().isEmpty() ? QAccessible::Pane : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return panel()->caption();
        return QAccessibleWidget::text(t);
    }

private:
    BevelPanel* panel() const { return static_cast<BevelPanel*>(widget()); }
};

QAccessibleInterface* gameWidget(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<PaintBox*>(object))
        return new AccessiblePaintBox(box);
    if (auto* panel = qobject_cast<BevelPanel*>(object))
        return new AccessibleBevelPanel(panel);
    return nullptr;
}

} // namespace

void installAccessibleWidgets()
{
    QAccessible::installFactory(gameWidget);
}

} // namespace zorvat
