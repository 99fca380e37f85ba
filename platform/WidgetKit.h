#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The pieces of the fixed-size windows and dialogs, placed by pixel in the
// window font. Every label shows its text as typed: a file name, a path or a
// comment is never taken for markup.
namespace WidgetKit {

// A caption sized to its text, its top-left corner at `at`.
QLabel *label(QWidget *parent, const char *name, const QString &text, const QPoint &at);
// A caption of fixed place and size.
QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
// A label of fixed place and size for a value, in `colour` (blue unless told).
QLabel *valueLabel(QWidget *parent, const char *name, const QRect &geometry, const QColor &colour = Qt::blue);
// A push button (in a dialog it becomes the default while focused, as Qt's do).
QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);
// Shows a name (a file name, a player name, a path) in a label of fixed
// width: whole when it fits, else shortened with "…" and whole in the tip.
// Numbers are never shortened: their labels are made wide enough.
void setNameText(QLabel *label, const QString &text, Qt::TextElideMode mode = Qt::ElideRight);
// Shows a text that must never be shortened (a number, a list of fixed
// words) in a label placed by pixel: the label keeps its designed width while
// the text fits and otherwise widens to the right as far as the text needs.
void setWholeText(QLabel *label, const QString &text);
// True when the label shows its whole text within its width.
bool showsWhole(const QLabel *label);
// Text colour of a label.
void setTextColour(QLabel *label, const QColor &colour);
// The window's background in the face colour of buttons; the background role
// stays Window, so labels keep drawing with WindowText.
void useButtonFace(QWidget *window);

} // namespace WidgetKit
