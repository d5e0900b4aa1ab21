// A plain-text label for a status-bar field: a text too long for the field shows with its
// middle elided ("/home/.../music.mus"), so that both ends of a path stay readable, and the
// whole text as its tooltip. text() stays the whole text.
#pragma once

#include <QLabel>

class KSElidingLabel : public QLabel {
public:
    explicit KSElidingLabel(QWidget* parent) : QLabel(parent) {}

    // Whether the text is wider than the room the label gives it.
    bool elided() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};
