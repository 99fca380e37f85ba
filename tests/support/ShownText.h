#pragma once

#include <QLabel>
#include <QString>
#include <QTextDocument>

// The text a tooltip shows for this string: Qt reads it as rich text when it
// looks like markup (Qt::mightBeRichText), else as plain text.
inline QString shownText(const QString &text, Qt::TextFormat format = Qt::AutoText)
{
    QTextDocument document;
    if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text)))
        document.setHtml(text);
    else
        document.setPlainText(text);
    return document.toPlainText();
}

// The text a label shows, read as its format has it.
inline QString shownText(const QLabel *label)
{
    return shownText(label->text(), label->textFormat());
}
