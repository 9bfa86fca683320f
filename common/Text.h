#pragma once
// Small text rules the windows share. Any thread.

#include <QByteArray>
#include <QString>

// Removes blanks and control characters (everything up to U+0020) at both ends.
QString Trim(const QString& text);

// A value spliced into SQL between single quotes: each quote doubled, so a normal value reads as
// it is and no typed value can change the statement.
QString SqlQuoted(const QString& value);
// The same value as a whole SQL literal, between its single quotes.
QString SqlLiteral(const QString& value);

// The text in code page 949, as the controllers take it on the wire. A character the code page
// lacks becomes '?'.
QByteArray ToCp949(const QString& text);
