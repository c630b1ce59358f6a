#include "components/fixture_library/library_files.h"

#include "components/fixture_library/message_handler.h"

#include <QIODevice>
#include <QObject>

#include <boost/token_functions.hpp>
#include <boost/tokenizer.hpp>

#include <string>

bool readTextLines(QIODevice& device, const QString& fileName, MessageHandler& messages, QStringList& lines)
{
    lines.clear();
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly)) {
        messages.addMessage(fileName + QLatin1String(": ")
                            + QObject::tr("Cannot read the file (%1)").arg(device.errorString()));
        return false;
    }
    const auto tooLarge = [&] {
        messages.addMessage(fileName + QLatin1String(": ") + QObject::tr("The file is larger than 16 MiB"));
        return false;
    };
    if (!device.isSequential() && device.size() - device.pos() > kMaxLibraryFileSize)
        return tooLarge();
    QByteArray data;
    while (data.size() <= kMaxLibraryFileSize) {
        const QByteArray part = device.read(kMaxLibraryFileSize + 1 - data.size());
        if (part.isEmpty())
            break;
        data += part;
    }
    if (data.size() > kMaxLibraryFileSize)
        return tooLarge();

    QString text = QString::fromUtf8(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return true;
}

std::optional<quint32> decimalNumber(const QString& text, quint32 max)
{
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + quint64(c.unicode() - '0');
    }
    if (value > max)
        return std::nullopt;
    return quint32(value);
}

QString shownValue(const QString& value)
{
    constexpr int kShown = 40;
    if (value.isEmpty())
        return QStringLiteral("\"\"");
    return value.size() <= kShown ? value : value.left(kShown) + QStringLiteral("...");
}

bool readCsvList(QIODevice& device, const QString& fileName, int fieldCount, MessageHandler& messages,
                 const CsvRow& row)
{
    QStringList lines;
    if (!readTextLines(device, fileName, messages, lines))
        return false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("//")))
            continue;
        QStringList fields;
        bool split = true;
        try {
            const std::string bytes = line.toStdString();
            const boost::tokenizer<boost::escaped_list_separator<char>> tokens(bytes);
            for (const std::string& token : tokens)
                fields << QString::fromStdString(token).trimmed();
        } catch (const boost::escaped_list_error&) {
            split = false;
        }
        const std::optional<QString> bad = split && fields.size() == fieldCount ? row(fields) : line;
        if (bad) {
            messages.addMessage(fileName + QLatin1String(": ")
                                + QObject::tr("Line %1: Invalid value %2").arg(i + 1).arg(shownValue(*bad)));
        }
    }
    return true;
}
