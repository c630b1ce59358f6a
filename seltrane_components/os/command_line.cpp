#include "seltrane_components/os/command_line.h"

#include <QFile>
#include <QRegularExpression>

CommandLine::CommandLine(int argc, char** argv)
{
    static const QRegularExpression shortOption(QRegularExpression::anchoredPattern(QStringLiteral("-([A-Za-z0-9]+)")));
    static const QRegularExpression longOption(
        QRegularExpression::anchoredPattern(QStringLiteral("--([^ =]+)(?:=([^ ]*))?")));

    if (!argv)
        return;
    QString pending;
    // argv[0] names the program, not always by its absolute path; it must
    // never be taken for the input file.
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        // Arguments are file names in the locale's encoding.
        const QString argument = QFile::decodeName(argv[i]);
        if (argument == QLatin1String("--")) {
            pending.clear();
            continue;
        }
        QRegularExpressionMatch match = shortOption.match(argument);
        if (match.hasMatch()) {
            for (const QChar c : match.capturedRef(1)) {
                if (c.isLetter()) {
                    pending = QString(c);
                    m_options.insert(pending, QVariant());
                }
            }
            continue;
        }
        match = longOption.match(argument);
        if (match.hasMatch()) {
            QString value = match.captured(2);
            if (value.isNull())
                value = QLatin1String("");
            m_options.insert(match.captured(1), QVariant(value));
            if (value.isEmpty())
                pending = match.captured(1);
            else
                pending.clear();
            continue;
        }
        if (!pending.isEmpty()) {
            m_options.insert(pending, QVariant(argument));
            pending.clear();
        } else {
            m_positional.append(argument);
        }
    }
}

QString CommandLine::positional(int index) const { return m_positional.value(index); }
