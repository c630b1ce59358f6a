#include "seltrane_components/os/command_line.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses argv-style words (the first is the program) and describes the result
// as "flag name=value ... | word word": a flag has a null value, a value is a QString.
std::string parsed(const std::vector<std::string>& words)
{
    std::vector<std::string> storage = words;
    std::vector<char*> argv;
    for (std::string& word : storage)
        argv.push_back(&word[0]);
    const CommandLine line(static_cast<int>(storage.size()), argv.data());
    QStringList parts;
    for (auto it = line.options().begin(); it != line.options().end(); ++it) {
        const QVariant& v = it.value();
        parts << it.key() + (v.isNull() ? "" : v.type() == QVariant::String ? "=" : "=?") + v.toString();
    }
    parts << QStringLiteral("|");
    for (int i = 0; i < line.positionalCount(); ++i)
        parts << "[" + line.positional(i) + "]";
    EXPECT_TRUE(line.positional(-1).isEmpty() && line.positional(line.positionalCount()).isEmpty());
    return parts.join(QLatin1Char(' ')).toStdString();
}

TEST(CommandLine, Table)
{
    const std::string self = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        // The program is always skipped, however it is named.
        {{self, "/shows/a.kvq"}, "| [/shows/a.kvq]"},
        // Short options: the last letter of a group is pending a value.
        {{"p", "-v", "file"}, "v=file |"},
        {{"p", "-v", "--", "file"}, "v | [file]"},
        {{"p", "-a1bc", "x"}, "a b c=x |"},
        // A group of digits records nothing and keeps what was pending.
        {{"p", "-q", "-5", "word", "next"}, "q=word | [next]"},
        {{"p", "-v", "one", "-v"}, "v |"},
        // Long options.
        {{"p", "--mode=fast", "x"}, "mode=fast | [x]"},
        {{"p", "--mode=", "x"}, "mode=x |"},
        {{"p", "--mode", "--other", "y"}, "mode= other=y |"},
        {{"p", "-v", "--mode=fast", "word"}, "mode=fast v | [word]"},
        {{"p", "-name=value", "-", "a b", "--x y", "f\xC3\xBCr.kvq"},
         "| [-name=value] [-] [a b] [--x y] [f\xC3\xBCr.kvq]"},
    };
    for (const auto& [words, expected] : cases)
        EXPECT_EQ(parsed(words), expected) << words.back();
    EXPECT_EQ(CommandLine(0, nullptr).positionalCount(), 0);
}

}  // namespace
