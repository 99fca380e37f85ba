#pragma once

#include <QString>
#include <QTextDocument>

// The text a tooltip or an automatic-format label shows for this string:
// Qt reads it as rich text when it looks like markup (Qt::mightBeRichText),
// as plain text otherwise.
inline QString shownText(const QString &text)
{
    QTextDocument document;
    if (Qt::mightBeRichText(text))
        document.setHtml(text);
    else
        document.setPlainText(text);
    return document.toPlainText();
}

#include <QLabel>

// The text a label shows, as its format has it read.
inline QString shownText(const QLabel *label)
{
    if (label->textFormat() == Qt::PlainText)
        return label->text();
    if (label->textFormat() == Qt::RichText) {
        QTextDocument document;
        document.setHtml(label->text());
        return document.toPlainText();
    }
    return shownText(label->text());
}
