#include "seltrane_components/os/command_line.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

// Builds a CommandLine from argv-style words; the first is the program.
CommandLine parse(std::initializer_list<std::string> words)
{
    std::vector<std::string> storage(words);
    std::vector<char*> argv;
    for (std::string& word : storage)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);
    return CommandLine(static_cast<int>(storage.size()), argv.data());
}

void expectFlag(const CommandLine& line, const char* name)
{
    ASSERT_TRUE(line.options().contains(QString::fromUtf8(name))) << name;
    EXPECT_TRUE(line.options().value(QString::fromUtf8(name)).isNull()) << name;
}

void expectValue(const CommandLine& line, const char* name, const char* value)
{
    ASSERT_TRUE(line.options().contains(QString::fromUtf8(name))) << name;
    const QVariant v = line.options().value(QString::fromUtf8(name));
    EXPECT_EQ(v.type(), QVariant::String) << name;
    EXPECT_FALSE(v.isNull()) << name;
    EXPECT_EQ(v.toString(), QString::fromUtf8(value)) << name;
}

TEST(CommandLine, ProgramIsAlwaysSkipped)
{
    const std::string self = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    CommandLine own = parse({self, "/shows/a.kvq"});
    EXPECT_TRUE(own.options().isEmpty());
    ASSERT_EQ(own.positionalCount(), 1);
    EXPECT_EQ(own.positional(0), QStringLiteral("/shows/a.kvq"));

    // A relative or bare program name must not become the input file either.
    CommandLine bare = parse({"morvant", "/shows/b.kvq"});
    ASSERT_EQ(bare.positionalCount(), 1);
    EXPECT_EQ(bare.positional(0), QStringLiteral("/shows/b.kvq"));

    EXPECT_EQ(parse({"morvant"}).positionalCount(), 0);
    EXPECT_EQ(CommandLine(0, nullptr).positionalCount(), 0);
    EXPECT_TRUE(CommandLine(0, nullptr).options().isEmpty());

    EXPECT_EQ(bare.positional(1), QString());
    EXPECT_EQ(bare.positional(-1), QString());
}

TEST(CommandLine, ShortOptions)
{
    CommandLine withValue = parse({"p", "-v", "file"});
    expectValue(withValue, "v", "file");
    EXPECT_EQ(withValue.positionalCount(), 0);

    CommandLine ended = parse({"p", "-v", "--", "file"});
    expectFlag(ended, "v");
    ASSERT_EQ(ended.positionalCount(), 1);
    EXPECT_EQ(ended.positional(0), QStringLiteral("file"));

    CommandLine group = parse({"p", "-abc", "x"});
    expectFlag(group, "a");
    expectFlag(group, "b");
    expectValue(group, "c", "x");  // the last letter is pending
    EXPECT_EQ(group.options().size(), 3);

    CommandLine digits = parse({"p", "-a1b"});
    expectFlag(digits, "a");
    expectFlag(digits, "b");
    EXPECT_EQ(digits.options().size(), 2);

    // A group of digits records nothing and keeps what was pending.
    CommandLine number = parse({"p", "-q", "-5", "word", "next"});
    expectValue(number, "q", "word");
    EXPECT_EQ(number.options().size(), 1);
    ASSERT_EQ(number.positionalCount(), 1);
    EXPECT_EQ(number.positional(0), QStringLiteral("next"));

    CommandLine bareNumber = parse({"p", "-5", "word"});
    EXPECT_TRUE(bareNumber.options().isEmpty());
    EXPECT_EQ(bareNumber.positional(0), QStringLiteral("word"));

    // A later flag replaces an earlier value.
    CommandLine repeated = parse({"p", "-v", "one", "-v"});
    expectFlag(repeated, "v");
}

TEST(CommandLine, LongOptionsAndWords)
{
    CommandLine assigned = parse({"p", "--mode=fast", "x"});
    expectValue(assigned, "mode", "fast");
    ASSERT_EQ(assigned.positionalCount(), 1);
    EXPECT_EQ(assigned.positional(0), QStringLiteral("x"));

    expectValue(parse({"p", "--mode", "x"}), "mode", "x");
    expectValue(parse({"p", "--mode=", "x"}), "mode", "x");
    EXPECT_EQ(parse({"p", "--mode", "x"}).positionalCount(), 0);

    CommandLine two = parse({"p", "--mode", "--other"});
    expectValue(two, "mode", "");
    expectValue(two, "other", "");
    expectValue(parse({"p", "--mode", "--other", "y"}), "other", "y");
    expectValue(parse({"p", "--mode", "--other", "y"}), "mode", "");

    // A long option with a value clears a pending short one.
    CommandLine cleared = parse({"p", "-v", "--mode=fast", "word"});
    expectFlag(cleared, "v");
    EXPECT_EQ(cleared.positional(0), QStringLiteral("word"));

    CommandLine words = parse({"p", "-name=value", "-", "a b", "--x y", "f\xC3\xBCr.kvq"});
    EXPECT_TRUE(words.options().isEmpty());
    ASSERT_EQ(words.positionalCount(), 5);
    EXPECT_EQ(words.positional(0), QStringLiteral("-name=value"));
    EXPECT_EQ(words.positional(1), QStringLiteral("-"));
    EXPECT_EQ(words.positional(2), QStringLiteral("a b"));
    EXPECT_EQ(words.positional(3), QStringLiteral("--x y"));
    EXPECT_EQ(words.positional(4), QString::fromUtf8("f\xC3\xBCr.kvq"));
}

}  // namespace
