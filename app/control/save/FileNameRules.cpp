// Track file and album folder naming rules.
#include "save/FileNameRules.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

bool containsInvalidChar(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'/' || u == u':' || u < 0x20 || u == 0x7F || (u >= 0x80 && u <= 0x9F))
            return true;
    }
    return false;
}

int Utf8Length(const QString& text)
{
    return static_cast<int>(text.toUtf8().size());
}

QString FileNameAsWritten(const QString& name, const QString& extension)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0 && name.mid(dot + 1).toLower() == extension.toLower())
        return name;
    if (name.endsWith(u'.'))
        return name + extension;
    return name + u'.' + extension;
}

bool IsMissingFileName(const QString& name)
{
    return name.isEmpty() || name.startsWith(u'.');
}

QString currentDateString()
{
    return QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyyMMddHHmmss"));
}

QString NumberedFileName(long number, const QString& date, const QString& extension)
{
    return QStringLiteral("%1_%2.%3").arg(number, 2, 10, QLatin1Char('0')).arg(date, extension);
}

QString TitledFileName(const QString& oldName, const QString& title, const QString& extension)
{
    static const QRegularExpression numbered(QStringLiteral("^\\d{2}_"));
    if (numbered.match(oldName).hasMatch())
        return oldName.left(3) + title + u'.' + extension;
    return title + u'.' + extension;
}
