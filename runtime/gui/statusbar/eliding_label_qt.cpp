#include "runtime/gui/statusbar/eliding_label_qt.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

bool KSElidingLabel::elided() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void KSElidingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width());
    style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                          shown, foregroundRole());
}

bool KSElidingLabel::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QLabel::event(event);
    if (elided())
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
    else
        QToolTip::hideText();
    return true;
}
